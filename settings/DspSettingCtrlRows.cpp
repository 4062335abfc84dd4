#include "settings/ConfigLine.h"
#include "settings/DspSettingCtrl.h"
#include "settings/SettingsTable.h"

#include <QApplication>
#include <QScrollBar>

// The rows of the settings editor: a few ConfigLines, enough to fill the view, placed at their
// records' places in the scrolled area and refilled as it scrolls. Row k of the table goes to
// line k modulo their number, so a line keeps its record while that stays in view, and with
// it an edit in progress and the keyboard focus.

void DspSettingCtrl::setUpConfigLines(QVector<DspData>& config)
{
    // Focus left in a row would move on, into the rows being refilled, as the row is hidden.
    if (QWidget* focus = focusWidget(); focus && scrollAreaWidgetContents->isAncestorOf(focus))
        scrollArea->setFocus();
    for (ConfigLine* line : configLines)
        showRecord(line, -1);
    rows.reset(config);
    const QMargins margins = Base->contentsMargins();
    const int n = rows.size();
    scrollAreaWidgetContents->setMinimumHeight(margins.top() + margins.bottom() + n * rowHeight() +
                                               qMax(0, n - 1) * Base->spacing());
    placeLines();
}

void DspSettingCtrl::setValRestored(QVector<DspData>& config, QVector<DspData>& loadedConfig)
{
    const QVector<int> matched = matchLoadedRows(config, loadedConfig);
    for (int i = 0; i < matched.size(); ++i)
        if (matched.at(i) >= 0 && matched.at(i) < rows.size())
            rows.setValRestored(matched.at(i), quint16(loadedConfig.at(i).regValue));
    refreshLines();
}

void DspSettingCtrl::updatedALine(int num)
{
    auto* line = qobject_cast<ConfigLine*>(sender());
    if (line) takeEdit(line, num);
}

void DspSettingCtrl::takeEdit(ConfigLine* line, int kind)
{
    const int i = line->record();
    if (i < 0 || i >= rows.size()) return;
    rows.typed(i, kind, line->typedText(kind));
    line->refreshMarks(rows.at(i));
    const CompositeViews views = rows.compositeViews(i, kind);
    Val4Bytes->setText(views.fourBytes);
    Val6Bytes->setText(views.sixBytes);
}

int DspSettingCtrl::rowHeight() const
{
    return frame_3->sizeHint().height();
}

int DspSettingCtrl::rowTop(int record) const
{
    return Base->contentsMargins().top() + record * (rowHeight() + Base->spacing());
}

// Every line that shows a record nobody sees (it scrolled out of view, or the table was read
// out anew) is given one that is to be seen.
void DspSettingCtrl::placeLines()
{
    const int height = rowHeight(), pitch = height + Base->spacing();
    const int wanted =
        scrollArea->viewport()->height() / pitch + 3; // parts of rows at both ends, and one to tab into
    while (configLines.size() < wanted) {
        auto* line = new ConfigLine(scrollAreaWidgetContents);
        line->connectEdits();
        connect(line, &ConfigLine::updated, this, &DspSettingCtrl::updatedALine);
        configLines.append(line);
        for (ConfigLine* other : configLines) // their places in the cycle move
            showRecord(other, -1);
    }
    const int n = qMin(rows.size(), config.size());
    const int lines = configLines.size();
    const int first =
        qBound(0, (scrollArea->verticalScrollBar()->value() - rowTop(0)) / pitch, qMax(0, n - 1));
    const QMargins margins = Base->contentsMargins();
    const int width = scrollAreaWidgetContents->width() - margins.left() - margins.right();
    for (int record = first; record < first + lines; ++record) {
        ConfigLine* line = configLines.at(record % lines);
        if (record >= n) {
            showRecord(line, -1);
            continue;
        }
        if (line->record() != record) showRecord(line, record);
        line->setGeometry(margins.left(), rowTop(record), width, height);
    }
}

void DspSettingCtrl::showRecord(ConfigLine* line, int record)
{
    if (line->record() == record) return;
    // What was typed and not yet finished is taken into the record the line showed; the
    // focus goes to the scroll area, so the keys go on scrolling.
    if (QWidget* focus = focusWidget(); focus && line->isAncestorOf(focus)) scrollArea->setFocus();
    if (const int shown = line->record(); shown >= 0 && shown < rows.size()) {
        if (line->typedText(ConfigLine::New) != rows.at(shown).newText) takeEdit(line, ConfigLine::New);
        if (line->typedText(ConfigLine::Restored) != rows.at(shown).restoredText)
            takeEdit(line, ConfigLine::Restored);
    }
    if (record < 0)
        line->showNothing();
    else
        line->showRecord(record, config.at(record), rows.at(record));
}

void DspSettingCtrl::refreshLines()
{
    for (ConfigLine* line : configLines)
        if (line->record() >= 0 && line->record() < rows.size()) line->showValues(rows.at(line->record()));
}

ConfigLine* DspSettingCtrl::lineFor(int record)
{
    if (record < 0 || record >= qMin(rows.size(), config.size())) return nullptr;
    const int height = rowHeight();
    scrollArea->ensureVisible(0, rowTop(record) + height / 2, 0, height / 2 + 1);
    placeLines();
    ConfigLine* line = configLines.isEmpty() ? nullptr : configLines.at(record % configLines.size());
    return line && line->record() == record ? line : nullptr;
}

bool DspSettingCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize &&
        (watched == scrollArea->viewport() || watched == scrollAreaWidgetContents))
        placeLines();
    return QFrame::eventFilter(watched, event);
}

// Tab from a row's last field goes to the next record's first, whichever line shows it.
bool DspSettingCtrl::focusNextPrevChild(bool next)
{
    QWidget* focus = focusWidget();
    auto* line = focus ? qobject_cast<ConfigLine*>(focus->parentWidget()) : nullptr;
    if (line && configLines.contains(line) && focus == (next ? line->HexRestored : line->Dsp)) {
        if (ConfigLine* to = lineFor(line->record() + (next ? 1 : -1))) {
            (next ? to->Dsp : to->HexRestored)->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return QFrame::focusNextPrevChild(next);
}
