#include "monitor/MonitorWindow.h"

#include "consumer/SpectrumFiles.h"
#include "monitor/CalibrationBar.h"
#include "monitor/DataLinkClient.h"
#include "monitor/ElementPanel.h"
#include "monitor/MonitorSession.h"
#include "monitor/RunRecorder.h"
#include "monitor/ServerLink.h"
#include "monitor/SumWindow.h"
#include "widgets/StyleSheets.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>

namespace {
constexpr int messageMs = 10000;
constexpr double plotAspect = 1.6; // width over height that a spectrum reads best in
} // namespace

MonitorWindow::MonitorWindow(MonitorSession& session, RunRecorder* recorder, QWidget* parent)
    : QMainWindow(parent), session(session), recorder(recorder),
      analysis(session.options().deadTimeAlarmPercent), calibrationBar(new CalibrationBar(analysis)),
      sumWindow(new SumWindow(analysis, this)), serverL(new QLabel), nodeL(new QLabel), linkL(new QLabel),
      measurementL(new QLabel)
{
    ui.setupUi(this);
    grid = new QGridLayout(ui.plotArea);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(4);
    // Long host names or messages must not widen the window beyond the screen.
    for (QLabel* l : {serverL, nodeL, linkL, measurementL}) {
        l->setMinimumWidth(1);
        ui.statusbar->addPermanentWidget(l);
    }
    ui.overlayC->setChecked(session.options().overlay);
    ui.buttonBar->insertWidget(ui.buttonBar->indexOf(ui.logC) + 1, calibrationBar);
    ui.verticalLayout->insertWidget(1, calibrationBar->stateLabel());
    if (!session.options().calibrationFile.isEmpty()) calibrationBar->load(session.options().calibrationFile);
    connect(calibrationBar, &CalibrationBar::changed, this, &MonitorWindow::showModel);
    auto* sumB = new QPushButton(tr("Sum..."));
    sumB->setToolTip(tr("The sum spectrum of the elements ticked"));
    ui.buttonBar->insertWidget(ui.buttonBar->indexOf(calibrationBar), sumB);
    connect(sumB, &QPushButton::clicked, sumWindow, &QWidget::show);
    connect(sumWindow, &SumWindow::selectionChanged, this, &MonitorWindow::showModel);

    connect(ui.startB, &QPushButton::clicked, &session, &MonitorSession::runStart);
    connect(ui.stopB, &QPushButton::clicked, &session, &MonitorSession::runStop);
    connect(ui.clearB, &QPushButton::clicked, &session, &MonitorSession::clear);
    connect(ui.refreshB, &QPushButton::clicked, &session, &MonitorSession::refresh);
    connect(ui.saveB, &QPushButton::clicked, this, &MonitorWindow::save);
    connect(ui.overlayC, &QCheckBox::toggled, this, &MonitorWindow::showModel);
    connect(ui.logC, &QCheckBox::toggled, this, &MonitorWindow::showModel);
    connect(&session, &MonitorSession::modelChanged, this, &MonitorWindow::showModel);
    connect(&session, &MonitorSession::statusChanged, this, &MonitorWindow::showStatus);
    connect(&session, &MonitorSession::problem, this,
            [this](const QString& text) { ui.statusbar->showMessage(text, messageMs); });
    connect(&session, &MonitorSession::commandAnswered, this,
            [this](const QString& cmd, const QString& text) {
                ui.statusbar->showMessage(QString("%1: %2").arg(cmd, text.left(200)), messageMs);
            });
    ui.recordC->setVisible(recorder);
    ui.commentE->setVisible(recorder);
    if (recorder) {
        recorder->setAnalysis(&analysis);
        ui.recordC->setChecked(recorder->recording());
        if (!recorder->folder().isEmpty())
            ui.recordC->setToolTip(ui.recordC->toolTip() + '\n' + recorder->folder());
        ui.commentE->setText(session.options().comment);
        ui.commentE->setCursorPosition(0); // its start, when it is longer than the field
        connect(ui.recordC, &QCheckBox::toggled, this, &MonitorWindow::setRecording);
        connect(ui.commentE, &QLineEdit::textChanged, recorder, &RunRecorder::setComment);
        connect(recorder, &RunRecorder::problem, this,
                [this](const QString& text) { ui.statusbar->showMessage(text, messageMs); });
        connect(recorder, &RunRecorder::recorded, this, [this](const QString& folder) {
            ui.statusbar->showMessage(tr("Run recorded in %1").arg(folder), messageMs);
        });
    }
    showModel();
    showStatus();
}

MonitorWindow::~MonitorWindow()
{
    // The recorder outlives the window and its analysis.
    if (recorder) recorder->setAnalysis(nullptr);
}

void MonitorWindow::setRecording(bool on)
{
    if (on && recorder->folder().isEmpty()) {
        const QString folder = QFileDialog::getExistingDirectory(this, tr("Folder for the recorded runs"),
                                                                 session.options().outDir);
        if (folder.isEmpty()) {
            ui.recordC->setChecked(false);
            return;
        }
        recorder->setFolder(folder);
        ui.recordC->setToolTip(ui.recordC->toolTip() + '\n' + folder);
    }
    recorder->setRecording(on);
}

QString MonitorWindow::elementTitle(int k) const
{
    const MonitorModel::Element& e = session.model().elements().at(k);
    if (e.unit.isEmpty()) return tr("element %1, ch %2").arg(k).arg(e.channel);
    return tr("%1 ch %2").arg(e.unit).arg(e.channel);
}

QString MonitorWindow::infoText(int k, const QString& between) const
{
    const MonitorModel::Element& e = session.model().elements().at(k);
    if (!e.filled()) return tr("no data yet: no measurement has ended on this unit");
    const double dead = e.deadTime();
    const double percent = e.block.realTime > 0 ? 100 * dead / e.block.realTime : 0;
    return tr("real %1 s  live %2 s  dead %3 s (%4 %)")
               .arg(e.block.realTime, 0, 'g', 5)
               .arg(e.block.liveTime, 0, 'g', 5)
               .arg(dead, 0, 'g', 3)
               .arg(percent, 0, 'f', 1) +
           between + tr("ICR %1  %2").arg(e.block.icr, 0, 'g', 10).arg(e.busy() ? tr("busy") : tr("idle"));
}

void MonitorWindow::showModel()
{
    const MonitorModel& model = session.model();
    const int n = model.elements().size();
    const bool overlay = ui.overlayC->isChecked();
    const int wanted = overlay ? qMin(n, 1) : n;
    if (panels.size() != wanted) {
        qDeleteAll(panels);
        panels.clear();
        for (int i = 0; i < wanted; ++i)
            panels << new ElementPanel(ui.plotArea);
        columns = 0;
        arrangePanels();
    }
    QVector<ElementPanel::Curve> all;
    QStringList lines, reports, alarms;
    analysis.follow(model);
    for (int k = 0; k < n; ++k) {
        const MonitorModel::Element& e = model.elements().at(k);
        const QString roiText = tr("ROI %1-%2: %3").arg(e.roi.start).arg(e.roi.end).arg(e.roiSum);
        ElementPanel::Curve c{elementTitle(k), e.block.bins, k,
                              e.hasRoi,        e.roi,        overlay ? QString() : roiText};
        const QString line = infoText(k, overlay ? "  " : "\n");
        const QString report = analysis.reportText(k, e), alarm = analysis.alarmText(k);
        if (overlay) {
            all << c;
            lines << QString("%1: %2   %3").arg(c.label, line, e.hasRoi ? roiText : QString());
            if (!report.isEmpty()) reports << c.label + ": " + report;
            if (!alarm.isEmpty()) alarms << c.label + ": " + alarm;
        } else {
            panels.at(k)->showSpectra(c.label, {c}, line, ui.logC->isChecked());
            const bool kev = calibrationBar->kevAxis();
            panels.at(k)->showAnalysis(report, alarm, kev ? analysis.calibration(k) : std::nullopt);
        }
    }
    if (overlay && n > 0) {
        panels.first()->showSpectra(tr("All elements"), all, lines.join('\n'), ui.logC->isChecked());
        panels.first()->showAnalysis(reports.join('\n'), alarms.join('\n'), std::nullopt);
    }
    QStringList titles;
    for (int k = 0; k < n; ++k)
        titles << elementTitle(k);
    sumWindow->showModel(model, titles, calibrationBar->kevAxis(), ui.logC->isChecked());
    calibrationBar->showElements(model, titles);
    const bool running = model.running();
    ui.runL->setText(running ? tr("Running") : tr("Idle"));
    ui.runL->setStyleSheet(running ? StyleSheets::green : StyleSheets::grey);
    measurementL->setText(model.measurementNumber() > 0 ? tr("Measurement %1").arg(model.measurementNumber())
                                                        : tr("Measurement -"));
}

void MonitorWindow::showStatus()
{
    const ServerLink& server = session.server();
    const QString where = QString("%1:%2").arg(server.host()).arg(server.port());
    switch (server.state()) {
    case ServerLink::Ready:
        serverL->setText(tr("Server %1: logged in as %2").arg(where, server.name()));
        serverL->setStyleSheet(StyleSheets::green);
        break;
    case ServerLink::Down:
        serverL->setText(tr("Server %1: down, retrying").arg(where));
        serverL->setStyleSheet(StyleSheets::pink);
        break;
    default:
        serverL->setText(tr("Server %1: connecting").arg(where));
        serverL->setStyleSheet(StyleSheets::yellow);
        break;
    }
    const QString node = session.options().node;
    static const char* const nodeTexts[] = {QT_TR_NOOP("%1: not asked yet"), QT_TR_NOOP("%1: answering"),
                                            QT_TR_NOOP("%1: not on the server"), QT_TR_NOOP("%1: no answer")};
    nodeL->setText(tr(nodeTexts[session.nodeState()]).arg(node));
    nodeL->setStyleSheet(session.nodeState() == MonitorSession::NodeAnswering ? StyleSheets::green
                                                                              : StyleSheets::pink);
    const DataLinkClient& link = session.dataLink();
    const QString at = link.port() ? QString("%1:%2").arg(link.host()).arg(link.port()) : QString();
    if (session.linkTaken()) {
        linkL->setText(tr("Data link %1: taken by another consumer, retrying").arg(at));
        linkL->setStyleSheet(StyleSheets::pink);
    } else if (link.state() == DataLinkClient::Linked) {
        linkL->setText(tr("Data link %1: connected").arg(at));
        linkL->setStyleSheet(StyleSheets::green);
    } else if (link.state() == DataLinkClient::Connecting) {
        linkL->setText(tr("Data link %1: connecting").arg(at));
        linkL->setStyleSheet(StyleSheets::yellow);
    } else {
        linkL->setText(tr("Data link %1: down, retrying").arg(at));
        linkL->setStyleSheet(StyleSheets::grey);
    }
}

int MonitorWindow::gridColumns(int count, const QSize& area)
{
    int best = 1;
    double bestSide = -1;
    for (int cols = 1; cols <= qMax(count, 1); ++cols) {
        const int rows = (count + cols - 1) / cols;
        const double w = double(area.width()) / cols;
        const double h = double(area.height()) / qMax(rows, 1);
        const double side = qMin(w / plotAspect, h); // the height a plot of that aspect gets
        if (side > bestSide) {
            bestSide = side;
            best = cols;
        }
    }
    return best;
}

void MonitorWindow::arrangePanels()
{
    const int cols = gridColumns(panels.size(), ui.plotArea->size());
    if (cols == columns) return;
    columns = cols;
    for (ElementPanel* p : panels)
        grid->removeWidget(p);
    for (int i = 0; i < panels.size(); ++i)
        grid->addWidget(panels.at(i), i / cols, i % cols);
}

void MonitorWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    arrangePanels();
}

void MonitorWindow::save()
{
    const QString suggested = QDir(session.options().outDir)
                                  .filePath(QString("monitor-%1-%2.csv")
                                                .arg(QDateTime::currentDateTime().toString("yyyyMMdd-hhmmss"))
                                                .arg(session.model().measurementNumber()));
    QString name =
        QFileDialog::getSaveFileName(this, tr("Save spectra"), suggested, tr("CSV and PNG (*.csv)"));
    if (name.isEmpty()) return;
    if (name.endsWith(".csv")) name.chop(4);
    saveTo(name);
}

bool MonitorWindow::saveTo(const QString& base)
{
    const QString title = tr("Measurement %1, %2")
                              .arg(session.model().measurementNumber())
                              .arg(QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss"));
    const SpectrumFiles files =
        writeSpectrumFiles(base, title, session.model().blocks(), SpectrumRun(), {true, true, false, false});
    ui.statusbar->showMessage(files.problems.isEmpty() ? tr("Saved %1").arg(files.written.join(", "))
                                                       : files.problems.join("; "),
                              messageMs);
    return files.problems.isEmpty();
}
