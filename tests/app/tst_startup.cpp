#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// Starts the real program the way a user does and checks that it stays up.
class TestStartup : public QObject
{
    Q_OBJECT

    static constexpr int settleMs = 1500;

    static QString exe() { return qEnvironmentVariable("TAVIK_EXE"); }

    // Runs the program in `dir` for a while; returns its diagnostics once it is closed.
    static QByteArray runFor(const QString& dir, const QStringList& args, bool* stayedUp)
    {
        QProcess p;
        p.setWorkingDirectory(dir);
        p.start(exe(), QStringList{"-platform", "offscreen"} + args);
        if (!p.waitForStarted(5000)) {
            *stayedUp = false;
            return QByteArray();
        }
        *stayedUp = !p.waitForFinished(settleMs);
        p.terminate();
        if (!p.waitForFinished(5000)) {
            p.kill();
            p.waitForFinished(5000);
        }
        return p.readAllStandardError();
    }

private slots:
    void initTestCase() { QVERIFY2(QFileInfo(exe()).isExecutable(), qPrintable(exe())); }

    void runsInEmptyFolder()
    {
        QTemporaryDir dir;
        bool up = false;
        const QByteArray err = runFor(dir.path(), {}, &up);
        QVERIFY(up);
        QVERIFY2(err.contains("Can't open config file :  \"config.cfg\""), err.constData());
    }

    void runsWithConfigOptionWithoutValue()
    {
        QTemporaryDir dir;
        bool up = false;
        const QByteArray err = runFor(dir.path(), {"-c"}, &up);
        QVERIFY(up);
        QVERIFY2(err.contains("Can't open config file :  \"\""), err.constData());
    }

    void configWinsOverC()
    {
        QTemporaryDir dir;
        bool up = false;
        const QByteArray err = runFor(dir.path(), {"-config", "a.cfg", "-c", "b.cfg", "-e"}, &up);
        QVERIFY(up);
        QVERIFY2(err.contains("\"a.cfg\"") && !err.contains("b.cfg"), err.constData());
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
