#include "helpdialog.h"

#include "contrast.h"
#include "dialogdriver.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TestHelpDialog : public QObject
{
    Q_OBJECT

private slots:
    void fixedSizeTitleAndPicture()
    {
        HelpDialog dlg;
        dlg.resize(1000, 600);
        QCOMPARE(dlg.size(), QSize(768, 340));
        QCOMPARE(dlg.windowTitle(), QString("Help"));
        QCOMPARE(dlg.findChild<QLabel *>("label_2")->text(),
                 QString("Application reference circuit"));
        QCOMPARE(dlg.findChild<QLabel *>("label")->pixmap().size(), QSize(728, 223));
    }

    void titleReadsUnderADarkPalette()
    {
        QApplication::setStyle(QStringLiteral("Fusion"));
        const QPalette light = QApplication::palette();
        QApplication::setPalette(darkPalette());
        HelpDialog dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const double title = textContrast(dlg.findChild<QLabel *>("label_2")->grab().toImage(), 0);
        QApplication::setPalette(light);
        QVERIFY2(title >= 4.5, qPrintable(QString::number(title)));
    }

    void okAndEscapeClose()
    {
        for (const bool escape : {false, true}) {
            HelpDialog dlg;
            const auto seen = answerNextModal([&](QWidget *) {
                auto *ok =
                    dlg.findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok);
                if (escape)
                    QTest::keyClick(&dlg, Qt::Key_Escape);
                else
                    QTest::mouseClick(ok, Qt::LeftButton);
            });
            QCOMPARE(dlg.exec(), int(escape ? QDialog::Rejected : QDialog::Accepted));
            QVERIFY(*seen);
        }
    }
};

QTEST_MAIN(TestHelpDialog)
#include "tst_dialogs_help.moc"
