// The commands of the main window as a user runs them: Auto Tune, the load
// and antenna commands with their prompts, and the settings dialog.
#include "dialogdriver.h"
#include "mainwindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QTextEdit>

#include <complex>
#include <memory>

namespace
{

using cplx = std::complex<double>;

cplx inputImpedance(bool cTrx, double kHz, double uH, double pF, cplx load)
{
    const double w = 2.0 * M_PI * kHz * 1e3;
    const cplx zl(0.0, w * uH * 1e-6);
    const cplx zc(0.0, -1.0 / (w * pF * 1e-12));
    if (pF == 0.0)
        return load + zl;
    if (!cTrx)
        return load * zc / (load + zc) + zl;
    const cplx s = load + zl;
    return s * zc / (s + zc);
}

double swrOf(cplx z)
{
    const double g = std::abs((z - 50.0) / (z + 50.0));
    return (1 + g) / (1 - g);
}

QString row(const QString &config, double l, double c, cplx z, double swr, int iteration)
{
    const QString zText = z.imag() < 0 ? QString("%1 -j %2").arg(z.real()).arg(-z.imag())
                                       : QString("%1 +j %2").arg(z.real()).arg(z.imag());
    return QString("<tr><td align=center>%1</td><td>L=%2</td><td>C=%3</td><td>ZIn=%4</td>"
                   "<td>SWR=%5</td><td align=center>%6</td></tr>")
        .arg(config)
        .arg(l)
        .arg(c)
        .arg(zText)
        .arg(swr)
        .arg(iteration);
}

const QString tableHead = "<table border=1 cellpadding=4><thead><tr><th>Config.</th><th>L [uH]</th>"
                          "<th>C [pF]</th><th>Z In [Ohm]</th><th>SWR</th><th>#Iterations</th>"
                          "</tr></thead>";

void removeSettingsFile()
{
    const QString path = MainWindow::settingsFilePath();
    QFile::remove(path);
    QDir(path).removeRecursively();
}

// Types `text` into the input dialog that opens next and presses OK.
std::shared_ptr<bool> answerPrompt(const QString &text, QString *initial = nullptr)
{
    return answerNextModal([=](QWidget *modal) {
        auto *dialog = qobject_cast<QInputDialog *>(modal);
        QVERIFY(dialog);
        if (initial)
            *initial = dialog->textValue();
        dialog->setTextValue(text);
        dialog->accept();
    });
}

std::shared_ptr<bool> cancelPrompt(QString *initial = nullptr)
{
    return answerNextModal([=](QWidget *modal) {
        if (auto *dialog = qobject_cast<QInputDialog *>(modal); dialog && initial)
            *initial = dialog->textValue();
        static_cast<QDialog *>(modal)->reject();
    });
}

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindow> window;

    template <class T> T *find(const char *name)
    {
        T *widget = window->findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    LCNet::Calculator *calc() { return window->tunerCalculator(); }
    QString status() { return window->statusBar()->currentMessage(); }
    QString log() { return find<QTextEdit>("teLog")->toPlainText(); }
    void setLoad(const char *r, const char *x)
    {
        find<QLineEdit>("edtRLoad")->setText(r);
        find<QLineEdit>("edtXLoad")->setText(x);
    }

private slots:
    void init()
    {
        removeSettingsFile();
        window = std::make_unique<MainWindow>();
        window->show();
        QCoreApplication::processEvents();
    }
    void cleanup()
    {
        window.reset();
        removeSettingsFile();
    }

    void autoTuneAtTheDefaults()
    {
        find<QPushButton>("btnCalcLC")->click();
        QCOMPARE(status(), QString("Done."));
        QVERIFY(!QApplication::overrideCursor());
        const QString text = log();
        // The leading empty paragraph of an empty pane is its first block.
        QVERIFY(text.startsWith("Brute Force algorithm solutions\n\n"
                                "All available matching configurations with SWR<1.2\n\n"));
        QVERIFY(text.contains("\nAfter 131072 iterations the best is: \"C-Antenna\" configuration "
                              "with L=1.65 uH C=180 pF\n\nSmart Tune algorithm solutions\n\n"
                              "All available matching configurations with SWR<1.2\n\n"));
        QVERIFY(text.endsWith("\nAfter 37 iterations the best is: \"C-Antenna\" configuration "
                              "with L=1.65 uH C=180 pF"));
        // The Smart Tune table is the last one assembled.
        const cplx z = inputImpedance(false, 14000, 1.65, 180, cplx(20, 100));
        QCOMPARE(window->lastReport(),
                 tableHead + row("\"C-Antenna\"", 1.65, 180, z, swrOf(z), 37) + "</table>");
        // The window shows the setting the search left.
        QCOMPARE(find<QComboBox>("cmbL")->currentText(), QString("1.65"));
        QCOMPARE(find<QComboBox>("cmbC")->currentText(), QString("180"));
        QCOMPARE(find<QLabel>("lblSWR")->text(), QString("<b>%1</b>").arg(swrOf(z)));
    }

    void bruteForceReportsBothConfigurations()
    {
        // A 50-ohm load is matched with both banks at step 0, in either wiring.
        setLoad("50", "0");
        calc()->smartTune = false;
        find<QPushButton>("btnCalcLC")->click();
        const QString report = window->lastReport();
        QVERIFY(report.startsWith(tableHead + row("\"C-Antenna\"", 0, 0, cplx(50, 0), 1, 1)));
        QVERIFY(report.contains(QString("<tr><td align=center>C-TRX</td><td>L=0</td><td>C=0</td>"
                                        "<td>ZIn=50 +j 0</td><td>SWR=1</td><td align=center>"
                                        "65537</td></tr>")));
        QVERIFY(report.endsWith("</tr></table>"));
        QVERIFY(log().endsWith("After 131072 iterations the best is: \"C-Antenna\" configuration "
                               "with L=0 uH C=0 pF"));
        QVERIFY(!log().contains("Smart Tune"));
    }

    void autoTuneWithoutMatches()
    {
        calc()->lowSWR = 1.0;
        find<QPushButton>("btnCalcLC")->click();
        QCOMPARE(log(), QString("Brute Force algorithm solutions\n\n"
                                "After 131072 iterations the best is: \"C-Antenna\" configuration "
                                "with L=1.65 uH C=180 pF\n\nSmart Tune algorithm solutions\n\n"
                                "After 548 iterations the best is: \"C-Antenna\" configuration "
                                "with L=1.65 uH C=180 pF"));
        QCOMPARE(window->lastReport(), tableHead + "</table>");
    }

    void autoTuneTwiceShowsOnlyTheSecondRun()
    {
        calc()->bruteForce = false;
        find<QPushButton>("btnCalcLC")->click();
        find<QPushButton>("btnCalcLC")->click();
        QCOMPARE(log().count("Smart Tune algorithm solutions"), 1);
        // The second run starts at the tuned setting: its first step matches.
        QVERIFY(log().endsWith("After 37 iterations the best is: \"C-Antenna\" configuration with "
                               "L=1.65 uH C=180 pF"));
        QVERIFY(!QApplication::overrideCursor());
    }

    void autoTuneWithNoAlgorithm()
    {
        calc()->bruteForce = false;
        calc()->smartTune = false;
        window->statusBar()->showMessage("before");
        find<QPushButton>("btnCalcLC")->click();
        QCOMPARE(log(), QString("No algoritms enabled! Please check Vorlap Settings.\n"));
        QCOMPARE(status(), QString("before"));
        QCOMPARE(calc()->inductance, 12.0);
        QVERIFY(!QApplication::overrideCursor());
    }

    void matchedLoadIsMatched()
    {
        find<QPushButton>("btnCalcZload")->click();
        QCOMPARE(status(), QString("Done."));
        const LCNet::Impedance z = calc()->loadImpedance;
        QVERIFY(qAbs(z.R - 0.00146) < 1e-5);
        QVERIFY(qAbs(z.X - 5.715) < 1e-3);
        QVERIFY(log().startsWith("Z Load: R=0.00146"));
        // Only the six digits of the fields keep it from an SWR of exactly 1.
        QVERIFY(qAbs(calc()->currentSWR() - 1.0) < 1e-3);
    }

    void mismatchedLoadPromptAndResult()
    {
        // The tuner of a known search: ring 4 holds the first hit, 16 + j104.
        find<QSlider>("horizontalSlider")->setValue(18);
        find<QSlider>("horizontalSlider_2")->setValue(12);
        QCOMPARE(calc()->inductance, 1.65);
        QCOMPARE(calc()->capacitance, 180.0);
        calc()->impedanceStep = 1.0;

        QString initial;
        auto seen = cancelPrompt(&initial);
        find<QPushButton>("btnFindZLoad")->click();
        QVERIFY(*seen);
        QString shown = find<QLabel>("lblSWR")->text();
        QCOMPARE(initial, shown.mid(3, shown.size() - 7));
        QVERIFY(log().isEmpty());

        answerPrompt("1.5");
        find<QPushButton>("btnFindZLoad")->click();
        QCOMPARE(find<QLineEdit>("edtRLoad")->text(), QString("16"));
        QCOMPARE(find<QLineEdit>("edtXLoad")->text(), QString("104"));
        QCOMPARE(calc()->loadImpedance, LCNet::Impedance(16, 104));
        QCOMPARE(log(), QString("Z Load Found: R=16 X=104"));
        QCOMPARE(status(), QString("Done."));
        QVERIFY(!window->findChild<QProgressDialog *>());
        QVERIFY(!QApplication::overrideCursor());
    }

    void mismatchedLoadWithBadSettingsEndsAtOnce_data()
    {
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("rings");
        QTest::addColumn<QString>("answer");
        QTest::newRow("zero step") << 0.0 << 10000 << "1.5";
        QTest::newRow("negative step") << -1.0 << 10000 << "1.5";
        QTest::newRow("NaN step") << qQNaN() << 10000 << "2";
        QTest::newRow("zero rings") << 0.01 << 0 << "1.5";
        QTest::newRow("negative rings") << 0.01 << -5 << "1.5";
        QTest::newRow("not a number") << 1.0 << 50 << "abc";
        QTest::newRow("NaN target") << 1.0 << 50 << "nan";
    }
    void mismatchedLoadWithBadSettingsEndsAtOnce()
    {
        QFETCH(double, step);
        QFETCH(int, rings);
        QFETCH(QString, answer);
        calc()->impedanceStep = step;
        calc()->numberOfRings = rings;
        answerPrompt(answer);
        find<QPushButton>("btnFindZLoad")->click();
        QCOMPARE(log(), QString("Z Load not found!"));
        QCOMPARE(find<QLineEdit>("edtRLoad")->text(), QString("20"));
        QCOMPARE(status(), QString("Done."));
    }

    void cancellingTheSearch()
    {
        // A target nothing meets: the whole default walk would take seconds.
        bool blocked = false;
        QString typed;
        QObject scope;
        QTimer::singleShot(300, &scope, [&] {
            blocked = window->isSearching() && !find<QAction>("acnCalcLC")->isEnabled() &&
                      !find<QLineEdit>("edtRLoad")->isEnabled();
            QTest::keyClicks(find<QLineEdit>("edtRLoad"), "5");
            QTest::keyClick(window.get(), Qt::Key_L, Qt::ControlModifier);
            typed = find<QLineEdit>("edtRLoad")->text();
            if (auto *progress = window->findChild<QProgressDialog *>())
                progress->cancel();
        });
        answerPrompt("1e9");
        find<QPushButton>("btnFindZLoad")->click();
        QVERIFY(blocked);
        QCOMPARE(typed, QString("20"));
        QCOMPARE(log(), QString("Z Load not found!"));
        QCOMPARE(find<QLineEdit>("edtRLoad")->text(), QString("20"));
        QCOMPARE(status(), QString("Done."));
        QVERIFY(!window->findChild<QProgressDialog *>());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(find<QAction>("acnCalcLC")->isEnabled());
        QVERIFY(find<QLineEdit>("edtRLoad")->isEnabled());
        // Nothing started inside the search: no chart was opened.
        QVERIFY(!window->findChild<QDialog *>());
    }

    void closingDuringTheSearch()
    {
        QObject scope;
        QTimer::singleShot(300, &scope, [&] { window->close(); });
        answerPrompt("1e9");
        QElapsedTimer clock;
        clock.start();
        find<QPushButton>("btnFindZLoad")->click();
        QVERIFY(clock.elapsed() < 3000);
        QVERIFY(!window->isVisible());
        QVERIFY(!window->isSearching());
        QCOMPARE(calc()->loadImpedance, LCNet::Impedance(20, 100));
        QVERIFY(!QApplication::overrideCursor());
    }

    void antennaThroughTheDefaultCable()
    {
        QString initial;
        answerPrompt("10", &initial);
        find<QPushButton>("btnCalcZAnt")->click();
        QCOMPARE(initial, QString("10"));
        // Line equation solved for the far end: Za = Zc (Zn - j t Zc) / (Zc - j t Zn).
        const double t = std::tan(2 * M_PI * 14e6 / 299792458.0 * (10 / 0.66));
        const cplx zn(20, 100), j(0, 1);
        const cplx za = 50.0 * (zn - j * t * 50.0) / (50.0 - j * t * zn);
        QVERIFY(qAbs(za.real() - 4.0344) < 1e-3);
        const double swr = swrOf(za);
        QVERIFY(qAbs(swr - 12.822) < 1e-3);
        const double pRef = 100 * std::pow((swr - 1) / (swr + 1), 2);
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
        QCOMPARE(status(), QString("Done."));
        QCOMPARE(calc()->loadImpedance, LCNet::Impedance(20, 100));

        // A length that is no number is a cable of length 0: the load itself.
        answerPrompt("abc");
        find<QPushButton>("btnCalcZAnt")->click();
        QVERIFY(window->lastReport().contains("<td>R=20 X=100</td>"));
        // Cancelled: nothing is appended.
        const QString before = log();
        cancelPrompt();
        find<QPushButton>("btnCalcZAnt")->click();
        QCOMPARE(log(), before);
    }

    void settingsDialogAppliesAndSaves()
    {
        auto seen = answerNextModal([](QWidget *modal) {
            QCOMPARE(modal->objectName(), QString("SettingsDialog"));
            QCOMPARE(modal->findChild<QLineEdit *>("edtLowSWR")->text(), QString("1.2"));
            QCOMPARE(modal->findChild<QLineEdit *>("edtRings")->text(), QString("10000"));
            QVERIFY(modal->findChild<QCheckBox *>("chkBruteForce")->isChecked());
            modal->findChild<QLineEdit *>("edtRings")->setText("2.9");
            modal->findChild<QLineEdit *>("edtLowSWR")->setText("abc");
            modal->findChild<QCheckBox *>("chkSmartTune")->setChecked(false);
            modal->findChild<QCheckBox *>("chkBruteForce")->setChecked(false);
            modal->findChild<QDialogButtonBox *>("buttonBox")
                ->button(QDialogButtonBox::Ok)
                ->click();
        });
        find<QAction>("acnSettings")->trigger();
        QVERIFY(*seen);
        QCOMPARE(status(), QString("Settings applied."));
        QCOMPARE(calc()->numberOfRings, 2);
        QCOMPARE(calc()->lowSWR, 0.0);
        QSettings file(MainWindow::settingsFilePath(), QSettings::IniFormat);
        QCOMPARE(file.allKeys().size(), 10);
        QCOMPARE(file.value("zLoad/NumberOfRings").toInt(), 2);
        QCOMPARE(file.value("matching/LowSWR").toDouble(), 0.0);
        // With both algorithms off, Auto Tune says so.
        find<QPushButton>("btnCalcLC")->click();
        QVERIFY(log().contains("No algoritms enabled!"));
    }

    void settingsDialogCancelChangesNothing()
    {
        window->statusBar()->showMessage("before");
        answerNextModal([](QWidget *modal) {
            modal->findChild<QLineEdit *>("edtLowSWR")->setText("7");
            modal->findChild<QDialogButtonBox *>("buttonBox")
                ->button(QDialogButtonBox::Cancel)
                ->click();
        });
        find<QAction>("acnSettings")->trigger();
        QCOMPARE(calc()->lowSWR, 1.2);
        QCOMPARE(status(), QString("before"));
        QVERIFY(!QFile::exists(MainWindow::settingsFilePath()));
    }

    void settingsThatCannotBeSavedAreReported()
    {
        QVERIFY(QDir().mkpath(MainWindow::settingsFilePath()));
        answerNextModal([](QWidget *modal) {
            modal->findChild<QLineEdit *>("edtVelF")->setText("0.8");
            modal->findChild<QDialogButtonBox *>("buttonBox")
                ->button(QDialogButtonBox::Ok)
                ->click();
        });
        find<QAction>("acnSettings")->trigger();
        QCOMPARE(calc()->velocityFactor, 0.8);
        QCOMPARE(status(), QString("Settings applied, but they could not be saved to \"%1\"")
                               .arg(MainWindow::settingsFilePath()));
    }

    void helpAndAboutOpenAndClose()
    {
        auto help = answerNextModal([](QWidget *modal) {
            QCOMPARE(modal->windowTitle(), QString("Help"));
            static_cast<QDialog *>(modal)->accept();
        });
        find<QAction>("acnHelp")->trigger();
        QVERIFY(*help);
        QString text;
        auto about = answerNextModal([&](QWidget *modal) {
            text = modal->findChild<QLabel *>("qt_msgbox_label")->text();
            static_cast<QDialog *>(modal)->accept();
        });
        find<QAction>("acnAbout")->trigger();
        QVERIFY(*about);
        QVERIFY(text.startsWith("<h2>Vorlap Simulator v.1.2</h2><p>"));
    }

    void chartsOpenFollowAndClose()
    {
        find<QAction>("acnLCChart")->trigger();
        find<QAction>("acnLCChart")->trigger();
        find<QAction>("acnZChart")->trigger();
        auto dialogs = window->findChildren<QDialog *>();
        QCOMPARE(dialogs.size(), 3);
        dialogs.first()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(window->findChildren<QDialog *>().size(), 2);
        // The rest keep following the calculator.
        find<QLineEdit>("edtXLoad")->setText("50");
        QCOMPARE(calc()->loadImpedance.X, 50.0);
        // Quitting closes at once, dialogs and all.
        find<QAction>("acnQuit")->trigger();
        QVERIFY(!window->isVisible());
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
