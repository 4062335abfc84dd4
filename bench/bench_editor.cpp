#include "BenchProcess.h"
#include "BenchTimer.h"
#include "bare/BareNet.h"
#include "dsp/DspReg.h"
#include "dsp/VexDA.h"
#include "process/ChildProcess.h"
#include "settings/DspSettingCtrl.h"
#include "settings/SettingsTable.h"
#include "translations/Catalogue.h"

#include <QApplication>
#include <QScrollBar>
#include <QTemporaryFile>
#include <QTranslator>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <memory>
#include <vector>

// The settings editor over N units in this process, against bare units in another: what the
// units, the first read-out, opening the editor and scrolling it cost, its resident memory
// before and after, and, on request, a picture of the window.
namespace {
const QString firstUnit = "127.0.53.2";

QTextStream& out()
{
    static QTextStream s(stdout);
    return s;
}

double msSince(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// The time from a change to the end of the next frame painted of one window.
class FrameClock : public QObject
{
public:
    explicit FrameClock(QWidget& window) : window(window) { qApp->installEventFilter(this); }

    double frameAfter(const std::function<void()>& change)
    {
        paintedAt = -1;
        clock.start();
        change();
        const QDeadlineTimer deadline(10000);
        while (paintedAt < 0) {
            if (deadline.hasExpired()) qFatal("no frame painted");
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        return paintedAt;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        // The first frame follows the window's exposure, the others the widget's update requests.
        const bool frame = (watched == window.windowHandle() && e->type() == QEvent::Expose) ||
                           (watched == &window && e->type() == QEvent::UpdateRequest);
        if (paintedAt >= 0 || !frame) return false;
        watched->event(e);
        if (window.windowHandle()->isExposed()) paintedAt = msSince(clock);
        return true;
    }

private:
    QWidget& window;
    QElapsedTimer clock;
    double paintedAt = 0;
};

long ownKiB()
{
    return residentKiB(QCoreApplication::applicationPid());
}
} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString pinning = pinFromArguments(args);
    const int unitCount = qMax(1, intOption(args, "--units", 16));
    QTranslator translator;
    if (!args.contains("-e")) installCatalogue(app, translator);
    buildRegisterMap();

    BenchProcess units;
    units.start(builtProgram("bare/bare-units"),
                {"--units", QString::number(unitCount), "--first-address", firstUnit});
    const QList<QByteArray> ready = units.lineStartingWith("ready").split(' ');
    VexUnit::setPorts(quint16(ready.value(1).mid(4).toUInt()), quint16(ready.value(2).mid(4).toUInt()));
    const quint32 first = BareNet::loopback(firstUnit.toStdString());
    out() << QString("The settings editor over %1 units on %2, %3\n")
                 .arg(unitCount)
                 .arg(QGuiApplication::platformName(), pinning)
          << Qt::flush;
    const long startKiB = ownKiB();

    QElapsedTimer t;
    t.start();
    std::vector<std::unique_ptr<VexDA>> dsps; // each with its panel
    for (int i = 0; i < unitCount; ++i)
        dsps.push_back(std::make_unique<VexDA>(
            QString("dsp%1").arg(i + 1), QString::fromStdString(BareNet::addressText(first + quint32(i)))));
    out() << QString("units built (panels included)       : %1 ms\n").arg(msSince(t), 0, 'f', 1);

    t.restart();
    const int places = unitRegisterPlaces().size(); // what each read-out walks per unit
    out()
        << QString("map walk, %1 registers of a unit      : %2 ms\n").arg(places).arg(msSince(t), 0, 'f', 2);

    DspSettingCtrl editor;
    for (auto& u : dsps)
        editor.dspUnits.append(u.get());
    t.restart();
    editor.readOut();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    out() << QString("first read-out, %1 x 212 registers : %2 ms\n")
                 .arg(unitCount, 2)
                 .arg(msSince(t), 0, 'f', 1);
    // In the program the main window is open before the editor is: a plain window of the
    // editor's size takes the platform's first-window costs here.
    QFrame plain;
    plain.resize(editor.size());
    const double plainMs = FrameClock(plain).frameAfter([&] { plain.show(); });
    const long hiddenKiB = ownKiB();

    FrameClock frames(editor);
    const double openMs = frames.frameAfter([&] { editor.show(); });
    out() << QString("opening to the first painted frame  : %1 ms (a plain window first: %2 ms)\n")
                 .arg(openMs, 0, 'f', 1)
                 .arg(plainMs, 0, 'f', 1)
          << Qt::flush;
    const long shownKiB = ownKiB();

    // One wheel notch after the other, from the first row to the last.
    QScrollBar* bar = editor.scrollArea->verticalScrollBar();
    QWidget* viewport = editor.scrollArea->viewport();
    std::vector<double> steps;
    while (bar->value() < bar->maximum()) {
        steps.push_back(frames.frameAfter([&] {
            const QPoint at(viewport->width() / 2, viewport->height() / 2);
            QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(viewport, &wheel);
        }));
    }
    std::sort(steps.begin(), steps.end());
    const auto over = std::count_if(steps.begin(), steps.end(), [](double ms) { return ms >= 16.0; });
    out() << QString(
                 "scrolling, %1 wheel steps           : median %2 ms, slowest %3 ms, %4 at 16 ms or more\n")
                 .arg(steps.size())
                 .arg(steps.empty() ? 0.0 : steps[steps.size() / 2], 0, 'f', 2)
                 .arg(steps.empty() ? 0.0 : steps.back(), 0, 'f', 2)
                 .arg(over);
    const double jumpMs = frames.frameAfter([&] { bar->setValue(0); });
    out() << QString("jump from the last row to the first : %1 ms\n").arg(jumpMs, 0, 'f', 2);
    const long openKiB = ownKiB();
    out() << QString("resident memory: %1 KiB at the start, %2 KiB read out (editor hidden, a plain window "
                     "open), %3 KiB opened, %4 KiB scrolled\n")
                 .arg(startKiB)
                 .arg(hiddenKiB)
                 .arg(shownKiB)
                 .arg(openKiB);

    t.restart();
    editor.readOut();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    out() << QString("read-out with the editor open       : %1 ms\n").arg(msSince(t), 0, 'f', 1);

    // The picture: the first rows, some values changed in the unit, some loaded from a file.
    const int shotAt = args.indexOf("--shot");
    if (shotAt >= 0) {
        const QVector<RegisterPlace> places = unitRegisterPlaces();
        QTemporaryFile file;
        if (!file.open()) qFatal("no file to load");
        for (int i = 0; i < 24; ++i) {
            if (i % 3 == 0) dsps.front()->writeRegister(places.at(i).address, quint64(100 + i), true, 2);
            if (i % 2 == 0)
                file.write(QString("DSP0 x : 0 %1 %2\n")
                               .arg(places.at(i).address, 0, 16)
                               .arg(100 + i, 0, 16)
                               .toLatin1());
        }
        file.close();
        editor.readOut();
        editor.load(file.fileName());
        bar->setValue(0);
        QCoreApplication::processEvents();
        if (!editor.grab().save(args.value(shotAt + 1))) qFatal("cannot save the picture");
    }
    editor.hide();
    return 0;
}
