#include "helpdialog.h"

#include "contrast.h"

#include <QtTest>
#include <QtWidgets>

class TestHelpDialog : public QObject
{
    Q_OBJECT

private slots:
    // A fixed size around its picture; the title reads under a dark palette;
    // OK and Escape close it.
    void sizePictureTitleAndButtons()
    {
        QApplication::setStyle(QStringLiteral("Fusion"));
        const QPalette light = QApplication::palette();
        QApplication::setPalette(darkPalette());
        HelpDialog dlg;
        dlg.resize(1000, 600);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const double title = textContrast(dlg.findChild<QLabel *>("label_2")->grab().toImage(), 0);
        QApplication::setPalette(light);
        QVERIFY2(title >= 4.5, qPrintable(QString::number(title)));
        QCOMPARE(dlg.size(), QSize(768, 340));
        QCOMPARE(dlg.findChild<QLabel *>("label")->pixmap().size(), QSize(728, 223));

        dlg.findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok)->click();
        QVERIFY(!dlg.isVisible() && dlg.result() == QDialog::Accepted);
        dlg.show();
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(!dlg.isVisible() && dlg.result() == QDialog::Rejected);
    }
};

QTEST_MAIN(TestHelpDialog)
#include "tst_dialogs_help.moc"
