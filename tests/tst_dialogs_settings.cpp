#include "settingsdialog.h"

#include "contrast.h"
#include "dialogdriver.h"

#include <QtTest>
#include <QtWidgets>
#include <climits>

static const char *const fields[] = {"edtLowSWR", "edtMediumSWR", "edtHighSWR", "edtImpStep",
                                     "edtRings",  "edtEpsSWR",    "edtCable",   "edtVelF"};

class TestSettingsDialog : public QObject
{
    Q_OBJECT

    static QLineEdit *edit(const QWidget &d, const char *n) { return childNamed<QLineEdit>(d, n); }
    static QCheckBox *box(const QWidget &d, const char *n) { return childNamed<QCheckBox>(d, n); }
    static QLabel *label(const QWidget &d, const char *n) { return childNamed<QLabel>(d, n); }
    static void press(const QWidget &d, QDialogButtonBox::StandardButton which)
    {
        childNamed<QDialogButtonBox>(d, "buttonBox")->button(which)->click();
    }
    // The numbers of the first three pages but the ring count, in the
    // order of `fields`.
    static QList<double> numbers(const SettingsDialog &d)
    {
        return {d.getLowSWR(),        d.getMediumSWR(),  d.getHighSWR(),
                d.getImpedanceStep(), d.getEpsilonSWR(), d.getDefaultCableLength(),
                d.getVelocityFactor()};
    }
    static LCNet::BankSpec bank(const char *text)
    {
        LCNet::BankSpec b;
        if (!LCNet::BankSpec::fromText(QLatin1String(text), &b))
            qFatal("bad bank %s", text);
        return b;
    }
    // Chooses an entry of a preset list as a user does.
    static void choose(QComboBox *list, const QString &text)
    {
        list->setCurrentIndex(list->findText(text));
        emit list->activated(list->currentIndex());
    }

private slots:
    // Dark desktops pair the Fusion style with a dark palette.
    void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

    void shownAndTypedValuesReadBack()
    {
        SettingsDialog dlg;
        for (const char *name : fields)
            QCOMPARE(edit(dlg, name)->text(), QString("0"));
        QVERIFY(!box(dlg, "chkBruteForce")->isChecked() && !box(dlg, "chkSmartTune")->isChecked());

        // Distinct values, so that a setter filling the wrong field shows,
        // and digits that six significant ones would round.
        const QList<double> values = {1.23456789, 1.5, 0.1 + 0.2, 0.01, 1e-7, 12345678.9, 0.66};
        dlg.setLowSWR(values[0]);
        dlg.setMediumSWR(values[1]);
        dlg.setHighSWR(values[2]);
        dlg.setBruteForce(true);
        dlg.setImpedanceStep(values[3]);
        dlg.setNumberOfRings(10000);
        dlg.setEpsilonSWR(values[4]);
        dlg.setDefaultCableLength(values[5]);
        dlg.setVelocityFactor(values[6]);
        const QStringList shown = {"1.23456789", "1.5",   "0.30000000000000004", "0.01",
                                   "10000",      "1e-07", "12345678.9",          "0.66"};
        for (int i = 0; i < shown.size(); ++i)
            QCOMPARE(edit(dlg, fields[i])->text(), shown[i]);
        QVERIFY(box(dlg, "chkBruteForce")->isChecked() && !box(dlg, "chkSmartTune")->isChecked());

        // OK without an edit changes nothing, bit for bit.
        press(dlg, QDialogButtonBox::Ok);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(numbers(dlg), values);
        QCOMPARE(dlg.getNumberOfRings(), 10000);

        // The components, line and banks as well; the banks were the default
        // ones until now.
        QCOMPARE(edit(dlg, "edtL8")->text(), QString("12.78"));
        const LCNet::ComponentSettings comp{true,      123.456789, LCNet::Infinity,
                                            0.1 + 0.2, 1234.5,     0.3};
        // A preset's type is kept with figures of its own.
        const LCNet::CableSpec cable{"rg213", 52.5, 2.25};
        const LCNet::BankSpec l = bank("7: 0.000001; 0.05, 0.1, 0.2, 0.4, 0.8, 1.6, 12345.678901");
        const LCNet::BankSpec c =
            bank("12: 1.5; 1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048");
        dlg.setComponents(comp);
        dlg.setCable(cable);
        dlg.setBanks(l, c);
        QVERIFY(!edit(dlg, "edtL8")->isEnabled() && edit(dlg, "edtC12")->isEnabled());
        press(dlg, QDialogButtonBox::Ok);
        QVERIFY(dlg.getComponents() == comp && dlg.getCable() == cable);
        QVERIFY(dlg.getInductorBank() == l && dlg.getCapacitorBank() == c);

        // What OK reads is what was typed, Brute Force being checked before.
        const QStringList typed = {"1.3", "2.5", "4", "0.05", "7", "0.2", "12.5", "0.8"};
        for (int i = 0; i < typed.size(); ++i)
            edit(dlg, fields[i])->setText(typed[i]);
        box(dlg, "chkBruteForce")->click();
        box(dlg, "chkSmartTune")->click();
        press(dlg, QDialogButtonBox::Ok);
        QCOMPARE(numbers(dlg), (QList<double>{1.3, 2.5, 4, 0.05, 0.2, 12.5, 0.8}));
        QVERIFY(!dlg.getBruteForce() && dlg.getSmartTune());

        // The ring count is truncated towards zero, and held in the int
        // range.
        const std::pair<const char *, int> rings[] = {
            {"2.9", 2}, {"-2.9", -2},     {"1e4", 10000},     {"abc", 0},
            {"nan", 0}, {"inf", INT_MAX}, {"-1e300", INT_MIN}};
        for (const auto &[text, expected] : rings) {
            edit(dlg, "edtRings")->setText(text);
            press(dlg, QDialogButtonBox::Ok);
            QVERIFY2(dlg.getNumberOfRings() == expected, text);
        }

        dlg.show();
        edit(dlg, "edtLowSWR")->setText("1.9");
        box(dlg, "chkSmartTune")->click();
        QTest::keyClick(edit(dlg, "edtLowSWR"), Qt::Key_Escape);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(dlg.getLowSWR(), 1.3);
        QVERIFY(dlg.getSmartTune());
    }

    // The page buttons read under a dark palette, and each shows its page.
    void pageButtons()
    {
        const QPalette light = QApplication::palette();
        QApplication::setPalette(darkPalette());
        SettingsDialog dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        // The checked button on its light gradient, an unchecked one on white.
        QStringList faint;
        for (const char *name : {"btnMatch", "btnZLoad"})
            if (textContrast(childNamed<QToolButton>(dlg, name)->grab().toImage()) < 4.5)
                faint << name;
        QApplication::setPalette(light);
        QVERIFY2(faint.isEmpty(), qPrintable(faint.join(' ')));

        const auto *pages = childNamed<QStackedWidget>(dlg, "swSettings");
        QCOMPARE(pages->currentIndex(), 0);
        QVERIFY(childNamed<QToolButton>(dlg, "btnMatch")->isChecked());
        QCOMPARE(QApplication::focusWidget(), childNamed<QToolButton>(dlg, "btnMatch"));
        // Each press starts from another page than its own.
        const char *const byPage[] = {"btnMatch", "btnZLoad", "btnZAnt", "btnComponents",
                                      "btnBanks"};
        for (int index : {2, 4, 1, 3, 0}) {
            auto *button = childNamed<QToolButton>(dlg, byPage[index]);
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY2(pages->currentIndex() == index && button->isChecked(), byPage[index]);
        }
    }

    // Each row is named as the warning names the field.
    void refusesEachInvalidEntry_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("page");
        QTest::newRow("Q of L") << QByteArray("edtQL") << "0" << 3;
        QTest::newRow("Q of C") << QByteArray("edtQC") << "high" << 3;
        QTest::newRow("Power") << QByteArray("edtPower") << "0" << 3;
        QTest::newRow("C voltage rating") << QByteArray("edtVoltageRating") << "-1000" << 3;
        QTest::newRow("Cable impedance") << QByteArray("edtCableZ") << "0" << 3;
        QTest::newRow("Cable loss") << QByteArray("edtCableLoss") << "-0.1" << 3;
        // Seven decimals, a decimal comma, an empty relay.
        QTest::newRow("Capacitor bank, relay 2") << QByteArray("edtC2") << "1.2345678" << 4;
        QTest::newRow("Inductor bank, minimum") << QByteArray("edtLMin") << "1,5" << 4;
        QTest::newRow("Capacitor bank, relay 8") << QByteArray("edtC8") << "" << 4;
    }
    void refusesEachInvalidEntry()
    {
        QFETCH(QByteArray, field);
        QFETCH(QString, typed);
        QFETCH(int, page);
        const QString named = QTest::currentDataTag();
        SettingsDialog dlg;
        const LCNet::ComponentSettings comp{true, 100, 300, 50, 800, 5};
        dlg.setComponents(comp);
        dlg.show();
        // A valid edit beside the bad one is not kept either.
        box(dlg, "chkLosses")->setChecked(false);
        childNamed<QSpinBox>(dlg, "spnCRelays")->setValue(9);
        edit(dlg, "edtC9")->setText("4000");
        edit(dlg, field.constData())->setText(typed);
        QString message;
        int shown = -1;
        answerNextModal([&](QWidget *warning) {
            message = label(*warning, "qt_msgbox_label")->text();
            shown = childNamed<QStackedWidget>(dlg, "swSettings")->currentIndex();
            static_cast<QDialog *>(warning)->accept();
        });
        press(dlg, QDialogButtonBox::Ok);
        QVERIFY2(message.startsWith(named + ":") || message.startsWith(named + ", "),
                 qPrintable(message));
        QCOMPARE(shown, page);
        QVERIFY(dlg.isVisible() && dlg.focusWidget() == edit(dlg, field.constData()));
        press(dlg, QDialogButtonBox::Cancel);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(dlg.getComponents() == comp &&
                dlg.getCapacitorBank() == LCNet::BankSpec::defaultCapacitor());
    }

    // The line and bank presets fill in their figures, and the bank
    // summaries follow every edit.
    void presetsAndSummaries()
    {
        SettingsDialog dlg;
        dlg.setVelocityFactor(0.66);
        auto *type = childNamed<QComboBox>(dlg, "cmbCable");
        choose(type, "RG-8X");
        QCOMPARE(edit(dlg, "edtCableLoss")->text(), QString("3.3"));
        QCOMPARE(edit(dlg, "edtCableVelF")->text(), QString("0.78"));
        // Its figures edited by hand are a custom line.
        QTest::keyClicks(edit(dlg, "edtCableLoss"), "5");
        QCOMPARE(type->currentText(), QString("Custom"));
        // The velocity factor is one value on both pages.
        edit(dlg, "edtCableVelF")->selectAll();
        QTest::keyClicks(edit(dlg, "edtCableVelF"), "0.7");
        press(dlg, QDialogButtonBox::Ok);
        QVERIFY(dlg.getCable() == (LCNet::CableSpec{"custom", 50, 3.35}));
        QCOMPARE(dlg.getVelocityFactor(), 0.7);

        // The default banks' neighbouring steps, from the tables themselves.
        double lSmall = HUGE_VAL, lLarge = 0, cSmall = HUGE_VAL, cLarge = 0;
        for (int i = 1; i < LCNet::TableSize; ++i) {
            lSmall = std::min(lSmall, LCNet::LTable[i] - LCNet::LTable[i - 1]);
            lLarge = std::max(lLarge, LCNet::LTable[i] - LCNet::LTable[i - 1]);
            cSmall = std::min(cSmall, LCNet::CTable[i] - LCNet::CTable[i - 1]);
            cLarge = std::max(cLarge, LCNet::CTable[i] - LCNet::CTable[i - 1]);
        }
        QCOMPARE(label(dlg, "lblLSummary")->text(),
                 QString("256 steps, 0 to 24.86 µH, steps of %1 to %2 µH")
                     .arg(qRound(lSmall * 100) / 100.0)
                     .arg(qRound(lLarge * 100) / 100.0));
        QCOMPARE(label(dlg, "lblCSummary")->text(),
                 QString("256 steps, 0 to 3961 pF, steps of %1 to %2 pF").arg(cSmall).arg(cLarge));
        auto *design = childNamed<QComboBox>(dlg, "cmbBankPreset");
        QCOMPARE(design->currentIndex(), 0);

        choose(design, "7 + 7 relays, binary from 0.05 µH / 10 pF");
        QCOMPARE(childNamed<QSpinBox>(dlg, "spnLRelays")->value(), 7);
        QVERIFY(edit(dlg, "edtL7")->isEnabled() && !edit(dlg, "edtL8")->isEnabled());
        QCOMPARE(label(dlg, "lblLSummary")->text(),
                 QString("128 steps, 0 to 6.35 µH, even steps of 0.05 µH"));
        // 12 pF first: then 20 - 12, 40 - 32, ... 640 - 632.
        edit(dlg, "edtC1")->setText("12");
        QCOMPARE(label(dlg, "lblCSummary")->text(),
                 QString("128 steps, 0 to 1272 pF, steps of 8 to 12 pF"));
        QCOMPARE(design->currentText(), QString("Custom"));
        edit(dlg, "edtC1")->setText("30");
        QVERIFY(label(dlg, "lblCSummary")->text().endsWith(", not rising"));
        edit(dlg, "edtC1")->setText("abc");
        QCOMPARE(label(dlg, "lblCSummary")->text(),
                 QString("Relay 1: \"abc\" is not a decimal number"));
        childNamed<QPushButton>(dlg, "btnBankDefaults")->click();
        QCOMPARE(design->currentIndex(), 0);
        childNamed<QSpinBox>(dlg, "spnCRelays")->setValue(7);
        // No bank takes a thirteenth relay.
        auto *relays = childNamed<QSpinBox>(dlg, "spnLRelays");
        relays->selectAll();
        QTest::keyClicks(relays, "13");
        QVERIFY(relays->value() <= LCNet::MaxRelays);
        relays->setValue(8);
        press(dlg, QDialogButtonBox::Ok);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(dlg.getInductorBank() == LCNet::BankSpec::defaultInductor());
        QVERIFY(dlg.getCapacitorBank() == bank("7: 0; 15, 31, 60, 120, 235, 500, 1000"));
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_dialogs_settings.moc"
