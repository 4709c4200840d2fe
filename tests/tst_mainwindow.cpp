// The main window as a user drives it: start-up, the input panel, the live
// results and the settings file.
#include "contrast.h"
#include "windowtest.h"

class TestMainWindow : public QObject, WindowTest
{
    Q_OBJECT

    QString text(const char *label) { return find<QLabel>(label)->text(); }
    void setText(const char *edit, const char *value) { find<QLineEdit>(edit)->setText(value); }

private slots:
    void init() { removeSettingsFile(); }
    void cleanup() { stop(); }

    void startsWithDefaultsAndFirstResults()
    {
        window = std::make_unique<MainWindow>();
        // Nothing is computed before the event loop runs.
        QVERIFY(text("lblZIn").isEmpty());
        window->show();
        QCoreApplication::processEvents();

        QCOMPARE(find<QLineEdit>("edtRLoad")->text(), QString("20"));
        QCOMPARE(find<QLineEdit>("edtFreq")->text(), QString("14000"));
        QCOMPARE(find<QComboBox>("cmbL")->currentIndex(), 126);
        QCOMPARE(find<QSlider>("horizontalSlider_2")->value(), 128);
        QVERIFY(find<QRadioButton>("rbLC")->isChecked());
        // The start-up timer computes without the action: no "Done.".
        QCOMPARE(status(), QString("Ready."));
        const cplx z = networkInput(false, 14000, 12, 2000, cplx(20, 100));
        QCOMPARE(text("lblZIn"), QString("<b>%1 +j %2</b>").arg(z.real()).arg(z.imag()));
        QCOMPARE(text("lblSWR"), QString("<b>%1</b>").arg(swrOf(z)));
        QVERIFY(!QFile::exists(MainWindow::settingsFilePath()));

        find<QPushButton>("btnCalcZIn")->click();
        QCOMPARE(status(), QString("Done."));
        // The pictures are compiled in.
        QVERIFY(!window->windowIcon().isNull());
        QCOMPARE(find<QLabel>("label_15")->pixmap().size(), QSize(320, 139));
        QVERIFY(!find<QPushButton>("btnCalcLC")->icon().isNull());

        // The inputs and the calculator mirror each other.
        find<QPushButton>("pushButton_2")->click();
        QCOMPARE(calc()->frequency, 3500.0);
        find<QRadioButton>("rbHiBand")->click();
        find<QPushButton>("pushButton_5")->click();
        QCOMPARE(find<QLineEdit>("edtFreq")->text(), QString("14350"));

        find<QSlider>("horizontalSlider")->setValue(200);
        QCOMPARE(find<QComboBox>("cmbL")->currentIndex(), 200);
        QCOMPARE(calc()->inductance, LCNet::LTable[200]);
        find<QComboBox>("cmbC")->setCurrentIndex(129);
        QCOMPARE(find<QSlider>("horizontalSlider_2")->value(), 129);
        QCOMPARE(calc()->capacitance, 2015.0);

        find<QRadioButton>("rbCL")->click();
        QCOMPARE(calc()->netType, LCNet::Calculator::CTrx);
        // A change from elsewhere checks the button without recalculating.
        window->statusBar()->showMessage("marker");
        calc()->setNetType(LCNet::Calculator::CAntenna);
        QVERIFY(find<QRadioButton>("rbLC")->isChecked());
        QCOMPARE(status(), QString("marker"));
    }

    void typingNeverLosesTheValue_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("applied");
        QTest::addColumn<QString>("shown");
        for (const char *edit : {"edtRLoad", "edtXLoad", "edtFreq"}) {
            // Each text passes through one that is no number yet: "-", ".", "1e".
            QTest::addRow("%s -25", edit) << QString(edit) << "-25" << -25.0 << "-25";
            QTest::addRow("%s .5", edit) << QString(edit) << ".5" << 0.5 << "0.5";
            QTest::addRow("%s 1e3", edit) << QString(edit) << "1e3" << 1000.0 << "1000";
            QTest::addRow("%s ten digits", edit)
                << QString(edit) << "1234567.891" << 1234567.891 << "1234567.891";
        }
        QTest::newRow("abc") << QString("edtXLoad") << "abc" << 100.0 << "100";
        QTest::newRow("overflow") << QString("edtXLoad") << "1e400" << qInf() << "inf";
        QTest::newRow("negative zero") << QString("edtRLoad") << "-0" << -0.0 << "-0";
    }
    void typingNeverLosesTheValue()
    {
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        QFETCH(double, applied);
        QFETCH(QString, shown);
        startActive();
        auto *field = find<QLineEdit>(qPrintable(edit));
        auto value = [&] {
            return edit == "edtFreq"    ? calc()->frequency
                   : edit == "edtXLoad" ? calc()->loadImpedance.X
                                        : calc()->loadImpedance.R;
        };
        const QColor normal = field->palette().color(QPalette::Text);
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        for (int n = 1; n <= typed.size(); ++n) {
            QTest::keyClicks(field, typed.mid(n - 1, 1));
            // Never rewritten while typed into; a text that is no number
            // is shown as such and applies nothing.
            QCOMPARE(field->text(), typed.left(n));
            bool ok = false;
            const double number = typed.left(n).toDouble(&ok);
            const bool isNumber = ok || qIsInf(number);
            if (isNumber)
                QCOMPARE(value(), number);
            QCOMPARE(field->palette().color(QPalette::Text) == normal, isNumber);
        }
        QCOMPARE(value(), applied);
        // Return shows the value in force and keeps the focus; so does
        // leaving the field.
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(field->text(), shown);
        QCOMPARE(field->palette().color(QPalette::Text), normal);
        QTest::keyClicks(field, "x");
        find<QComboBox>("cmbC")->setFocus();
        QCOMPARE(field->text(), shown);
        QCOMPARE(value(), applied);

        // A text set from elsewhere that is no number is never left shown.
        field->setText("-");
        QCOMPARE(field->text(), shown);
    }

    void typedListValueIsAppliedUnrounded()
    {
        startActive();
        auto *cmbL = find<QComboBox>("cmbL");
        cmbL->setFocus();
        QLineEdit *typed = cmbL->lineEdit();
        typed->selectAll();
        QTest::keyClicks(typed, "13.2571234\r");
        QCOMPARE(calc()->inductance, 13.2571234);
        QCOMPARE(cmbL->count(), 256);
        // A later recalculation neither rounds it, clears it nor drags it to step 0.
        setText("edtRLoad", "25");
        QCOMPARE(cmbL->currentText(), QString("13.2571234"));
        QVERIFY(find<QSlider>("horizontalSlider")->value() != 0);
        // A text that is no number keeps the value; leaving applies a typed one.
        typed->selectAll();
        QTest::keyClicks(typed, "abc\r");
        QCOMPARE(calc()->inductance, 13.2571234);
        QCOMPARE(cmbL->currentText(), QString("13.2571234"));
        typed->selectAll();
        QTest::keyClicks(typed, "0.6");
        find<QLineEdit>("edtFreq")->setFocus();
        QCOMPARE(calc()->inductance, 0.6);
        QCOMPARE(find<QSlider>("horizontalSlider")->value(), 7);
    }

    void resultFormatsAndBars()
    {
        start();
        auto *bar = find<QProgressBar>("prbSWR");
        auto *reflected = find<QProgressBar>("pbReflected");
        // Both banks at step 0 leave the load itself at the transmitter.
        find<QSlider>("horizontalSlider")->setValue(0);
        find<QSlider>("horizontalSlider_2")->setValue(0);
        setText("edtXLoad", "0");
        setText("edtRLoad", "100");
        QCOMPARE(text("lblZIn"), QString("<b>100 +j 0</b>"));
        QCOMPARE(text("lblSWR"), QString("<b>2</b>"));
        // The SWR is 1.9999999999999998 in doubles; ten times it truncates to 19.
        QCOMPARE(bar->value(), 19);
        QVERIFY(bar->styleSheet().contains("rgb(255, 0, 0)"));
        QCOMPARE(text("lblPRef"), QString("11.1 /88.9 "));
        QCOMPARE(reflected->value(), 11);
        QCOMPARE(text("lblRetLoss"), QString("9.54243 dB"));
        QCOMPARE(text("lblTrxLoss"), QString("0.511525 dB"));
        // An active load's negative SWR, and NaN, leave the bars as they were.
        setText("edtRLoad", "-10");
        QCOMPARE(text("lblSWR"), QString("<b>-5</b>"));
        QCOMPARE(reflected->value(), 11);
        setText("edtRLoad", "nan");
        QCOMPARE(bar->value(), 19);
        QCOMPARE(reflected->value(), 11);
        setText("edtRLoad", "100");
        setText("edtXLoad", "-12.5");
        QCOMPARE(text("lblZIn"), QString("<b>100 -j 12.5</b>"));

        setText("edtXLoad", "0");
        setText("edtRLoad", "50");
        QCOMPARE(bar->value(), 10);
        QVERIFY(bar->styleSheet().contains("rgb(0, 255, 0)"));
        QCOMPARE(text("lblPRef"), QString("0.0  /100.0"));

        // The thresholds are strict: an equal SWR takes the next colour.
        setText("edtRLoad", "100");
        calc()->lowSWR = calc()->currentSWR();
        calc()->mediumSWR = 3.0;
        find<QPushButton>("btnCalcZIn")->click();
        QVERIFY(bar->styleSheet().contains("rgb(0, 0, 255)"));
        calc()->mediumSWR = calc()->lowSWR;
        find<QPushButton>("btnCalcZIn")->click();
        QVERIFY(bar->styleSheet().contains("rgb(255, 0, 0)"));

        // A short reflects everything; both bars fill.
        setText("edtRLoad", "0");
        QCOMPARE(bar->value(), 100);
        QCOMPARE(reflected->value(), 99);
    }

    // With real components, two rows under TL and RL; without, nothing.
    void lossFiguresUnderTheResults()
    {
        start();
        const char *labels[] = {"lblEfficiency", "lblLossLC", "lblCurrentL", "lblVoltageC"};
        const int formTop = find<QWidget>("groupBox")->y();

        calc()->components = {true, 80, 400, 100, 1000, 10};
        find<QComboBox>("cmbL")->setCurrentText("1.65");
        find<QComboBox>("cmbC")->setCurrentText("180");
        find<QPushButton>("btnCalcZIn")->click();
        const LossyFigures f = lossyFigures(false, 14000, 1.65, 180, 80, 400, 100, cplx(20, 100));
        // Shown to three digits (the efficiency to 0.1 %), each in its unit.
        auto near = [&](const char *label, int word, double value, double tolerance,
                        const char *unit) {
            const QString shown = text(label);
            const double error = std::abs(shown.section(' ', word, word).toDouble() - value);
            QVERIFY2(shown.endsWith(unit) && error <= tolerance, qPrintable(shown));
        };
        near("lblEfficiency", 0, 100 * f.efficiency, 0.05, " %");
        near("lblLossLC", 0, f.lossL, 0.005 * f.lossL, " W");
        near("lblLossLC", 2, f.lossC, 0.005 * f.lossC, " W");
        near("lblCurrentL", 0, f.currentL, 0.005 * f.currentL, " A");
        near("lblVoltageC", 0, f.voltageCPeak, 0.005 * f.voltageCPeak, " V pk");
        // They fit beside the legend, at the window's width, without moving
        // the form below; every text is whole.
        QCOMPARE(find<QWidget>("groupBox")->y(), formTop);
        QCOMPARE(window->width(), 600);
        for (const char *name : labels) {
            auto *label = find<QLabel>(name);
            const int wanted = label->fontMetrics().horizontalAdvance(label->text());
            QVERIFY2(label->isVisible() && wanted <= label->contentsRect().width(), name);
        }

        // Past a rating the figure turns red, readable under either palette.
        calc()->components.voltageRating = 0.99 * f.voltageCPeak;
        find<QPushButton>("btnCalcZIn")->click();
        QVERIFY(find<QLabel>("lblVoltageC")->styleSheet().contains("rgb(192, 0, 0)"));
        QVERIFY(!find<QLabel>("lblCurrentL")->styleSheet().contains("rgb(192, 0, 0)"));
        calc()->components.currentRating = 0.99 * f.currentL;
        calc()->components.power = 1000; // ten times the power: the same figures fit no rating
        find<QPushButton>("btnCalcZIn")->click();
        QVERIFY(find<QLabel>("lblCurrentL")->styleSheet().contains("rgb(192, 0, 0)"));
        near("lblVoltageC", 0, std::sqrt(10.0) * f.voltageCPeak,
             0.005 * std::sqrt(10.0) * f.voltageCPeak, " V pk");
        const double onLight = textContrast(find<QLabel>("lblVoltageC")->grab().toImage());
        const QPalette light = QApplication::palette();
        QApplication::setPalette(darkPalette());
        const double onDark = textContrast(find<QLabel>("lblVoltageC")->grab().toImage());
        QApplication::setPalette(light);
        QVERIFY2(onLight >= 4.5 && onDark >= 4.5, qPrintable(QString::number(onDark)));

        calc()->components.enabled = false;
        find<QPushButton>("btnCalcZIn")->click();
        for (const char *name : labels)
            QVERIFY(!find<QLabel>(name)->isVisible());
    }

    void fitsTheScreen_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::newRow("netbook") << QRect(0, 0, 1024, 600);
        QTest::newRow("800x600 below a panel") << QRect(0, 24, 800, 576);
        QTest::newRow("second monitor") << QRect(1920, 0, 1920, 1080);
    }
    void fitsTheScreen()
    {
        QFETCH(QRect, available);
        start();
        window->fitInto(available);
        QCoreApplication::processEvents();
        QVERIFY(available.contains(window->frameGeometry()));
        QVERIFY(window->minimumHeight() <= available.height());
        auto *scroll = find<QScrollArea>("scrollArea");
        if (available.height() > 770) {
            // Where it fits, the form keeps its size, centred.
            QCOMPARE(window->size(), QSize(600, 770));
            QCOMPARE(window->minimumSize(), QSize(600, 700));
            QCOMPARE(window->geometry().center(), available.center());
            QCOMPARE(scroll->verticalScrollBar()->maximum(), 0);
            // Taller, from a height at which no band is squeezed: only the
            // "Results" group grows.
            QList<int> heights[2];
            for (int k : {0, 1}) {
                window->resize(600, 900 + 200 * k);
                QCoreApplication::processEvents();
                for (const char *band : {"frame", "groupBox", "groupBox_2", "groupBox_3"})
                    heights[k] << find<QWidget>(band)->height();
            }
            heights[0].last() += 200;
            QCOMPARE(heights[1], heights[0]);
        } else {
            // Lower than the form: the rest is reached by scrolling.
            const int hidden =
                scroll->widget()->minimumSizeHint().height() - scroll->viewport()->height();
            QVERIFY(hidden > 0);
            QCOMPARE(scroll->verticalScrollBar()->maximum(), hidden);
        }
    }

    void readableUnderADarkPalette()
    {
        QApplication::setStyle(QStringLiteral("Fusion"));
        const QPalette light = QApplication::palette();
        startActive();
        auto grab = [&](const char *name) { return find<QWidget>(name)->grab().toImage(); };
        const QImage circuitsOnLight[] = {grab("rbLC"), grab("rbCL")};
        QApplication::setPalette(darkPalette());
        QCoreApplication::processEvents();
        const QImage circuitsOnDark[] = {grab("rbLC"), grab("rbCL")};
        QStringList faint;
        for (const char *name : {"lblZIn", "lblSWR", "lblPRef", "lblTrxLoss", "lblRetLoss"})
            if (textContrast(grab(name)) < 4.5)
                faint << name;
        // A typed text that is no number, on the dark field.
        auto *field = find<QLineEdit>("edtXLoad");
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, "-");
        const QPalette marked = field->palette();
        QApplication::setPalette(light);

        QVERIFY2(faint.isEmpty(), qPrintable(faint.join(' ')));
        QVERIFY(contrast(marked.color(QPalette::Text), marked.color(QPalette::Base)) >= 4.5);
        QVERIFY(marked.color(QPalette::Text) != darkPalette().color(QPalette::Text));
        for (int k = 0; k < 2; ++k)
            QCOMPARE(lostOnDark(circuitsOnLight[k], light.color(QPalette::Window),
                                circuitsOnDark[k], QColor(53, 53, 53), 3),
                     QPoint(-1, -1));
    }

    // Low SWR, Brute Force, Smart Tune and the ring count as read from a
    // file; a missing or unusable key reads as its default, not as 0.
    void settingsFileIsReadByGroupAndKey_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<double>>("read");
        auto row = [](const char *name, const QByteArray &content, const QList<double> &read) {
            QTest::newRow(name) << content << read;
        };
        row("full",
            "[matching]\nLowSWR=1.3\nBruteForce=false\nSmartTune=true\n[zLoad]\nNumberOfRings=20\n",
            {1.3, 0, 1, 20});
        row("only BruteForce", "[matching]\nBruteForce=false\n", {1.2, 0, 1, 10000});
        row("SmartTune alone", "[matching]\nSmartTune=false\n", {1.2, 1, 1, 10000});
        row("rings beyond int", "[zLoad]\nNumberOfRings=99999999999\n", {1.2, 1, 1, 10000});
        row("unusual numbers stay", "[matching]\nLowSWR=-3\n[zLoad]\nNumberOfRings=0\n",
            {-3, 1, 1, 0});
        row("binary", QByteArray("\x00\xff[\x01=\n=]][[\xc3\x28\x00", 13), {1.2, 1, 1, 10000});
        row("wrong types",
            "[matching]\nLowSWR=@Variant(\\0\\0\\0\\x7f)\nBruteForce=abc\nSmartTune=0\n"
            "[zLoad]\nNumberOfRings=a, b\n",
            {1.2, 1, 0, 10000});
    }
    void settingsFileIsReadByGroupAndKey()
    {
        QFETCH(QByteArray, content);
        QFETCH(QList<double>, read);
        QVERIFY(writeFile(MainWindow::settingsFilePath(), content));
        start();
        QCOMPARE((QList<double>{calc()->lowSWR, double(calc()->bruteForce),
                                double(calc()->smartTune), double(calc()->numberOfRings)}),
                 read);
        QCOMPARE(calc()->frequency, 14000.0);
        QCOMPARE(status(), QString("Ready."));
    }

    void settingsAreWrittenAndReadBack()
    {
        start();
        calc()->lowSWR = 1.23456789;
        calc()->smartTune = false;
        calc()->numberOfRings = 123;
        QVERIFY(window->writeSettings());
        QSettings file(MainWindow::settingsFilePath(), QSettings::IniFormat);
        QCOMPARE(file.allKeys().size(), 26); // the ten, banks, components, cable, lab
        QCOMPARE(file.value("matching/LowSWR").toString(), QString("1.23456789"));
        QCOMPARE(file.value("zAntenna/VelocityFactor").toString(), QString("0.66"));
        window.reset();
        start();
        QCOMPARE(calc()->lowSWR, 1.23456789);
        QCOMPARE(calc()->numberOfRings, 123);
        QVERIFY(!calc()->smartTune && calc()->bruteForce);

        // A path that is a folder can be neither read nor written.
        stop();
        QVERIFY(QDir().mkpath(MainWindow::settingsFilePath()));
        start();
        QCOMPARE(calc()->lowSWR, 1.2);

        // A malformed line, typed in while the program runs, is rewritten
        // clean: that save succeeded.
        stop();
        start();
        QVERIFY(writeFile(MainWindow::settingsFilePath(), "[matching\nLowSWR=1.4\n\x01=[\n"));
        QVERIFY(window->writeSettings());
        QSettings clean(MainWindow::settingsFilePath(), QSettings::IniFormat);
        QCOMPARE(clean.status(), QSettings::NoError);
        QCOMPARE(clean.value("zLoad/NumberOfRings").toString(), QString("10000"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
