#include "zephra/History.h"
#include "zephra/Zephra.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

// The record of edited server addresses in the working folder.
class TestHistory : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    static QString historyText()
    {
        QFile f(History::fileName);
        return f.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromLatin1(f.readAll())
                                                             : QString("<none>");
    }

    static void edit(Zephra& z, const char* field, const QString& text)
    {
        auto* le = z.findChild<QLineEdit*>(field);
        le->setText(text);
        emit le->editingFinished();
    }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        QFile::remove(History::fileName);
    }

    void lastEntryOfEachKindWins()
    {
        QString host = "x", port = "y";
        History::parse({"A: one", "a:   10.0.0.1  extra", "P:", "X: 1", "", "p: 7000", "A:two"}, host, port);
        QCOMPARE(host, QString("10.0.0.1"));
        QCOMPARE(port, QString("7000"));

        host = "kept";
        port = "kept";
        History::read(host, port);
        QCOMPARE(host, QString("kept"));
        QVERIFY(writeFile("P: 1\r\n"));
        History::read(host, port);
        QVERIFY(host.isEmpty());
        QCOMPARE(port, QString("1"));
    }

    void recordsChangedFieldsOnly()
    {
        Zephra z;
        z.setFields("h0", "6057", "Tavik", "Tavik.key");
        QCOMPARE(historyText(), QString("<none>"));
        edit(z, "hostLE", "A");
        edit(z, "hostLE", "A");
        edit(z, "portLE", "7000");
        edit(z, "hostLE", "B");
        edit(z, "portLE", "7000");
        edit(z, "hostLE", "A");
        QCOMPARE(historyText(), QString("A: A\nP: 7000\nA: B\nA: A\n"));
    }

private:
    static bool writeFile(const QByteArray& content)
    {
        QFile f(History::fileName);
        return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
    }
};

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
