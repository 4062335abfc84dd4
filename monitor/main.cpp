#include "monitor/AnalyzeCommand.h"
#include "monitor/MonitorOptions.h"
#include "monitor/MonitorSession.h"
#include "monitor/MonitorWindow.h"
#include "monitor/RunRecorder.h"
#include "quit/QuitOnSignal.h"
#include "translations/Catalogue.h"

#include <QApplication>
#include <QDateTime>
#include <QTextStream>
#include <QTranslator>

int main(int argc, char* argv[])
{
    // The help needs no window system: it is answered before one is opened.
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg != "-h" && arg != "--help") continue;
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName("tavik-monitor");
        MonitorOptions ignored;
        QString help;
        MonitorOptions::read(core.arguments(), &ignored, &help);
        QTextStream(stdout) << help;
        return 0;
    }
    // So is the analysis of a file, which opens no window and connects to nothing.
    if (AnalyzeCommand::requested(argc, argv)) {
        QCoreApplication core(argc, argv);
        QTextStream out(stdout), err(stderr);
        return AnalyzeCommand::run(core.arguments(), out, err);
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName("tavik-monitor");
    MonitorOptions options;
    QString message;
    switch (MonitorOptions::read(app.arguments(), &options, &message)) {
    case MonitorOptions::Help:
        QTextStream(stdout) << message;
        return 0;
    case MonitorOptions::Bad:
        QTextStream(stderr) << "tavik-monitor: " << message << " (see --help)\n";
        return 1;
    case MonitorOptions::Run:
        break;
    }
    QuitOnSignal quitOnSignal;
    QTranslator translator;
    if (!options.english) installCatalogue(app, translator);

    MonitorSession session(options);
    QTextStream err(stderr);
    const auto note = [&err](const QString& text) {
        err << QDateTime::currentDateTime().toString("hh:mm:ss.zzz ") << text << Qt::endl;
    };
    QObject::connect(&session, &MonitorSession::problem, note);
    if (options.log) QObject::connect(&session, &MonitorSession::log, note);
    RunRecorder recorder(session);
    recorder.setFolder(options.recordDir);
    recorder.setComment(options.comment);
    recorder.setRecording(!options.recordDir.isEmpty());
    QObject::connect(&recorder, &RunRecorder::problem, note);
    QObject::connect(&recorder, &RunRecorder::recorded, [&note](const QString&, const QStringList& files) {
        note("recorded " + files.join(' '));
    });
    MonitorWindow window(session, &recorder);
    window.show();
    session.start();
    return app.exec();
}
