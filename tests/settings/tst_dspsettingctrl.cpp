#include "tests/support/RequestRig.h"

#include "dsp/DspReg.h"
#include "dsp/VexDA.h"
#include "settings/ConfigLine.h"
#include "settings/DspSettingCtrl.h"
#include "widgets/StyleSheets.h"

#include <QtTest>

#include <sys/stat.h>

// The editor in this process over two emulated units (read-out, rows and marks, loaded
// values, Copy Loaded, Write Back, the composite views, rows refilled as the view scrolls, a
// unit that does not answer), and the start-up dump and recover of the real program.
class TestDspSettingCtrl : public QObject
{
    Q_OBJECT

    static constexpr int gain2Of0 = 2 + 46 + 2 * 26; // rows of Coarse Gain, channel 2
    static constexpr int gain2Of1 = 212 + gain2Of0;
    std::unique_ptr<UnitEmulatorThread> emu;
    QObject units;
    std::unique_ptr<DspSettingCtrl> ctrl;
    QTemporaryDir dir;
    QStringList redLines;

    ConfigLine titles; // shows the column titles, so a row that is not there fails comparisons
    ConfigLine* row(int i)
    {
        ConfigLine* line = ctrl->lineFor(i);
        return line ? line : &titles;
    }
    static void type(QLineEdit* field, const QString& text)
    {
        field->setText(text);
        Q_EMIT field->editingFinished();
    }
    QString file(const QByteArray& text)
    {
        QFile f(dir.filePath("t.stg"));
        return f.open(QIODevice::WriteOnly) && f.write(text) == text.size() ? f.fileName() : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QString error;
        emu = startEmulatedUnits("127.0.71.2", 2, &error);
        QVERIFY2(emu, qPrintable(error));
        VexUnit::setPorts(emu->udpPort(), emu->tcpPort());
        buildRegisterMap();
        ctrl = std::make_unique<DspSettingCtrl>();
        for (int u = 0; u < 2; ++u)
            ctrl->dspUnits.append(new VexDA(QString("dsp%1").arg(u), emu->unitAddress(u).toString(), &units));
        connect(ctrl.get(), &DspSettingCtrl::log, [this](const QString& m, const QColor& c) {
            if (c == Qt::red) redLines << m;
        });
        emu->setReg(1, channelAddress(A::channelBase, 2), 5);
        ctrl->show();
        ctrl->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(ctrl.get()));
    }

    void readOutLoadCopyAndWriteBack()
    {
        ctrl->readOut();
        QCOMPARE(ctrl->rows.size(), 424);
        for (int i = 0; i < 424; ++i) {
            const DspData& r = ctrl->config.at(i);
            QCOMPARE(r.regValue, quint64(emu->reg(r.dspIndex, r.address)));
            QCOMPARE(row(i)->ValRestored->styleSheet() == StyleSheets::pink, r.regValue != 0);
        }
        const ConfigLine* line = row(gain2Of1);
        QCOMPARE(QStringList({line->No->text(), line->Dsp->text(), line->Ch->text(), line->Addr->text(),
                              line->ValNow->text(), line->HexNew->text(), line->ValRestored->text()}),
                 QStringList({"313", "DSP1", "Ch2", "b4000600", "5", "0005", ""}));

        // Matched by address from the record's own position on: unit 1's record meets unit 0's row,
        // shown at once where it is in view.
        const ConfigLine* shown = row(gain2Of0);
        ctrl->load(file("DSP1 Ch2 Coarse Gain : 0 b4000600 9\nDSP0 Mode : 0 b4000010 3\n"));
        QCOMPARE(shown->HexRestored->text(), QString("0009"));
        ctrl->copyRestored();
        QCOMPARE(row(gain2Of0)->ValNew->styleSheet() + row(gain2Of0)->ValRestored->styleSheet(),
                 StyleSheets::pink + QString(StyleSheets::pink)); // both differ from the unit's 0
        type(row(gain2Of1)->ValNew, "5");
        QCOMPARE(row(gain2Of1)->HexNew->text() + row(gain2Of1)->ValNew->styleSheet(),
                 QString("0000")); // as copied: an edit leaves it; the unit's value unmarks it
        ctrl->writeBack();
        QCOMPARE(emu->regs(0, channelAddress(A::channelBase, 2), 1), quint64(9));
        QCOMPARE(emu->regs(0, A::mode, 1), quint64(3));
        QCOMPARE(emu->regs(0, A::measTime1, 1), quint64(0)); // no loaded value: 0 copied
        QCOMPARE(row(gain2Of1)->ValNow->text() + ' ' + row(gain2Of1)->ValNew->text(), QString("5 5"));
        // Rows for the view, not for the table, however many read-outs there were.
        const int pitch = row(0)->height() + ctrl->Base->spacing();
        QVERIFY(ctrl->findChildren<ConfigLine*>("ConfigLine").size() * pitch <=
                ctrl->scrollArea->viewport()->height() + 5 * pitch);
    }

    // A line keeps its record, and an edit in progress, while the record is in view; one that
    // scrolls out takes the edit into its record first. Tab goes on to the next record's row.
    void rowsRefilledAsTheViewScrolls()
    {
        ctrl->readOut();
        const int lines = ctrl->configLines.size(), at = 2 * lines - 1; // the last line of the cycle
        QLineEdit* field = row(at)->ValNew;
        row(at)->ValRestored->setFocus();
        field->setText("070000");
        QCOMPARE(row(at + 1)->ValNew->text(), QString("0"));
        QCOMPARE(QApplication::focusWidget(), row(at)->ValRestored);
        QCOMPARE(row(at)->ValNew, field);
        QCOMPARE(ctrl->rows.at(at).valNew, quint16(0)); // not finished yet
        row(400);
        QCOMPARE(QString::number(ctrl->rows.at(at).valNew) + ' ' + ctrl->rows.at(at).newHex,
                 QString("4464 0000"));
        QCOMPARE(row(at)->ValNew->text() + ' ' + row(at)->ValNew->styleSheet(),
                 "070000 " + QString(StyleSheets::pink));
        QCOMPARE(row(at + 1)->ValNew->text(), QString("0"));
        QCOMPARE(QApplication::focusWidget(), ctrl->scrollArea); // the keys go on scrolling

        row(at)->HexRestored->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), row(at + 1)->Dsp);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), row(at)->HexRestored);
    }

    void compositeViews()
    {
        // First row, loaded values typed from it on, "x y": the views read it as the most significant word.
        for (const QStringList& c : {QStringList{"421", "65535 65535 5", "-1 -65531"},
                                     QStringList{"423", "7", "458752 3.00648e+10"}}) {
            const QStringList values = c.at(1).split(' ');
            for (int k = values.size() - 1; k >= 0; --k)
                type(row(c.at(0).toInt() + k)->ValRestored, values.at(k));
            QCOMPARE(ctrl->Val4Bytes->text() + ' ' + ctrl->Val6Bytes->text(), c.at(2));
        }
    }

    void silentUnitIsCutAndNothingIsWrittenOutsideTheMap()
    {
        UnitFaults silent;
        silent.noAnswer = true;
        emu->setFaults(1, silent);
        emu->clearRequests(1);
        redLines.clear();
        ctrl->readOut();
        QCOMPARE(redLines.value(0), QString("dsp1: no answer to 3 reads in a row, 209 registers not read"));
        ctrl->writeBack();                    // unit 1's records hold address 0
        QCOMPARE(emu->requests(1).size(), 6); // the reads of two cut read-outs, no write
        QVERIFY(redLines.contains("Not written: DSP1 [00000000] no register at this address (Coarse Gain)"));

        // Unit 1 now falls silent after two writes: three go unanswered, the rest are kept.
        silent = UnitFaults();
        silent.answersLeft = 2;
        emu->setFaults(1, silent);
        emu->clearRequests(0);
        emu->clearRequests(1);
        redLines.clear();
        ctrl->recover(file("12\nDSP0 Mode stray\nDSP5 Mode : 0 b4000010 1\n# x\nDSP0 Mode : 0 b4000010 6\n" +
                           QByteArray("DSP1 Mode : 0 b4000010 1\n").repeated(10)));
        QCOMPARE(requestTexts(emu->requests(0)), QStringList("write b4000010 x2 id7 = 6"));
        QCOMPARE(emu->requests(1).size(), 5);
        QCOMPARE(redLines, QStringList({"Not written: DSP0 [00000000] no register at this address (line 1)",
                                        "Not written: DSP0 [000000de] no register at this address (line 2)",
                                        "Not written: DSP5 [b4000010] no such unit (line 3)",
                                        "dsp1: no answer to 3 writes in a row, 5 settings not written"}));
        emu->setFaults(1, UnitFaults());
    }

    // A settings file target that is no regular file is refused: a FIFO nobody reads does not
    // hold the start-up dump (nor the log-in), and nothing is written through a symlink.
    void targetThatIsNoRegularFile()
    {
        TavikRig rig;
        const QString fifo = rig.dir.filePath("dump.stg"), link = rig.dir.filePath("link.stg");
        QFile kept(rig.dir.filePath("kept.stg"));
        QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QVERIFY(writeTextFile(kept.fileName(), "kept\n") && kept.link(link));
        rig.extraArgs = QStringList{"-dump"};
        QString error = rig.startUnits("127.0.72.2", 1);
        if (error.isEmpty()) error = rig.startTavik({"a " + rig.unitIp(0)});
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(!QFileInfo(fifo).isFile());
        redLines.clear();
        ctrl->save(link);
        QCOMPARE(redLines, QStringList("Err: can't open " + link + " to save dsp config"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("kept\n"));
    }

    void startUpDumpThenRecover()
    {
        TavikRig rig;
        QString error = rig.startUnits("127.0.72.2", 2);
        rig.emu->setReg(1, channelAddress(A::channelBase, 2), 5);
        rig.extraArgs = QStringList{"-dump", "-recover"};
        if (error.isEmpty())
            error = rig.startTavik({"a " + rig.unitIp(0) + " 1 1 1 1", "b " + rig.unitIp(1)});
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QFile file(rig.dir.filePath("dump.stg"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList dump = QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(dump.size(), 424);
        QCOMPARE(dump.at(312), "DSP1 Ch2 Coarse Gain" + QString(19, ' ') + " : ffc80602 b4000600 0005");

        // Every write after the start-up's data-transfer-delay write, against the file's records.
        QStringList written, expected;
        for (int unit = 0; unit < 2; ++unit) {
            bool recovering = false;
            for (const QByteArray& d : rig.emu->requests(unit)) {
                const UnitRequest r = UnitRequest::parse(d);
                if (recovering && r.write)
                    written << QString::asprintf("DSP%d %08x %04llx", unit, r.address, r.value);
                recovering = recovering || r.length == 4;
            }
        }
        for (const QString& line : dump)
            expected << line.section(' ', 0, 0) + ' ' + line.section(' ', -2);
        QCOMPARE(written, expected);
    }
};

QTEST_MAIN(TestDspSettingCtrl)
#include "tst_dspsettingctrl.moc"
