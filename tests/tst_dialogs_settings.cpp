#include "settingsdialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <climits>
#include <cmath>

namespace
{

const char *const doubleFields[] = {"edtLowSWR", "edtMediumSWR", "edtHighSWR", "edtImpStep",
                                    "edtEpsSWR", "edtCable",     "edtVelF"};

void setDefaults(SettingsDialog &dlg)
{
    dlg.setLowSWR(1.2);
    dlg.setMediumSWR(1.5);
    dlg.setHighSWR(3.0);
    dlg.setBruteForce(true);
    dlg.setSmartTune(true);
    dlg.setImpedanceStep(0.01);
    dlg.setNumberOfRings(10000);
    dlg.setEpsilonSWR(0.1);
    dlg.setDefaultCableLength(10.0);
    dlg.setVelocityFactor(0.66);
}

} // namespace

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
    static QString text(const QWidget &dlg, const char *name)
    {
        return child<QLineEdit>(dlg, name)->text();
    }
    // Replaces a field's text as a user would: select everything, type.
    static void type(const QWidget &dlg, const char *name, const QString &value)
    {
        QLineEdit *edit = child<QLineEdit>(dlg, name);
        edit->setFocus();
        edit->selectAll();
        if (value.isEmpty())
            QTest::keyClick(edit, Qt::Key_Delete);
        else
            QTest::keyClicks(edit, value);
        QCOMPARE(edit->text(), value);
    }
    static void click(const SettingsDialog &dlg, QDialogButtonBox::StandardButton which)
    {
        QTest::mouseClick(child<QDialogButtonBox>(dlg, "buttonBox")->button(which), Qt::LeftButton);
    }
    static void toggle(const QWidget &dlg, const char *name)
    {
        QCheckBox *box = child<QCheckBox>(dlg, name);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
    }
    static int page(const SettingsDialog &dlg)
    {
        return child<QStackedWidget>(dlg, "swSettings")->currentIndex();
    }

private slots:
    void freshDialogShowsZeros()
    {
        SettingsDialog dlg;
        for (const char *name : doubleFields)
            QCOMPARE(text(dlg, name), QString("0"));
        QCOMPARE(text(dlg, "edtRings"), QString("0"));
        QVERIFY(!child<QCheckBox>(dlg, "chkBruteForce")->isChecked());
        QVERIFY(!child<QCheckBox>(dlg, "chkSmartTune")->isChecked());
        QCOMPARE(dlg.getLowSWR(), 0.0);
        QCOMPARE(dlg.getNumberOfRings(), 0);
        QVERIFY(!dlg.getBruteForce() && !dlg.getSmartTune());

        QCOMPARE(dlg.windowTitle(), QString("Settings"));
        QVERIFY(dlg.isModal());
        QCOMPARE(dlg.size(), QSize(400, 300));
        QCOMPARE(dlg.minimumSize(), QSize(400, 300));
        QDialogButtonBox *box = child<QDialogButtonBox>(dlg, "buttonBox");
        QCOMPARE(box->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    }

    void defaultsShownOnPageZero()
    {
        SettingsDialog dlg;
        setDefaults(dlg);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));

        QCOMPARE(page(dlg), 0);
        QCOMPARE(child<QStackedWidget>(dlg, "swSettings")->currentWidget()->objectName(),
                 QString("page_3"));
        QToolButton *match = child<QToolButton>(dlg, "btnMatch");
        QVERIFY(match->isChecked());
        QCOMPARE(QApplication::focusWidget(), match);

        QCOMPARE(text(dlg, "edtLowSWR"), QString("1.2"));
        QCOMPARE(text(dlg, "edtMediumSWR"), QString("1.5"));
        QCOMPARE(text(dlg, "edtHighSWR"), QString("3"));
        QVERIFY(child<QCheckBox>(dlg, "chkBruteForce")->isChecked());
        QVERIFY(child<QCheckBox>(dlg, "chkSmartTune")->isChecked());
        QCOMPARE(text(dlg, "edtImpStep"), QString("0.01"));
        QCOMPARE(text(dlg, "edtRings"), QString("10000"));
        QCOMPARE(text(dlg, "edtEpsSWR"), QString("0.1"));
        QCOMPARE(text(dlg, "edtCable"), QString("10"));
        QCOMPARE(text(dlg, "edtVelF"), QString("0.66"));
    }

    void numberFormat_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("six digits") << 1234567.0 << "1.23457e+06";
        QTest::newRow("small") << 1e-5 << "1e-05";
        QTest::newRow("negative") << -2.5 << "-2.5";
        QTest::newRow("third") << 1.0 / 3.0 << "0.333333";
        QTest::newRow("inf") << HUGE_VAL << "inf";
        QTest::newRow("nan") << std::nan("") << "nan";
    }
    void numberFormat()
    {
        QFETCH(double, value);
        QFETCH(QString, shown);
        SettingsDialog dlg;
        dlg.setHighSWR(value);
        QCOMPARE(text(dlg, "edtHighSWR"), shown);
        dlg.setNumberOfRings(-123456789);
        QCOMPARE(text(dlg, "edtRings"), QString("-123456789"));
    }

    void toolButtonsSwitchPages()
    {
        SettingsDialog dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QToolButton *match = child<QToolButton>(dlg, "btnMatch");
        QToolButton *zload = child<QToolButton>(dlg, "btnZLoad");
        QToolButton *zant = child<QToolButton>(dlg, "btnZAnt");

        // The page follows the press, before the button is released.
        QTest::mousePress(zant, Qt::LeftButton);
        QCOMPARE(page(dlg), 2);
        QTest::mouseRelease(zant, Qt::LeftButton);
        QVERIFY(zant->isChecked() && !match->isChecked() && !zload->isChecked());
        QCOMPARE(child<QStackedWidget>(dlg, "swSettings")->currentWidget()->objectName(),
                 QString("page_2"));

        QTest::mouseClick(zload, Qt::LeftButton);
        QCOMPARE(page(dlg), 1);
        QCOMPARE(child<QStackedWidget>(dlg, "swSettings")->currentWidget()->objectName(),
                 QString("page"));
        QVERIFY(zload->isChecked() && !zant->isChecked());

        QTest::mouseClick(match, Qt::LeftButton);
        QCOMPARE(page(dlg), 0);
        QVERIFY(match->isChecked() && !zload->isChecked());

        // Mnemonics of "Z &Antenna" and "Z &Load".
        QTest::keyClick(&dlg, Qt::Key_A, Qt::AltModifier);
        QCOMPARE(page(dlg), 2);
        QTest::keyClick(&dlg, Qt::Key_L, Qt::AltModifier);
        QCOMPARE(page(dlg), 1);
        QTRY_VERIFY(zload->isChecked());
        // Alt+S belongs to "&SWR epsilon" here, not to the hidden "&Smart Tune".
        QTest::keyClick(&dlg, Qt::Key_S, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(dlg, "edtEpsSWR"));
        QVERIFY(!child<QCheckBox>(dlg, "chkSmartTune")->isChecked());

        QCOMPARE(match->text(), QString("&Matching"));
        QCOMPARE(zload->text(), QString("Z &Load"));
        QCOMPARE(zant->text(), QString("Z &Antenna"));
        for (QToolButton *b : {match, zload, zant}) {
            QVERIFY(b->isCheckable() && b->autoExclusive());
            QCOMPARE(b->minimumHeight(), 40);
            QCOMPARE(b->styleSheet().count('\n'), 4);
            QVERIFY(b->styleSheet().startsWith("QToolButton:!checked"));
        }
    }

    void okReadsFields_data()
    {
        QTest::addColumn<QString>("rings");
        QTest::addColumn<int>("expected");
        QTest::newRow("2.9 truncates") << "2.9" << 2;
        QTest::newRow("-2.9 truncates towards zero") << "-2.9" << -2;
        QTest::newRow("exponent") << "1e4" << 10000;
        QTest::newRow("not a number") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("spaces") << " 7 " << 7;
        QTest::newRow("negative") << "-5" << -5;
        QTest::newRow("nan") << "nan" << 0;
        QTest::newRow("inf") << "inf" << INT_MAX;
        QTest::newRow("-inf") << "-inf" << INT_MIN;
        QTest::newRow("huge") << "1e300" << INT_MAX;
        QTest::newRow("overflowing text") << "1.8e309" << INT_MAX;
        QTest::newRow("-huge") << "-1e300" << INT_MIN;
        QTest::newRow("just above int") << "2147483648" << INT_MAX;
        QTest::newRow("int max fraction") << "2147483647.9" << INT_MAX;
        QTest::newRow("int min") << "-2147483648" << INT_MIN;
        QTest::newRow("just below int") << "-2147483649.5" << INT_MIN;
    }
    void okReadsFields()
    {
        QFETCH(QString, rings);
        QFETCH(int, expected);
        SettingsDialog dlg;
        setDefaults(dlg);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));

        type(dlg, "edtLowSWR", "abc");
        type(dlg, "edtMediumSWR", "2.5");
        type(dlg, "edtHighSWR", "-4");
        toggle(dlg, "chkBruteForce");
        QTest::mouseClick(child<QToolButton>(dlg, "btnZLoad"), Qt::LeftButton);
        type(dlg, "edtImpStep", "0.5");
        type(dlg, "edtRings", rings);
        type(dlg, "edtEpsSWR", "nan");
        QTest::mouseClick(child<QToolButton>(dlg, "btnZAnt"), Qt::LeftButton);
        type(dlg, "edtCable", "1e3");
        type(dlg, "edtVelF", "0,8");
        click(dlg, QDialogButtonBox::Ok);

        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.getNumberOfRings(), expected);
        QCOMPARE(dlg.getLowSWR(), 0.0);
        QCOMPARE(dlg.getMediumSWR(), 2.5);
        QCOMPARE(dlg.getHighSWR(), -4.0);
        QVERIFY(!dlg.getBruteForce());
        QVERIFY(dlg.getSmartTune());
        QCOMPARE(dlg.getImpedanceStep(), 0.5);
        QVERIFY(std::isnan(dlg.getEpsilonSWR()));
        QCOMPARE(dlg.getDefaultCableLength(), 1000.0);
        QCOMPARE(dlg.getVelocityFactor(), 0.0); // decimal comma is not a number
    }

    // The values follow the fields for Cancel too; the caller ignores a
    // rejected dialog's values.
    void cancelRejectsWithTypedValues()
    {
        SettingsDialog dlg;
        setDefaults(dlg);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        type(dlg, "edtLowSWR", "1.9");
        toggle(dlg, "chkSmartTune");
        click(dlg, QDialogButtonBox::Cancel);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.getLowSWR(), 1.9);
        QVERIFY(!dlg.getSmartTune());
    }

    void escapeAndCloseKeepValues()
    {
        for (bool escape : {true, false}) {
            SettingsDialog dlg;
            setDefaults(dlg);
            dlg.show();
            QVERIFY(QTest::qWaitForWindowActive(&dlg));
            type(dlg, "edtLowSWR", "1.9");
            type(dlg, "edtMediumSWR", "abc");
            if (escape)
                QTest::keyClick(child<QLineEdit>(dlg, "edtMediumSWR"), Qt::Key_Escape);
            else
                QVERIFY(dlg.close());
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
            QVERIFY(!dlg.isVisible());
            QCOMPARE(dlg.getLowSWR(), 1.2);
            QCOMPARE(dlg.getMediumSWR(), 1.5);
        }
    }

    void execDrivenLikeAUser()
    {
        SettingsDialog dlg;
        setDefaults(dlg);
        QTimer poll;
        int ticks = 0;
        connect(&poll, &QTimer::timeout, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal != &dlg || !modal->isVisible()) {
                if (++ticks > 300) {
                    poll.stop();
                    dlg.reject();
                }
                return;
            }
            poll.stop();
            QTest::mouseClick(child<QToolButton>(dlg, "btnZAnt"), Qt::LeftButton);
            type(dlg, "edtVelF", "0.8");
            QTest::keyClick(child<QLineEdit>(dlg, "edtVelF"), Qt::Key_Return);
        });
        poll.start(10);
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QCOMPARE(dlg.getVelocityFactor(), 0.8);
        QCOMPARE(dlg.getNumberOfRings(), 10000);
    }

    void tabOrder()
    {
        SettingsDialog dlg;
        const QStringList expected = {"btnMatch", "edtLowSWR",  "edtMediumSWR", "edtHighSWR",
                                      "btnZLoad", "edtImpStep", "edtRings",     "edtEpsSWR",
                                      "btnZAnt",  "edtCable",   "edtVelF"};
        QStringList seen;
        QWidget *w = child<QToolButton>(dlg, "btnMatch");
        for (int i = 0; i < 200 && seen.size() < expected.size(); ++i, w = w->nextInFocusChain())
            if (expected.contains(w->objectName()))
                seen << w->objectName();
        QCOMPARE(seen, expected);
        // Alt+letter reaches the field through its label's buddy.
        QCOMPARE(child<QLabel>(dlg, "label")->buddy(), child<QLineEdit>(dlg, "edtLowSWR"));
    }

    void languageChangeRestoresTexts()
    {
        SettingsDialog dlg;
        setDefaults(dlg);
        type(dlg, "edtRings", "77");
        dlg.setWindowTitle("x");
        child<QToolButton>(dlg, "btnZAnt")->setText("x");
        child<QCheckBox>(dlg, "chkSmartTune")->setText("x");
        QEvent change(QEvent::LanguageChange);
        QApplication::sendEvent(&dlg, &change);
        QCOMPARE(dlg.windowTitle(), QString("Settings"));
        QCOMPARE(child<QToolButton>(dlg, "btnZAnt")->text(), QString("Z &Antenna"));
        QCOMPARE(child<QCheckBox>(dlg, "chkSmartTune")->text(), QString("&Smart Tune"));
        QCOMPARE(text(dlg, "edtRings"), QString("77"));
        QVERIFY(child<QCheckBox>(dlg, "chkSmartTune")->isChecked());
        QVERIFY(child<QLabel>(dlg, "label_11")->text().contains("&quot;Mismatched Z Load&quot;"));
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_dialogs_settings.moc"
