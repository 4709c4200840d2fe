// The main window as a user drives it: start-up, the input panel, the live
// results and the settings file.
#include "mainwindow.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QStatusBar>
#include <QTest>

#include <complex>
#include <memory>

namespace
{

using cplx = std::complex<double>;

// Input impedance written out from circuit theory, independently of the core.
cplx inputImpedance(bool cTrx, double kHz, double uH, double pF, cplx load)
{
    const double w = 2.0 * M_PI * kHz * 1e3;
    const cplx zl(0.0, w * uH * 1e-6);
    const cplx zc(0.0, -1.0 / (w * pF * 1e-12));
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

// The number between the bold tags of a result label.
double boldNumber(const QLabel *label)
{
    QString t = label->text();
    return t.mid(3, t.size() - 7).toDouble();
}

void removeSettingsFile()
{
    const QString path = MainWindow::settingsFilePath();
    QFile::remove(path);
    QDir(path).removeRecursively();
}

void writeSettingsFile(const QByteArray &content)
{
    removeSettingsFile();
    QFile file(MainWindow::settingsFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

class TestMainWindow : public QObject
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
    void start()
    {
        window = std::make_unique<MainWindow>();
        window->show();
        QCoreApplication::processEvents();
    }
    QString status() { return window->statusBar()->currentMessage(); }
    LCNet::Calculator *calc() { return window->tunerCalculator(); }

private slots:
    void init() { removeSettingsFile(); }
    void cleanup()
    {
        window.reset();
        removeSettingsFile();
    }

    void startsWithDefaultsAndFirstResults()
    {
        QLabel *zIn = nullptr;
        {
            // Before the event loop runs, no calculation has happened.
            window = std::make_unique<MainWindow>();
            zIn = find<QLabel>("lblZIn");
            QVERIFY(zIn->text().isEmpty());
            QCOMPARE(find<QProgressBar>("pbReflected")->value(), 50);
            QCOMPARE(find<QProgressBar>("prbSWR")->value(), 0);
            window->show();
            QCoreApplication::processEvents();
        }
        QCOMPARE(window->windowTitle(), QString("Vorlap Simulator v.1.2"));
        QCOMPARE(find<QLineEdit>("edtRLoad")->text(), QString("20"));
        QCOMPARE(find<QLineEdit>("edtXLoad")->text(), QString("100"));
        QCOMPARE(find<QLineEdit>("edtFreq")->text(), QString("14000"));
        QCOMPARE(find<QComboBox>("cmbL")->count(), 256);
        QCOMPARE(find<QComboBox>("cmbL")->currentIndex(), 126);
        QCOMPARE(find<QComboBox>("cmbL")->currentText(), QString("12"));
        QCOMPARE(find<QComboBox>("cmbL")->itemText(3), QString("0.25"));
        QCOMPARE(find<QComboBox>("cmbL")->itemText(255), QString("24.86"));
        QCOMPARE(find<QComboBox>("cmbC")->currentIndex(), 128);
        QCOMPARE(find<QComboBox>("cmbC")->itemText(255), QString("3961"));
        QCOMPARE(find<QSlider>("horizontalSlider")->value(), 126);
        QCOMPARE(find<QSlider>("horizontalSlider_2")->value(), 128);
        QVERIFY(find<QRadioButton>("rbLC")->isChecked());
        QVERIFY(find<QRadioButton>("rbLoBand")->isChecked());
        // The start-up timer computes without the action: no "Done.".
        QCOMPARE(status(), QString("Ready."));

        const cplx z = inputImpedance(false, 14000, 12, 2000, cplx(20, 100));
        QVERIFY(z.imag() > 0);
        QCOMPARE(zIn->text(), QString("<b>%1 +j %2</b>").arg(z.real()).arg(z.imag()));
        QVERIFY(qAbs(boldNumber(find<QLabel>("lblSWR")) / swrOf(z) - 1) < 1e-5);
        QVERIFY(QFile::exists(MainWindow::settingsFilePath()) == false);

        find<QPushButton>("btnCalcZIn")->click();
        QCOMPARE(status(), QString("Done."));
        QCOMPARE(zIn->text(), QString("<b>%1 +j %2</b>").arg(z.real()).arg(z.imag()));
    }

    void bandButtonsFollowLoAndHi()
    {
        start();
        auto *freq = find<QLineEdit>("edtFreq");
        find<QPushButton>("pushButton_2")->click();
        QCOMPARE(freq->text(), QString("3500"));
        QCOMPARE(calc()->frequency, 3500.0);
        QCOMPARE(status(), QString("Done."));
        find<QRadioButton>("rbHiBand")->click();
        find<QPushButton>("pushButton_5")->click();
        QCOMPARE(freq->text(), QString("14350"));
        find<QPushButton>("pushButton_10")->click();
        QCOMPARE(calc()->frequency, 51000.0);
        find<QRadioButton>("rbLoBand")->click();
        find<QPushButton>("pushButton")->click();
        QCOMPARE(calc()->frequency, 1830.0);
    }

    void sliderAndListFollowEachOther()
    {
        start();
        auto *slider = find<QSlider>("horizontalSlider");
        auto *cmbL = find<QComboBox>("cmbL");
        slider->setValue(200);
        QCOMPARE(cmbL->currentIndex(), 200);
        QCOMPARE(calc()->inductance, LCNet::LTable[200]);
        cmbL->setCurrentIndex(7);
        QCOMPARE(slider->value(), 7);
        QCOMPARE(calc()->inductance, 0.6);
        find<QSlider>("horizontalSlider_2")->setValue(129);
        QCOMPARE(calc()->capacitance, 2015.0);
    }

    void configurationButtons()
    {
        start();
        find<QRadioButton>("rbCL")->click();
        QCOMPARE(calc()->netType, LCNet::Calculator::CTrx);
        const cplx z = inputImpedance(true, 14000, 12, 2000, cplx(20, 100));
        QVERIFY(qAbs(boldNumber(find<QLabel>("lblSWR")) / swrOf(z) - 1) < 1e-5);

        // A change from elsewhere checks the button without recalculating.
        window->statusBar()->showMessage("marker");
        calc()->setNetType(LCNet::Calculator::CAntenna);
        QVERIFY(find<QRadioButton>("rbLC")->isChecked());
        QVERIFY(!find<QRadioButton>("rbCL")->isChecked());
        QCOMPARE(status(), QString("marker"));
    }

    void textInputsTakeAnything()
    {
        start();
        auto *r = find<QLineEdit>("edtRLoad");
        auto *x = find<QLineEdit>("edtXLoad");
        auto *f = find<QLineEdit>("edtFreq");
        r->clear();
        QCOMPARE(calc()->loadImpedance.R, 0.0);
        QCOMPARE(r->text(), QString("0"));
        // Pasted over the whole text (typed keys would apply "1e" as 0 on the way).
        x->selectAll();
        x->insert("1e3");
        QCOMPARE(calc()->loadImpedance.X, 1000.0);
        QCOMPARE(x->text(), QString("1000"));
        f->setText("1234567");
        QCOMPARE(calc()->frequency, 1234567.0);
        QCOMPARE(f->text(), QString("1.23457e+06"));
        f->setText("abc");
        QCOMPARE(calc()->frequency, 0.0);
        QCOMPARE(f->text(), QString("0"));
        // NaN and infinities flow into the display; nothing crashes.
        r->setText("nan");
        QCOMPARE(find<QLabel>("lblSWR")->text(), QString("<b>nan</b>"));
        r->setText("20");
        f->setText("inf");
        QVERIFY(!find<QLabel>("lblZIn")->text().isEmpty());
        f->setText("-1e308");
        x->setText("1e400");
        QCOMPARE(x->text(), QString("inf"));
    }

    void typedStepValuesStayApplied()
    {
        start();
        auto *cmbL = find<QComboBox>("cmbL");
        auto *slider = find<QSlider>("horizontalSlider");
        cmbL->setFocus();
        cmbL->lineEdit()->selectAll();
        QTest::keyClicks(cmbL->lineEdit(), "13.3");
        QTest::keyClick(cmbL->lineEdit(), Qt::Key_Return);
        QCOMPARE(calc()->inductance, 13.3);
        QCOMPARE(cmbL->count(), 256);
        // A later recalculation keeps it: no step 0, no empty field.
        find<QLineEdit>("edtRLoad")->setText("25");
        QCOMPARE(calc()->inductance, 13.3);
        QCOMPARE(cmbL->currentText(), QString("13.3"));
        QVERIFY(slider->value() != 0);
        // A typed step text selects that step.
        cmbL->lineEdit()->selectAll();
        QTest::keyClicks(cmbL->lineEdit(), "0.6");
        QTest::keyClick(cmbL->lineEdit(), Qt::Key_Return);
        QCOMPARE(calc()->inductance, 0.6);
        QCOMPARE(cmbL->currentIndex(), 7);
        QCOMPARE(slider->value(), 7);
        // A value set elsewhere that is no step shows as its number.
        calc()->setCapacitance(1234.5);
        QCOMPARE(find<QComboBox>("cmbC")->currentText(), QString("1234.5"));
        find<QPushButton>("btnCalcZIn")->click();
        QCOMPARE(calc()->capacitance, 1234.5);
    }

    void resultFormatsAndBars()
    {
        start();
        auto *swr = find<QLabel>("lblSWR");
        auto *bar = find<QProgressBar>("prbSWR");
        auto *reflected = find<QProgressBar>("pbReflected");
        // L and C at step 0 leave the load itself at the transmitter.
        find<QSlider>("horizontalSlider")->setValue(0);
        find<QSlider>("horizontalSlider_2")->setValue(0);

        find<QLineEdit>("edtRLoad")->setText("100");
        find<QLineEdit>("edtXLoad")->setText("0");
        QCOMPARE(find<QLabel>("lblZIn")->text(), QString("<b>100 +j 0</b>"));
        QCOMPARE(swr->text(), QString("<b>2</b>"));
        // The SWR is 1.9999999999999998 in doubles; ten times it truncates to 19.
        QCOMPARE(bar->value(), 19);
        QVERIFY(bar->styleSheet().contains("rgb(255, 0, 0)"));
        QCOMPARE(find<QLabel>("lblPRef")->text(), QString("11.1 /88.9 "));
        QCOMPARE(reflected->value(), 11);
        QCOMPARE(find<QLabel>("lblRetLoss")->text(), QString("9.54243 dB"));
        QCOMPARE(find<QLabel>("lblTrxLoss")->text(), QString("0.511525 dB"));

        find<QLineEdit>("edtXLoad")->setText("-12.5");
        QCOMPARE(find<QLabel>("lblZIn")->text(), QString("<b>100 -j 12.5</b>"));

        find<QLineEdit>("edtRLoad")->setText("50");
        find<QLineEdit>("edtXLoad")->setText("0");
        QCOMPARE(swr->text(), QString("<b>1</b>"));
        QCOMPARE(bar->value(), 10);
        QVERIFY(bar->styleSheet().contains("rgb(0, 255, 0)"));
        QCOMPARE(find<QLabel>("lblPRef")->text(), QString("0.0  /100.0"));
        QCOMPARE(reflected->value(), 0);
        QCOMPARE(find<QLabel>("lblRetLoss")->text(), QString("inf dB"));

        // Thresholds are strict: equal takes the next band's colour.
        find<QLineEdit>("edtRLoad")->setText("100");
        const double swr2 = calc()->currentSWR();
        calc()->lowSWR = swr2;
        calc()->mediumSWR = 3.0;
        find<QPushButton>("btnCalcZIn")->click();
        QVERIFY(bar->styleSheet().contains("rgb(0, 0, 255)"));
        calc()->mediumSWR = swr2;
        find<QPushButton>("btnCalcZIn")->click();
        QVERIFY(bar->styleSheet().contains("rgb(255, 0, 0)"));

        // A short circuit reflects everything.
        find<QLineEdit>("edtRLoad")->setText("0");
        QCOMPARE(swr->text(), QString("<b>inf</b>"));
        QCOMPARE(bar->value(), 100);
        QCOMPARE(find<QLabel>("lblPRef")->text(), QString("100.0/0.0  "));
        QCOMPARE(find<QLabel>("lblTrxLoss")->text(), QString("inf dB"));
        QCOMPARE(find<QLabel>("lblRetLoss")->text(), QString("0 dB"));
        QCOMPARE(reflected->value(), 99);

        // An active load gives a negative SWR; the bars stay where they were.
        find<QLineEdit>("edtRLoad")->setText("-10");
        QCOMPARE(swr->text(), QString("<b>-5</b>"));
        QCOMPARE(bar->value(), 100);
        find<QLineEdit>("edtRLoad")->setText("nan");
        QCOMPARE(bar->value(), 100);
        QCOMPARE(reflected->value(), 99);
    }

    void missingSettingsFileKeepsDefaults()
    {
        start();
        QCOMPARE(calc()->lowSWR, 1.2);
        QCOMPARE(calc()->numberOfRings, 10000);
        QVERIFY(calc()->bruteForce && calc()->smartTune);
        QVERIFY(!QFile::exists(MainWindow::settingsFilePath()));
    }

    void settingsFileIsReadByGroupAndKey_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<double>("lowSWR");
        QTest::addColumn<bool>("bruteForce");
        QTest::addColumn<bool>("smartTune");
        QTest::addColumn<int>("rings");
        QTest::addColumn<double>("velocity");
        QTest::newRow("full") << QByteArray(
                                     "[matching]\nLowSWR=1.3\nMediumSWR=1.6\nHighSWR=4\n"
                                     "BruteForce=false\nSmartTune=true\n[zLoad]\n"
                                     "ImpedanceStep=0.5\nNumberOfRings=20\nEpsilonSWR=0.2\n"
                                     "[zAntenna]\nDefaultCableLength=12\nVelocityFactor=0.8\n")
                              << 1.3 << false << true << 20 << 0.8;
        QTest::newRow("only BruteForce")
            << QByteArray("[matching]\nBruteForce=false\n") << 0.0 << false << false << 0 << 0.0;
        QTest::newRow("SmartTune without BruteForce")
            << QByteArray("[matching]\nSmartTune=false\n") << 0.0 << true << true << 0 << 0.0;
        QTest::newRow("rings not an integer")
            << QByteArray("[zLoad]\nNumberOfRings=1e4\n[zAntenna]\nVelocityFactor=abc\n") << 0.0
            << true << true << 0 << 0.0;
        QTest::newRow("rings overflow") << QByteArray("[zLoad]\nNumberOfRings=99999999999\n") << 0.0
                                        << true << true << 0 << 0.0;
        QTest::newRow("empty") << QByteArray() << 0.0 << true << true << 0 << 0.0;
        QTest::newRow("binary garbage")
            << QByteArray("\x00\xff\xfe[\x01\x02=\n\n=]]][[\xc3\x28\x00", 16) << 0.0 << true << true
            << 0 << 0.0;
        QTest::newRow("wrong case")
            << QByteArray("[Matching]\nLowSWR=2\n[zload]\nNumberOfRings=5\n") << 0.0 << true << true
            << 0 << 0.0;
        QTest::newRow("wrong types") << QByteArray("[matching]\nLowSWR=@Variant(\\0\\0\\0\\x7f)\n"
                                                   "BruteForce=abc\nSmartTune=0\n[zLoad]\n"
                                                   "NumberOfRings=a, b, c\n")
                                     << 0.0 << true << false << 0 << 0.0;
    }
    void settingsFileIsReadByGroupAndKey()
    {
        QFETCH(QByteArray, content);
        QFETCH(double, lowSWR);
        QFETCH(bool, bruteForce);
        QFETCH(bool, smartTune);
        QFETCH(int, rings);
        QFETCH(double, velocity);
        writeSettingsFile(content);
        start();
        QCOMPARE(calc()->lowSWR, lowSWR);
        QCOMPARE(calc()->bruteForce, bruteForce);
        QCOMPARE(calc()->smartTune, smartTune);
        QCOMPARE(calc()->numberOfRings, rings);
        QCOMPARE(calc()->velocityFactor, velocity);
        // The operating point always starts from the defaults.
        QCOMPARE(find<QLineEdit>("edtRLoad")->text(), QString("20"));
        QCOMPARE(status(), QString("Ready."));
    }

    void settingsPathThatIsAFolderStillStarts()
    {
        removeSettingsFile();
        QVERIFY(QDir().mkpath(MainWindow::settingsFilePath()));
        start();
        QCOMPARE(calc()->lowSWR, 0.0);
        QVERIFY(calc()->bruteForce);
        QVERIFY(!window->writeSettings());
    }

    void settingsAreWrittenAndReadBack()
    {
        start();
        calc()->lowSWR = 1.1;
        calc()->smartTune = false;
        calc()->numberOfRings = 123;
        calc()->impedanceStep = 0.25;
        QVERIFY(window->writeSettings());
        QSettings file(MainWindow::settingsFilePath(), QSettings::IniFormat);
        QCOMPARE(file.allKeys().size(), 10);
        QCOMPARE(file.value("matching/LowSWR").toString(), QString("1.1"));
        QCOMPARE(file.value("matching/SmartTune").toString(), QString("false"));
        QCOMPARE(file.value("zLoad/NumberOfRings").toString(), QString("123"));
        QCOMPARE(file.value("zAntenna/VelocityFactor").toString(), QString("0.66"));
        window.reset();
        start();
        QCOMPARE(calc()->lowSWR, 1.1);
        QCOMPARE(calc()->impedanceStep, 0.25);
        QVERIFY(!calc()->smartTune);
        QVERIFY(calc()->bruteForce);
    }

    void imagesAreCompiledIn()
    {
        start();
        QVERIFY(!window->windowIcon().isNull());
        const QPixmap panel = find<QLabel>("label_15")->pixmap();
        QCOMPARE(panel.size(), QSize(320, 139));
        QVERIFY(!find<QPushButton>("btnCalcLC")->icon().isNull());
        QCOMPARE(find<QRadioButton>("rbCL")->iconSize(), QSize(145, 60));
    }

    void actionsCarryTheirShortcuts()
    {
        start();
        QCOMPARE(find<QAction>("acnQuit")->shortcut(), QKeySequence("Ctrl+Q"));
        QCOMPARE(find<QAction>("acnSettings")->shortcut(), QKeySequence("Ctrl+S"));
        QCOMPARE(find<QAction>("acnLCChart")->shortcut(), QKeySequence("Ctrl+L"));
        QCOMPARE(find<QAction>("acnZChart")->shortcut(), QKeySequence("Ctrl+N"));
        QCOMPARE(find<QPushButton>("btnFindZLoad")->text(), QString(" Mismatche&d Z Load "));
        QCOMPARE(find<QAction>("acnCalcZLoad")->toolTip(),
                 QString("Calculate Z Load from L and C, considering the natching condition"));
        find<QAction>("acnQuit")->trigger();
        QVERIFY(!window->isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
