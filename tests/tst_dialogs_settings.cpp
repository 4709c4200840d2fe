#include "settingsdialog.h"

#include "contrast.h"
#include "dialogdriver.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QtTest>
#include <climits>

static const char *const fields[] = {"edtLowSWR", "edtMediumSWR", "edtHighSWR", "edtImpStep",
                                     "edtRings",  "edtEpsSWR",    "edtCable",   "edtVelF"};

class TestSettingsDialog : public QObject
{
    Q_OBJECT

    template <class T> static T *child(const QWidget &dlg, const char *name)
    {
        T *w = dlg.findChild<T *>(name);
        if (!w)
            qFatal("no widget %s", name);
        return w;
    }
    static QLineEdit *edit(const QWidget &d, const char *n) { return child<QLineEdit>(d, n); }
    static QCheckBox *box(const QWidget &d, const char *n) { return child<QCheckBox>(d, n); }

private slots:
    // Dark desktops pair the Fusion style with a dark palette.
    void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

    void fieldsShowValuesThatReadBackUnchanged()
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
        const auto seen = answerNextModal([&](QWidget *) {
            child<QDialogButtonBox>(dlg, "buttonBox")->button(QDialogButtonBox::Ok)->click();
        });
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QVERIFY(*seen);
        const QList<double> read = {dlg.getLowSWR(),        dlg.getMediumSWR(),
                                    dlg.getHighSWR(),       dlg.getImpedanceStep(),
                                    dlg.getEpsilonSWR(),    dlg.getDefaultCableLength(),
                                    dlg.getVelocityFactor()};
        for (int i = 0; i < values.size(); ++i)
            QVERIFY2(read[i] == values[i], qPrintable(shown.value(i)));
        QCOMPARE(dlg.getNumberOfRings(), 10000);
    }

    void pageButtonsReadUnderADarkPalette()
    {
        const QPalette light = QApplication::palette();
        QApplication::setPalette(darkPalette());
        SettingsDialog dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        // The checked button on its light gradient, an unchecked one on white.
        const double checked = textContrast(child<QToolButton>(dlg, "btnMatch")->grab().toImage());
        const double unchecked =
            textContrast(child<QToolButton>(dlg, "btnZLoad")->grab().toImage());
        QApplication::setPalette(light);
        QVERIFY2(checked >= 4.5, qPrintable(QString::number(checked)));
        QVERIFY2(unchecked >= 4.5, qPrintable(QString::number(unchecked)));
    }

    void toolButtonsShowTheirPages()
    {
        SettingsDialog dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        const auto *pages = child<QStackedWidget>(dlg, "swSettings");
        QCOMPARE(pages->currentIndex(), 0);
        QVERIFY(child<QToolButton>(dlg, "btnMatch")->isChecked());
        QCOMPARE(QApplication::focusWidget(), child<QToolButton>(dlg, "btnMatch"));
        // Each press starts from another page than its own.
        const std::pair<const char *, int> steps[] = {
            {"btnZAnt", 2}, {"btnZLoad", 1}, {"btnMatch", 0}};
        for (const auto &[name, index] : steps) {
            QTest::mouseClick(child<QToolButton>(dlg, name), Qt::LeftButton);
            QCOMPARE(pages->currentIndex(), index);
            QVERIFY(child<QToolButton>(dlg, name)->isChecked());
        }
    }

    void okReadsTypedValues_data()
    {
        QTest::addColumn<QString>("rings");
        QTest::addColumn<int>("expected");
        QTest::newRow("truncates") << "2.9" << 2;
        QTest::newRow("towards zero") << "-2.9" << -2;
        QTest::newRow("exponent") << "1e4" << 10000;
        QTest::newRow("garbage") << "abc" << 0;
        QTest::newRow("nan") << "nan" << 0;
        QTest::newRow("inf") << "inf" << INT_MAX;
        QTest::newRow("-huge") << "-1e300" << INT_MIN;
    }
    void okReadsTypedValues()
    {
        QFETCH(QString, rings);
        QFETCH(int, expected);
        SettingsDialog dlg;
        dlg.setBruteForce(true);
        const auto seen = answerNextModal([&](QWidget *) {
            const QStringList typed = {"1.3", "2.5", "4", "0.05", rings, "0.2", "12.5", "0.8"};
            for (int i = 0; i < typed.size(); ++i)
                edit(dlg, fields[i])->setText(typed[i]);
            box(dlg, "chkBruteForce")->click();
            box(dlg, "chkSmartTune")->click();
            auto *ok = child<QDialogButtonBox>(dlg, "buttonBox")->button(QDialogButtonBox::Ok);
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QVERIFY(*seen);
        QCOMPARE(dlg.getNumberOfRings(), expected);
        const QList<double> read = {dlg.getLowSWR(),        dlg.getMediumSWR(),
                                    dlg.getHighSWR(),       dlg.getImpedanceStep(),
                                    dlg.getEpsilonSWR(),    dlg.getDefaultCableLength(),
                                    dlg.getVelocityFactor()};
        QCOMPARE(read, (QList<double>{1.3, 2.5, 4, 0.05, 0.2, 12.5, 0.8}));
        QVERIFY(!dlg.getBruteForce() && dlg.getSmartTune());
    }

    void escapeRejectsWithoutReading()
    {
        SettingsDialog dlg;
        const auto seen = answerNextModal([&](QWidget *) {
            edit(dlg, "edtLowSWR")->setText("1.9");
            box(dlg, "chkSmartTune")->click();
            QTest::keyClick(edit(dlg, "edtLowSWR"), Qt::Key_Escape);
        });
        QCOMPARE(dlg.exec(), int(QDialog::Rejected));
        QVERIFY(*seen);
        QCOMPARE(dlg.getLowSWR(), 0.0);
        QVERIFY(!dlg.getSmartTune());
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_dialogs_settings.moc"
