#include "app/Body.h"
#include "app/Catalogue.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTextBlock>
#include <QTranslator>
#include <QtTest>

class TestBody : public QObject
{
    Q_OBJECT

    template <typename T> static T* child(QObject& parent, const char* name)
    {
        T* found = parent.findChild<T*>(name);
        if (!found) qFatal("no child %s", name);
        return found;
    }

private slots:
    void englishWithoutCatalogue()
    {
        Body body;
        QCOMPARE(body.windowTitle(), QString("Tavik"));
        QCOMPARE(child<QCheckBox>(body, "LogMsgToZephra")->text(), QString("Msg to Zephra"));
        QCOMPARE(child<QCheckBox>(body, "LogMsgFromZephra")->text(), QString("Msg from Zephra"));
        QCOMPARE(child<QCheckBox>(body, "EmulateSignal")->text(), QString("Emulate"));
        QCOMPARE(child<QPushButton>(body, "ShowSettings")->text(), QString("Show Settings"));
        child<QPushButton>(body, "ShowSettings")->click();
        QVERIFY(body.settings().isVisible());
    }

    void formHasItsRowsAndDefaults()
    {
        Body body;
        QCOMPARE(body.size(), QSize(545, 367));
        for (const char* name : {"frame_3", "frame_2", "frame", "ZephraUi", "Log"})
            QVERIFY2(body.findChild<QWidget*>(name), name);
        QVERIFY(body.findChild<QGridLayout*>("DspStats"));
        QVERIFY(!child<QCheckBox>(body, "LogMsgToZephra")->isChecked());
        QVERIFY(!child<QCheckBox>(body, "LogMsgFromZephra")->isChecked());
        auto* log = child<LogArea>(body, "Log");
        QCOMPARE(log->display()->document()->maximumBlockCount(), 2000);
    }

    void firstLogLineIsStarting()
    {
        Body body;
        const QTextBlock first = child<LogArea>(body, "Log")->display()->document()->firstBlock();
        QCOMPARE(first.text(), QString("Starting !!"));
        QCOMPARE(first.begin().fragment().charFormat().foreground().color(), QColor(0, 0, 0));
    }

    void catalogueTranslatesTitleAndTexts()
    {
        QTranslator translator;
        installCatalogue(*qApp, translator);
        QVERIFY(!translator.isEmpty());
        {
            Body body;
            QCOMPARE(body.windowTitle(), QString("Tavik (Vextron DSP driver for Zephra)"));
            QCOMPARE(child<QCheckBox>(body, "EmulateSignal")->text(), QString::fromUtf8("エミュレート"));
        }
        QCOMPARE(QCoreApplication::translate("UnitStat", "DSP Status"), QString("DSP Status"));
        QCOMPARE(QCoreApplication::translate("VexHv", "Voltage").left(3), QString("   "));
        QCOMPARE(QCoreApplication::translate("Zephra", "Zephra Settings"),
                 QCoreApplication::translate("Zephra", "Disconnected"));
        QCOMPARE(QCoreApplication::translate("QObject", "Stopping"), QString("Stopping"));
        qApp->removeTranslator(&translator);
    }
};

QTEST_MAIN(TestBody)
#include "tst_body.moc"
