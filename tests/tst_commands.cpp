// The commands of the main window as a user runs them: Auto Tune, the load
// and antenna commands with their prompts, the settings dialog, the charts.
#include "windowtest.h"

#include "labdialog.h"
#include "lcchartdialog.h"
#include "lcmatrixitem.h"
#include "sweepdialog.h"

namespace
{

QString row(const QString &config, double l, double c, cplx z, int iteration)
{
    return QString("<tr><td align=center>%1</td><td>L=%2</td><td>C=%3</td><td>ZIn=%4 %5 %6</td>"
                   "<td>SWR=%7</td><td align=center>%8</td></tr>")
        .arg(config, QString::number(l), QString::number(c), QString::number(z.real()),
             z.imag() < 0 ? "-j" : "+j", QString::number(std::abs(z.imag())),
             QString::number(swrOf(z)), QString::number(iteration));
}

const QString head = "<table border=1 cellpadding=4><thead><tr><th>Config.</th><th>L [uH]</th>"
                     "<th>C [pF]</th><th>Z In [Ohm]</th><th>SWR</th><th>#Iterations</th>"
                     "</tr></thead>";
const QString tuned =
    " iterations the best is: \"C-Antenna\" configuration with L=1.65 uH C=180 pF";

// The number after `key` in a report, as the report writes it.
double reported(const QString &report, const QString &key)
{
    const int at = report.indexOf(key);
    const QString rest = report.mid(at + key.size());
    return at < 0 ? qQNaN() : rest.left(rest.indexOf(QRegularExpression("[^0-9.e+-]"))).toDouble();
}

} // namespace

class TestCommands : public QObject, WindowTest
{
    Q_OBJECT

    QString log() { return find<QTextEdit>("teLog")->toPlainText(); }
    void click(const char *button) { find<QPushButton>(button)->click(); }
    // Clicks `button`, whose prompt is answered with `text` (null: cancelled).
    void ask(const char *button, const QString &text, QString *initial = nullptr)
    {
        answerPrompt(text, initial);
        click(button);
    }
    // The settings dialog, changed by `edit`, then closed with `button`.
    void runSettings(const std::function<void(QWidget *)> &edit,
                     QDialogButtonBox::StandardButton button = QDialogButtonBox::Ok)
    {
        auto seen = answerNextModal([=](QWidget *dialog) {
            edit(dialog);
            dialog->findChild<QDialogButtonBox *>("buttonBox")->button(button)->click();
        });
        find<QAction>("acnSettings")->trigger();
        QVERIFY(*seen);
    }

private slots:
    void init() { startClean(); }
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

        // No match: a second run shows only its own summaries.
        calc()->lowSWR = 1.0;
        click("btnCalcLC");
        QCOMPARE(log(), "Brute Force algorithm solutions\n\nAfter 131072" + tuned +
                            "\n\nSmart Tune algorithm solutions\n\nAfter 548" + tuned);
        QCOMPARE(window->lastReport(), head + "</table>");

        // A 50-ohm load is matched with both banks at step 0, in either wiring.
        calc()->lowSWR = 1.2;
        calc()->smartTune = false;
        find<QLineEdit>("edtRLoad")->setText("50");
        find<QLineEdit>("edtXLoad")->setText("0");
        click("btnCalcLC");
        QVERIFY(window->lastReport().contains(row("C-TRX", 0, 0, cplx(50, 0), 65537)));

        calc()->bruteForce = false;
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

        // After every command the newest lines are in view, wherever the
        // user left the pane.
        QScrollBar *bar = find<QTextEdit>("teLog")->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        find<QTextEdit>("teLog")->moveCursor(QTextCursor::Start);
        bar->setValue(0);
        click("btnCalcZload");
        QCOMPARE(bar->value(), bar->maximum());
    }

    void matchedAndMismatchedLoads()
    {
        click("btnCalcZload");
        QVERIFY(log().startsWith("Z Load: R=0.00146"));
        QVERIFY(qAbs(calc()->loadImpedance.X - 5.715) < 1e-3);
        // The fields carry the load unrounded: a match to the last digits.
        QVERIFY(qAbs(calc()->currentSWR() - 1.0) < 1e-9);
        QCOMPARE(find<QLineEdit>("edtRLoad")->text(), LCNet::shortestText(calc()->loadImpedance.R));
        QCOMPARE(status(), QString("Done."));

        // The tuner of a known search: ring 4 holds the first hit, 16 + j104.
        find<QLineEdit>("edtRLoad")->setText("20");
        find<QLineEdit>("edtXLoad")->setText("100");
        find<QSlider>("horizontalSlider")->setValue(18);
        find<QSlider>("horizontalSlider_2")->setValue(12);
        calc()->impedanceStep = 1.0;
        QString initial;
        find<QTextEdit>("teLog")->clear();
        ask("btnFindZLoad", QString(), &initial);
        const QString shown = find<QLabel>("lblSWR")->text();
        QCOMPARE(initial, shown.mid(3, shown.size() - 7));
        QVERIFY(log().isEmpty());
        ask("btnFindZLoad", "1.5");
        QCOMPARE(find<QLineEdit>("edtRLoad")->text(), QString("16"));
        QCOMPARE(calc()->loadImpedance, LCNet::Impedance(16, 104));
        QCOMPARE(log(), QString("Z Load Found: R=16 X=104"));
        QCOMPARE(status(), QString("Done."));
        QVERIFY(!window->findChild<QProgressDialog *>());

        // An answer that is no number is a target of 0, which no load meets.
        calc()->numberOfRings = 50;
        ask("btnFindZLoad", "abc");
        QVERIFY(log().endsWith("Z Load not found!"));
        QCOMPARE(find<QLineEdit>("edtRLoad")->text(), QString("16"));
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
        ask("btnFindZLoad", "1e9");
        QVERIFY(blocked);
        QCOMPARE(log(), QString("Z Load not found!"));
        QCOMPARE(find<QLineEdit>("edtRLoad")->text(), QString("20"));
        QVERIFY(!window->findChild<QDialog *>());
        QVERIFY(find<QPushButton>("btnCalcLC")->isEnabled());

        // Closed during the search: the window closes once it has ended.
        QTimer::singleShot(300, &scope, [&] { window->close(); });
        QElapsedTimer clock;
        clock.start();
        ask("btnFindZLoad", "1e9");
        QVERIFY(clock.elapsed() < 3000);
        QVERIFY(!window->isVisible());
        QCOMPARE(calc()->loadImpedance, LCNet::Impedance(20, 100));
    }

    void antennaThroughACable()
    {
        QString initial;
        ask("btnCalcZAnt", "10", &initial);
        QCOMPARE(initial, QString("10"));
        // The line equations with γl = α + jβ, solved for the far end.
        const cplx zn(20, 100);
        auto farEnd = [&](double lossDb) {
            const cplx t = std::tanh(
                cplx(lossDb * std::log(10.0) / 20, 2 * M_PI * 14e6 / 299792458.0 * (10 / 0.66)));
            return 50.0 * (zn - 50.0 * t) / (50.0 - zn * t);
        };
        const cplx za = farEnd(0);
        auto n = [](double x) { return QString::number(x); };
        const double swr = swrOf(za), pRef = 100 * std::pow((swr - 1) / (swr + 1), 2);
        QVERIFY(qAbs(swr - 12.822) < 1e-3);
        QCOMPARE(window->lastReport(),
                 QString("<table border=1 cellpadding=4>"
                         "<tr><td align=center>Z</td><td>R=%1 X=%2</td></tr>"
                         "<tr><td align=center>SWR</td><td>%3</td></tr>"
                         "<tr><td align=center>PRef</td><td>%4 of 100W</td></tr>"
                         "<tr><td align=center>TL</td><td>%5 dB</td></tr></table>")
                     .arg(n(za.real()), n(za.imag()), n(swr), n(pRef),
                          n(-10 * std::log10(1 - pRef / 100))));
        QVERIFY(log().startsWith("Antenna estimation\n"));
        // A length that is no number is no cable: the load itself.
        ask("btnCalcZAnt", "abc");
        QVERIFY(window->lastReport().contains("<td>R=20 X=100</td>"));
        const QString before = log();
        ask("btnCalcZAnt", QString());
        QCOMPARE(log(), before);

        // A lossy line: 2 dB per 100 m at 10 MHz, over 10 m, growing with
        // the root of f.
        calc()->cable = {"rg213", 50, 2.0};
        ask("btnCalcZAnt", "10");
        const QString report = window->lastReport();
        QCOMPARE(report.count("<tr>"), 8);
        const double loss = 2.0 * 0.1 * std::sqrt(14.0 / 10.0);
        QVERIFY(report.contains("<td align=center>Cable</td><td>RG-213, 50 Ohm</td>"));
        QVERIFY(report.contains(QString("<td>%1 dB matched, 10 m at 14000 kHz</td>").arg(loss)));
        // The far end's load, and the SWR on the line at either end.
        const cplx lossy = farEnd(loss);
        const std::pair<const char *, double> figures[] = {{"<td>R=", lossy.real()},
                                                           {" X=", lossy.imag()},
                                                           {"SWR antenna</td><td>", swrOf(lossy)},
                                                           {"SWR tuner</td><td>", swrOf(zn)}};
        for (const auto &[key, value] : figures)
            QVERIFY2(std::abs(reported(report, key) / value - 1) < 1e-5, key);
        // Over 30 m the line returns less than the tuner sees reflected.
        ask("btnCalcZAnt", "30");
        QVERIFY(reported(window->lastReport(), "<td>R=") < 0);
        QVERIFY(window->lastReport().contains("<td>No passive antenna gives this load"));
    }

    // A 7 + 7 relay design entered in the dialog: lists, sliders, Brute
    // Force and the open L/C chart take its steps; the defaults bring every
    // figure back. Then what OK, Cancel and a failed save do.
    void settingsDialog()
    {
        find<QAction>("acnLCChart")->trigger();
        auto *chartView = window->findChild<LCChartDialog *>()->findChild<QGraphicsView *>();
        auto chartSteps = [&] {
            for (QGraphicsItem *item : chartView->scene()->items())
                if (auto *matrix = dynamic_cast<LCMatrixItem *>(item))
                    return matrix->lSteps().size();
            return size_t(0);
        };
        auto design = [](const QString &name) {
            return [=](QWidget *dialog) {
                auto *list = dialog->findChild<QComboBox *>("cmbBankPreset");
                list->setCurrentIndex(list->findText(name));
                emit list->activated(list->currentIndex());
            };
        };
        runSettings(design("7 + 7 relays, binary from 0.05 µH / 10 pF"));
        QCOMPARE(chartSteps(), size_t(128));
        QVERIFY(QFile::exists(MainWindow::settingsFilePath()));

        // Pure binary banks: step i is i/20 uH and 10 i pF.
        auto *cmbL = find<QComboBox>("cmbL");
        auto *cmbC = find<QComboBox>("cmbC");
        QVERIFY(cmbL->count() == 128 && cmbC->count() == 128 &&
                find<QSlider>("horizontalSlider")->maximum() == 127 &&
                find<QSlider>("horizontalSlider_2")->maximum() == 127);
        QVERIFY(cmbL->itemText(127) == "6.35" && cmbC->itemText(127) == "1270");
        // 12 uH and 2000 pF are no steps now: the values stay as typed.
        QCOMPARE(cmbL->currentText(), QString("12"));
        QCOMPARE(calc()->capacitance, 2000.0);
        find<QSlider>("horizontalSlider")->setValue(33);
        QCOMPARE(calc()->inductance, 1.65);

        // Brute Force against every setting tried here, in its order: the
        // first best is kept.
        std::tuple<double, bool, int, int> best{HUGE_VAL, false, -1, -1};
        for (const bool cTrx : {false, true})
            for (int i = 0; i < 128; ++i)
                for (int j = 0; j < 128; ++j)
                    best = std::min(
                        best, {swrOf(networkInput(cTrx, 14000, i / 20.0, 10.0 * j, cplx(20, 100))),
                               cTrx, i, j});
        const auto [swr, bestTrx, bestL, bestC] = best;
        calc()->smartTune = false;
        click("btnCalcLC");
        QVERIFY(log().endsWith(
            QString("After 32768 iterations the best is: %1 configuration with L=%2 uH C=%3 pF")
                .arg(bestTrx ? "C-TRX" : "\"C-Antenna\"", QString::number(bestL / 20.0),
                     QString::number(10.0 * bestC))));
        QCOMPARE(find<QSlider>("horizontalSlider")->value(), bestL);
        QCOMPARE(find<QSlider>("horizontalSlider_2")->value(), bestC);

        runSettings(design("8 + 8 relays (default)"));
        QCOMPARE(chartSteps(), size_t(256));
        QVERIFY(cmbL->count() == 256 && cmbC->itemText(255) == "3961" &&
                find<QSlider>("horizontalSlider")->maximum() == 255);
        click("btnCalcLC");
        QVERIFY(log().endsWith("\nAfter 131072" + tuned));
        QCOMPARE(LCNet::LTable[size_t(cmbL->currentIndex())], 1.65);

        // Values that six digits would round come back from OK unchanged.
        calc()->lowSWR = 1.23456789;
        calc()->impedanceStep = 0.1 + 0.2;
        runSettings([](QWidget *dialog) {
            QCOMPARE(dialog->findChild<QLineEdit *>("edtRings")->text(), QString("10000"));
            dialog->findChild<QCheckBox *>("chkSmartTune")->setChecked(false);
            dialog->findChild<QCheckBox *>("chkBruteForce")->setChecked(false);
        });
        QCOMPARE(status(), QString("Settings applied."));
        QVERIFY(calc()->lowSWR == 1.23456789 && calc()->impedanceStep == 0.1 + 0.2);
        click("btnCalcLC");
        QVERIFY(log().contains("No algoritms enabled!"));

        runSettings([](QWidget *d) { d->findChild<QLineEdit *>("edtLowSWR")->setText("7"); },
                    QDialogButtonBox::Cancel);
        QCOMPARE(calc()->lowSWR, 1.23456789);

        // A file that cannot be written is said so, after applying.
        QFile::remove(MainWindow::settingsFilePath());
        QVERIFY(QDir().mkpath(MainWindow::settingsFilePath()));
        runSettings([](QWidget *d) { d->findChild<QLineEdit *>("edtVelF")->setText("0.8"); });
        QCOMPARE(calc()->velocityFactor, 0.8);
        QCOMPARE(status(), QString("Settings applied, but they could not be saved to \"%1\"")
                               .arg(MainWindow::settingsFilePath()));
    }

    void autoTuneReportWithLosses()
    {
        calc()->components = {true, 100, 1000, 100, 1000, 10};
        calc()->bruteForce = false;
        click("btnCalcLC");
        const QString report = window->lastReport();
        QVERIFY(report.startsWith(QString(head).replace(
            "<th>SWR</th>", "<th>SWR</th><th>Eff. [%]</th><th>V(C) peak [V]</th>")));
        // Smart Tune stops at its last match: the figures of that setting.
        const QString last = report.mid(report.lastIndexOf("<tr>"));
        QCOMPARE(reported(last, "<td>L="), calc()->inductance);
        const LossyFigures f =
            lossyFigures(calc()->netType == LCNet::Calculator::CTrx, 14000, calc()->inductance,
                         calc()->capacitance, 100, 1000, 100, cplx(20, 100));
        QVERIFY2(std::abs(reported(last, "<td>Eff=") - 100 * f.efficiency) <= 0.05 &&
                     std::abs(reported(last, "<td>VC=") / f.voltageCPeak - 1) <= 0.005,
                 qPrintable(last));
    }

    void helpAboutAndWindows()
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

        for (const char *chart : {"acnLCChart", "acnLCChart", "acnZChart"})
            find<QAction>(chart)->trigger();
        QCOMPARE(window->findChildren<QDialog *>().size(), 3);
        window->findChildren<QDialog *>().first()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(window->findChildren<QDialog *>().size(), 2);

        // One Band Sweep window takes a file (as a drop would), and a point
        // chosen there becomes the tuner's; the lab opens beside it.
        const QList<QAction *> analysis = find<QMenu>("menuAnalysis")->actions();
        QVERIFY(analysis.contains(find<QAction>("acnBandSweep")) &&
                analysis.contains(find<QAction>("acnTuningLab")));
        find<QAction>("acnBandSweep")->trigger();
        QVERIFY(window->sweepFile(QFINDTESTDATA("data/dipole20m.s1p")));
        QCOMPARE(window->findChildren<SweepDialog *>().size(), 1);
        auto *sweep = window->findChild<SweepDialog *>();
        QTRY_VERIFY_WITH_TIMEOUT(!sweep->isRunning(), 20000);
        const LCNet::SweepPoint p = sweep->result().points.at(7);
        // From the other configuration, so that taking the point's shows.
        calc()->setNetType(p.type == LCNet::Calculator::CTrx ? LCNet::Calculator::CAntenna
                                                             : LCNet::Calculator::CTrx);
        emit sweep->pointChosen(p.frequencyKHz, p.load, p.l, p.c, p.type);
        QVERIFY(calc()->frequency == p.frequencyKHz && calc()->loadImpedance == p.load &&
                calc()->inductance == p.l && calc()->capacitance == p.c &&
                calc()->netType == p.type);
        QCOMPARE(find<QLineEdit>("edtFreq")->text(), LCNet::shortestText(p.frequencyKHz));
        QCOMPARE(calc()->currentSWR(), p.swr);
        QVERIFY(!window->sweepFile(QFINDTESTDATA("tst_commands.cpp")));
        find<QAction>("acnTuningLab")->trigger();
        QCOMPARE(window->findChildren<LabDialog *>().size(), 1);

        find<QLineEdit>("edtXLoad")->setText("50");
        find<QAction>("acnQuit")->trigger();
        QVERIFY(!window->isVisible());
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
