// The commands of the main window as a user runs them: Auto Tune, the load
// and antenna commands with their prompts, the settings dialog, the charts.
#include "windowtest.h"

#include "labdialog.h"
#include "sweepdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSlider>
#include <QTextEdit>

namespace
{

QString row(const QString &config, double l, double c, cplx z, int iteration)
{
    return QString("<tr><td align=center>%1</td><td>L=%2</td><td>C=%3</td><td>ZIn=%4 %5 %6</td>"
                   "<td>SWR=%7</td><td align=center>%8</td></tr>")
        .arg(config)
        .arg(l)
        .arg(c)
        .arg(z.real())
        .arg(z.imag() < 0 ? "-j" : "+j")
        .arg(std::abs(z.imag()))
        .arg(swrOf(z))
        .arg(iteration);
}

const QString head = "<table border=1 cellpadding=4><thead><tr><th>Config.</th><th>L [uH]</th>"
                     "<th>C [pF]</th><th>Z In [Ohm]</th><th>SWR</th><th>#Iterations</th>"
                     "</tr></thead>";
const QString tuned =
    " iterations the best is: \"C-Antenna\" configuration with L=1.65 uH C=180 pF";

} // namespace

class TestCommands : public QObject, WindowTest
{
    Q_OBJECT

    QString log() { return find<QTextEdit>("teLog")->toPlainText(); }
    void click(const char *button) { find<QPushButton>(button)->click(); }
    void clickOk(QWidget *dialog, QDialogButtonBox::StandardButton which = QDialogButtonBox::Ok)
    {
        dialog->findChild<QDialogButtonBox *>("buttonBox")->button(which)->click();
    }

private slots:
    void init()
    {
        removeSettingsFile();
        start();
    }
    void cleanup()
    {
        stop();
        QVERIFY(!QApplication::overrideCursor());
    }

    void autoTuneReport()
    {
        click("btnCalcLC");
        QCOMPARE(status(), QString("Done."));
        // The leading empty paragraph of an empty pane is its first block.
        QVERIFY(log().startsWith("Brute Force algorithm solutions\n\n"
                                 "All available matching configurations with SWR<1.2\n\n"));
        QVERIFY(log().contains("\nAfter 131072" + tuned + "\n\nSmart Tune algorithm solutions"));
        QVERIFY(log().endsWith("\nAfter 37" + tuned));
        const cplx z = networkInput(false, 14000, 1.65, 180, cplx(20, 100));
        QCOMPARE(window->lastReport(), head + row("\"C-Antenna\"", 1.65, 180, z, 37) + "</table>");
        QCOMPARE(find<QComboBox>("cmbL")->currentText(), QString("1.65"));
        QCOMPARE(find<QLabel>("lblSWR")->text(), QString("<b>%1</b>").arg(swrOf(z)));

        // A second run shows only its own report.
        calc()->bruteForce = false;
        click("btnCalcLC");
        QCOMPARE(log().count("algorithm solutions"), 1);
        QVERIFY(log().endsWith("\nAfter 37" + tuned));
    }

    void autoTuneReportsBothConfigurations()
    {
        // A 50-ohm load is matched with both banks at step 0, in either wiring.
        find<QLineEdit>("edtRLoad")->setText("50");
        find<QLineEdit>("edtXLoad")->setText("0");
        calc()->smartTune = false;
        click("btnCalcLC");
        const QString report = window->lastReport();
        QVERIFY(report.startsWith(head + row("\"C-Antenna\"", 0, 0, cplx(50, 0), 1)));
        QVERIFY(report.contains(row("C-TRX", 0, 0, cplx(50, 0), 65537)));
        QVERIFY(log().endsWith("configuration with L=0 uH C=0 pF"));
    }

    void autoTuneWithoutMatchesOrAlgorithms()
    {
        calc()->lowSWR = 1.0;
        click("btnCalcLC");
        QCOMPARE(log(), "Brute Force algorithm solutions\n\nAfter 131072" + tuned +
                            "\n\nSmart Tune algorithm solutions\n\nAfter 548" + tuned);
        QCOMPARE(window->lastReport(), head + "</table>");

        calc()->bruteForce = calc()->smartTune = false;
        window->statusBar()->showMessage("before");
        click("btnCalcLC");
        QCOMPARE(log(), QString("No algoritms enabled! Please check Vorlap Settings.\n"));
        QCOMPARE(status(), QString("before"));
    }

    void longReportListsTheFirstThousandMatches()
    {
        // Nearly every setting is below an SWR of 1000.
        calc()->lowSWR = 1000;
        calc()->smartTune = false;
        int matches = 0;
        for (const bool cTrx : {false, true})
            for (const double l : LCNet::LTable)
                for (const double c : LCNet::CTable)
                    matches += swrOf(networkInput(cTrx, 14000, l, c, cplx(20, 100))) < 1000;
        QVERIFY(matches > 1000);
        click("btnCalcLC");
        const QString report = window->lastReport();
        QCOMPARE(report.count("<tr><td align=center>"), 1000);
        QVERIFY(report.startsWith(head + row("\"C-Antenna\"", 0, 0, cplx(20, 100), 1)));
        QVERIFY(report.endsWith(
            QString("<tr><td colspan=6 align=center>... and %1 more matches</td></tr></table>")
                .arg(matches - 1000)));
        // The best setting and its summary do not depend on the limit.
        QVERIFY(log().endsWith("\nAfter 131072" + tuned));
        QCOMPARE(find<QComboBox>("cmbL")->currentText(), QString("1.65"));

        // After every command the newest lines are in view, wherever the
        // user left the pane.
        auto *pane = find<QTextEdit>("teLog");
        QVERIFY(pane->verticalScrollBar()->maximum() > 0);
        QCOMPARE(pane->verticalScrollBar()->value(), pane->verticalScrollBar()->maximum());
        pane->moveCursor(QTextCursor::Start);
        pane->verticalScrollBar()->setValue(0);
        click("btnCalcZload");
        QCOMPARE(pane->verticalScrollBar()->value(), pane->verticalScrollBar()->maximum());
    }

    void matchedLoad()
    {
        click("btnCalcZload");
        QVERIFY(log().startsWith("Z Load: R=0.00146"));
        QVERIFY(qAbs(calc()->loadImpedance.X - 5.715) < 1e-3);
        // The fields carry the load unrounded: a match to the last digits.
        QVERIFY(qAbs(calc()->currentSWR() - 1.0) < 1e-9);
        QCOMPARE(find<QLineEdit>("edtRLoad")->text(), LCNet::shortestText(calc()->loadImpedance.R));
        QCOMPARE(status(), QString("Done."));
    }

    void mismatchedLoad()
    {
        // The tuner of a known search: ring 4 holds the first hit, 16 + j104.
        find<QSlider>("horizontalSlider")->setValue(18);
        find<QSlider>("horizontalSlider_2")->setValue(12);
        calc()->impedanceStep = 1.0;
        QString initial;
        answerPrompt(QString(), &initial);
        click("btnFindZLoad");
        const QString shown = find<QLabel>("lblSWR")->text();
        QCOMPARE(initial, shown.mid(3, shown.size() - 7));
        QVERIFY(log().isEmpty());

        answerPrompt("1.5");
        click("btnFindZLoad");
        QCOMPARE(find<QLineEdit>("edtRLoad")->text(), QString("16"));
        QCOMPARE(calc()->loadImpedance, LCNet::Impedance(16, 104));
        QCOMPARE(log(), QString("Z Load Found: R=16 X=104"));
        QCOMPARE(status(), QString("Done."));
        QVERIFY(!window->findChild<QProgressDialog *>());
    }

    void mismatchedLoadEndsOnAnySettings_data()
    {
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("rings");
        QTest::addColumn<QString>("answer");
        QTest::newRow("zero step") << 0.0 << 10000 << "1.5";
        QTest::newRow("negative step") << -1.0 << 10000 << "1.5";
        QTest::newRow("NaN step") << qQNaN() << 10000 << "2";
        QTest::newRow("zero rings") << 0.01 << 0 << "1.5";
        QTest::newRow("not a number") << 1.0 << 50 << "abc";
    }
    void mismatchedLoadEndsOnAnySettings()
    {
        QFETCH(double, step);
        QFETCH(int, rings);
        QFETCH(QString, answer);
        calc()->impedanceStep = step;
        calc()->numberOfRings = rings;
        answerPrompt(answer);
        click("btnFindZLoad");
        QCOMPARE(log(), QString("Z Load not found!"));
        QCOMPARE(find<QLineEdit>("edtRLoad")->text(), QString("20"));
    }

    void searchTakesNoOtherInputAndCancels()
    {
        bool blocked = false;
        QObject scope;
        QTimer::singleShot(300, &scope, [&] {
            blocked = window->isSearching() && !find<QPushButton>("btnCalcLC")->isEnabled();
            QTest::keyClicks(find<QLineEdit>("edtRLoad"), "5");
            QTest::keyClick(window.get(), Qt::Key_L, Qt::ControlModifier);
            if (auto *progress = window->findChild<QProgressDialog *>())
                progress->cancel();
        });
        // A target nothing meets: the whole default walk would take seconds.
        answerPrompt("1e9");
        click("btnFindZLoad");
        QVERIFY(blocked);
        QCOMPARE(log(), QString("Z Load not found!"));
        QCOMPARE(find<QLineEdit>("edtRLoad")->text(), QString("20"));
        QVERIFY(!window->findChild<QDialog *>());
        QVERIFY(find<QPushButton>("btnCalcLC")->isEnabled());
    }

    void closingDuringTheSearchClosesAfterIt()
    {
        QObject scope;
        QTimer::singleShot(300, &scope, [&] { window->close(); });
        answerPrompt("1e9");
        QElapsedTimer clock;
        clock.start();
        click("btnFindZLoad");
        QVERIFY(clock.elapsed() < 3000);
        QVERIFY(!window->isVisible());
        QCOMPARE(calc()->loadImpedance, LCNet::Impedance(20, 100));
    }

    void antennaThroughACable()
    {
        QString initial;
        answerPrompt("10", &initial);
        click("btnCalcZAnt");
        QCOMPARE(initial, QString("10"));
        // The line equation solved for the far end: Zc (Zn - j t Zc) / (Zc - j t Zn).
        const double t = std::tan(2 * M_PI * 14e6 / 299792458.0 * (10 / 0.66));
        const cplx zn(20, 100), j(0, 1);
        const cplx za = 50.0 * (zn - j * t * 50.0) / (50.0 - j * t * zn);
        const double swr = swrOf(za), pRef = 100 * std::pow((swr - 1) / (swr + 1), 2);
        QVERIFY(qAbs(swr - 12.822) < 1e-3);
        QCOMPARE(window->lastReport(),
                 QString("<table border=1 cellpadding=4>"
                         "<tr><td align=center>Z</td><td>R=%1 X=%2</td></tr>"
                         "<tr><td align=center>SWR</td><td>%3</td></tr>"
                         "<tr><td align=center>PRef</td><td>%4 of 100W</td></tr>"
                         "<tr><td align=center>TL</td><td>%5 dB</td></tr></table>")
                     .arg(za.real())
                     .arg(za.imag())
                     .arg(swr)
                     .arg(pRef)
                     .arg(-10 * std::log10(1 - pRef / 100)));
        QVERIFY(log().startsWith("Antenna estimation\n"));
        // A length that is no number is no cable: the load itself.
        answerPrompt("abc");
        click("btnCalcZAnt");
        QVERIFY(window->lastReport().contains("<td>R=20 X=100</td>"));
        const QString before = log();
        answerPrompt(QString());
        click("btnCalcZAnt");
        QCOMPARE(log(), before);
    }

    void settingsDialog()
    {
        // Values that six digits would round come back from OK unchanged.
        calc()->lowSWR = 1.23456789;
        calc()->impedanceStep = 0.1 + 0.2;
        auto seen = answerNextModal([&](QWidget *dialog) {
            QCOMPARE(dialog->findChild<QLineEdit *>("edtRings")->text(), QString("10000"));
            dialog->findChild<QCheckBox *>("chkSmartTune")->setChecked(false);
            dialog->findChild<QCheckBox *>("chkBruteForce")->setChecked(false);
            clickOk(dialog);
        });
        find<QAction>("acnSettings")->trigger();
        QVERIFY(*seen);
        QCOMPARE(status(), QString("Settings applied."));
        QVERIFY(calc()->lowSWR == 1.23456789 && calc()->impedanceStep == 0.1 + 0.2);
        QSettings file(MainWindow::settingsFilePath(), QSettings::IniFormat);
        QCOMPARE(file.allKeys().size(), 26); // the ten, banks, components, cable, lab
        QCOMPARE(file.value("matching/LowSWR").toString(), QString("1.23456789"));
        click("btnCalcLC");
        QVERIFY(log().contains("No algoritms enabled!"));

        answerNextModal([&](QWidget *dialog) {
            dialog->findChild<QLineEdit *>("edtLowSWR")->setText("7");
            clickOk(dialog, QDialogButtonBox::Cancel);
        });
        find<QAction>("acnSettings")->trigger();
        QCOMPARE(calc()->lowSWR, 1.23456789);

        // A file that cannot be written is said so, after applying.
        QFile::remove(MainWindow::settingsFilePath());
        QVERIFY(QDir().mkpath(MainWindow::settingsFilePath()));
        answerNextModal([&](QWidget *dialog) {
            dialog->findChild<QLineEdit *>("edtVelF")->setText("0.8");
            clickOk(dialog);
        });
        find<QAction>("acnSettings")->trigger();
        QCOMPARE(calc()->velocityFactor, 0.8);
        QCOMPARE(status(), QString("Settings applied, but they could not be saved to \"%1\"")
                               .arg(MainWindow::settingsFilePath()));
    }

    void helpAboutAndCharts()
    {
        auto help =
            answerNextModal([](QWidget *dialog) { static_cast<QDialog *>(dialog)->accept(); });
        find<QAction>("acnHelp")->trigger();
        QVERIFY(*help);
        QString about;
        answerNextModal([&](QWidget *box) {
            about = box->findChild<QLabel *>("qt_msgbox_label")->text();
            static_cast<QDialog *>(box)->accept();
        });
        find<QAction>("acnAbout")->trigger();
        QVERIFY(about.startsWith("<h2>Vorlap Simulator v.1.2</h2><p>"));

        find<QAction>("acnLCChart")->trigger();
        find<QAction>("acnLCChart")->trigger();
        find<QAction>("acnZChart")->trigger();
        QCOMPARE(window->findChildren<QDialog *>().size(), 3);
        window->findChildren<QDialog *>().first()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(window->findChildren<QDialog *>().size(), 2);
        find<QLineEdit>("edtXLoad")->setText("50");
        find<QAction>("acnQuit")->trigger();
        QVERIFY(!window->isVisible());
    }

    // One Band Sweep window takes a file (as a drop would), and a point
    // chosen there becomes the tuner's; the lab opens beside it.
    void bandSweepAndTuningLab()
    {
        const QList<QAction *> analysis = find<QMenu>("menuAnalysis")->actions();
        QVERIFY(analysis.contains(find<QAction>("acnBandSweep")) &&
                analysis.contains(find<QAction>("acnTuningLab")));
        find<QAction>("acnBandSweep")->trigger();
        QVERIFY(window->sweepFile(QFINDTESTDATA("data/dipole20m.s1p")));
        QCOMPARE(window->findChildren<SweepDialog *>().size(), 1);
        auto *sweep = window->findChild<SweepDialog *>();
        QTRY_VERIFY_WITH_TIMEOUT(!sweep->isRunning(), 20000);
        const LCNet::SweepPoint p = sweep->result().points.at(7);
        emit sweep->pointChosen(p.frequencyKHz, p.load, p.l, p.c, p.type);
        QCOMPARE(calc()->frequency, p.frequencyKHz);
        QVERIFY(calc()->loadImpedance == p.load && calc()->inductance == p.l &&
                calc()->capacitance == p.c && calc()->netType == p.type);
        QCOMPARE(find<QLineEdit>("edtFreq")->text(), LCNet::shortestText(p.frequencyKHz));
        QCOMPARE(calc()->currentSWR(), p.swr);
        QVERIFY(!window->sweepFile(QFINDTESTDATA("tst_commands.cpp")));

        find<QAction>("acnTuningLab")->trigger();
        QCOMPARE(window->findChildren<LabDialog *>().size(), 1);
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
