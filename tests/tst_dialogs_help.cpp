#include "helpdialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class TestHelpDialog : public QObject
{
    Q_OBJECT

    static QLabel *label(const HelpDialog &dlg, const char *name)
    {
        QLabel *l = dlg.findChild<QLabel *>(name);
        if (!l)
            qFatal("no label %s", name);
        return l;
    }

private slots:
    void fixedSizeAndTexts()
    {
        HelpDialog dlg;
        QCOMPARE(dlg.windowTitle(), QString("Help"));
        QCOMPARE(dlg.styleSheet(), QString("background-color: rgb(255, 255, 255);"));
        QCOMPARE(dlg.minimumSize(), QSize(768, 340));
        QCOMPARE(dlg.maximumSize(), QSize(768, 340));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.size(), QSize(768, 340));
        dlg.resize(1000, 600);
        QCOMPARE(dlg.size(), QSize(768, 340));

        QLabel *title = label(dlg, "label_2");
        QCOMPARE(title->text(), QString("Application reference circuit"));
        QCOMPARE(title->font().pointSize(), 18);
        QCOMPARE(title->font().weight(), QFont::Normal);
        QVERIFY(label(dlg, "label")->text().isEmpty());
        QDialogButtonBox *box = dlg.findChild<QDialogButtonBox *>("buttonBox");
        QVERIFY(box);
        QCOMPARE(box->standardButtons(), QDialogButtonBox::Ok);
    }

    // A language change sets the label's empty text again; the picture
    // must survive that.
    void pictureShownAndKeptOnLanguageChange()
    {
        HelpDialog dlg;
        const QPixmap expected(":/images/VorlapHelp");
        if (expected.isNull())
            QSKIP("the help picture is not among the resources yet");
        QLabel *picture = label(dlg, "label");
        QCOMPARE(picture->pixmap().size(), QSize(728, 223));
        dlg.setWindowTitle("x");
        label(dlg, "label_2")->setText("x");
        QEvent change(QEvent::LanguageChange);
        QApplication::sendEvent(&dlg, &change);
        QCOMPARE(dlg.windowTitle(), QString("Help"));
        QCOMPARE(label(dlg, "label_2")->text(), QString("Application reference circuit"));
        QCOMPARE(picture->pixmap().size(), QSize(728, 223));
        QCOMPARE(picture->pixmap().toImage(), expected.toImage());
    }

    void closesWithOkEscapeAndClose_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("OK") << "ok" << int(QDialog::Accepted);
        QTest::newRow("Return") << "return" << int(QDialog::Accepted);
        QTest::newRow("Escape") << "escape" << int(QDialog::Rejected);
        QTest::newRow("close button") << "close" << int(QDialog::Rejected);
    }
    void closesWithOkEscapeAndClose()
    {
        QFETCH(QString, how);
        QFETCH(int, result);
        HelpDialog dlg;
        QTimer poll;
        int ticks = 0;
        connect(&poll, &QTimer::timeout, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal != &dlg || !modal->isVisible()) {
                if (++ticks > 300) {
                    poll.stop();
                    dlg.done(-1);
                }
                return;
            }
            poll.stop();
            QDialogButtonBox *box = dlg.findChild<QDialogButtonBox *>("buttonBox");
            if (how == "ok")
                QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
            else if (how == "return")
                QTest::keyClick(&dlg, Qt::Key_Return);
            else if (how == "escape")
                QTest::keyClick(&dlg, Qt::Key_Escape);
            else
                dlg.close();
        });
        poll.start(10);
        QCOMPARE(dlg.exec(), result);
        QVERIFY(!dlg.isVisible());
    }
};

QTEST_MAIN(TestHelpDialog)
#include "tst_dialogs_help.moc"
