#include "Soak.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

// A bounded soak run of the real program; see bench/README.md.
int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser p;
    p.setApplicationDescription("Soak run of the real program behind the stand-in server.");
    p.addHelpOption();
    p.addOptions({{"requests", "requests in all", "n", "100000"},
                  {"sample", "sample memory every n requests", "n", "2000"},
                  {"warm-up", "requests before the growth is measured", "n", "20000"},
                  {"fault-every", "a unit fault every n requests (0: none)", "n", "2000"},
                  {"cpu", "pin the program to this CPU", "n"},
                  {"seed", "seed of the request mix", "n", "1"},
                  {"wrap", "run the program under this command (blank-separated)", "command"},
                  {"keep", "keep the work folder and print its path"}});
    p.process(app);
    Soak soak;
    soak.total = p.value("requests").toLongLong();
    soak.sampleEvery = qMax<qint64>(1, p.value("sample").toLongLong());
    soak.warmUp = p.value("warm-up").toLongLong();
    soak.faultEvery = p.value("fault-every").toLongLong();
    soak.seed = p.value("seed").toUInt();
    soak.dir.setAutoRemove(!p.isSet("keep"));
    QStringList programLine = p.value("wrap").split(' ', Qt::SkipEmptyParts);
    if (p.isSet("cpu")) programLine = QStringList{"taskset", "-c", p.value("cpu")} + programLine;
    const QString error = soak.setUp(programLine);
    if (!error.isEmpty()) {
        QTextStream(stdout) << "set-up failed: " << error << '\n';
        return 2;
    }
    const bool clean = soak.run();
    if (p.isSet("keep")) QTextStream(stdout) << "work folder " << soak.dir.path() << '\n';
    return clean ? 0 : 1;
}
