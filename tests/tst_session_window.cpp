// Sessions and the report from the File menu: what is saved comes back,
// what is refused changes nothing, and every file written says so.
#include "windowtest.h"

#include "sweepdialog.h"

#include <QPrintDialog>
#include <QPrinter>

using LCNet::Session;

class TestSessionWindow : public QObject, WindowTest
{
    Q_OBJECT

    QTemporaryDir dir;

    QByteArray now() { return LCNet::sessionToJson(LCNet::sessionOf(*calc())); }
    QByteArray bytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString writeSession(const char *name, const Session &s = Session())
    {
        LCNet::writeSessionFile(dir.filePath(name), s, nullptr);
        return dir.filePath(name);
    }
    // Chooses `path` in the next file dialog; `folder` receives where it opened.
    std::shared_ptr<bool> choose(const QString &path, QString *folder = nullptr)
    {
        return answerNextModal([=](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            if (folder)
                *folder = dialog->directory().absolutePath();
            // Typed, as selectFile() waits for the folder to be listed.
            dialog->findChild<QLineEdit *>("fileNameEdit")->setText(path);
            static_cast<QDialog *>(dialog)->accept();
            if (dialog->isVisible()) {
                dialog->reject();
                QFAIL("the file dialog took no file");
            }
        });
    }
    std::shared_ptr<bool> closeMessage(QString *text)
    {
        return answerNextModal([=](QWidget *box) {
            *text = box->findChild<QLabel *>("qt_msgbox_label")->text();
            box->close();
        });
    }
    void drop(const QString &path)
    {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        // A drop reaches only the widget that took the drag's entry.
        QDragEnterEvent enter({10, 10}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QDropEvent event({10, 10}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &enter);
        QCoreApplication::sendEvent(window.get(), &event);
    }

private slots:
    void init() { startClean(); }
    void cleanup() { stop(); }

    void roundTripThroughTheMenu()
    {
        find<QLineEdit>("edtRLoad")->setText("12.5");
        find<QLineEdit>("edtXLoad")->setText("-33.25");
        find<QLineEdit>("edtFreq")->setText("7100");
        find<QComboBox>("cmbL")->setCurrentIndex(37);
        QLineEdit *c = find<QComboBox>("cmbC")->lineEdit();
        c->setText("470.5");
        emit c->editingFinished();
        find<QRadioButton>("rbCL")->click();
        calc()->lowSWR = 1.35;
        calc()->numberOfRings = 77;
        const QByteArray saved = now();
        const QString swr =
            QString("<b>%1</b>")
                .arg(swrOf(networkInput(true, 7100, LCNet::LTable[37], 470.5, cplx(12.5, -33.25))));

        // Saved without a suffix: the dialog gives it the session's.
        const QString path = dir.filePath("work.vorlap");
        choose(dir.filePath("work"));
        find<QAction>("acnSaveSession")->trigger();
        QCOMPARE(status(), "Saved " + path);
        QCOMPARE(bytes(path), saved);

        find<QLineEdit>("edtFreq")->setText("14000");
        find<QRadioButton>("rbLC")->click();
        find<QComboBox>("cmbL")->setCurrentIndex(3);
        calc()->lowSWR = 1.2;

        QString folder;
        choose(path, &folder);
        find<QAction>("acnOpenSession")->trigger();
        QCOMPARE(folder, dir.path());
        QCOMPARE(status(), "Opened " + path);
        QCOMPARE(now(), saved);
        QVERIFY(find<QLineEdit>("edtFreq")->text() == "7100" && c->text() == "470.5" &&
                find<QSlider>("horizontalSlider")->value() == 37 &&
                find<QRadioButton>("rbCL")->isChecked());
        QCOMPARE(find<QLabel>("lblSWR")->text(), swr);
        // The session is the user's work, not the user's settings.
        QVERIFY(!QFile::exists(MainWindow::settingsFilePath()));
    }

    // Banks of their own fill the lists; a file dropped on the window opens
    // as a session by its content, whatever its name, or as a band sweep.
    void openedAndDroppedFiles()
    {
        Session s;
        QVERIFY(LCNet::BankSpec::fromText("7: 0.1; 0.05, 0.1, 0.2, 0.4, 0.8, 1.6, 3.2",
                                          &s.settings.inductorBank));
        s.inductance = 0.1 + 0.05 * 9;
        // Dropped while a field is being typed into: it shows the session.
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        find<QLineEdit>("edtFreq")->setFocus();
        QTest::keyClick(find<QLineEdit>("edtFreq"), Qt::Key_5);
        QCOMPARE(calc()->frequency, 140005.0);
        drop(writeSession("bank.json", s));
        QTRY_COMPARE(calc()->inductorSteps().size(), 128);
        QCOMPARE(find<QLineEdit>("edtFreq")->text(), QString("14000"));
        QCOMPARE(calc()->frequency, 14000.0);
        auto *l = find<QComboBox>("cmbL");
        QVERIFY(l->count() == 128 && l->currentIndex() == 9 && l->currentText() == "0.55");
        QCOMPARE(find<QSlider>("horizontalSlider")->maximum(), 127);

        QVERIFY(window->openSession(writeSession("plain.vorlap")));
        QVERIFY(l->count() == 256 && l->itemText(255) == "24.86");

        // Why a file is refused is the reader's business; the window says so
        // with the file's name, and changes nothing.
        const QByteArray good = LCNet::sessionToJson(Session());
        const QString cut = dir.filePath("cut.vorlap"), newer = dir.filePath("newer.vorlap");
        QVERIFY(writeFile(cut, good.left(good.size() / 2)) &&
                writeFile(newer, QByteArray(good).replace("\"version\": 1", "\"version\": 2")));
        find<QLineEdit>("edtRLoad")->setText("33");
        const QByteArray before = now();
        QString text;
        closeMessage(&text);
        QVERIFY(!window->openSession(cut));
        QVERIFY2(text.contains(cut) && text.contains("damaged or truncated"), qPrintable(text));
        QCOMPARE(status(), "Could not open " + cut);
        QCOMPARE(now(), before);
        // A dropped one as well, once the drop is over.
        auto seen = closeMessage(&text);
        drop(newer);
        QTRY_VERIFY(*seen);
        QVERIFY(text.contains("newer version"));
        QCOMPARE(now(), before);

        drop(QFINDTESTDATA("data/dipole20m.s1p"));
        QCOMPARE(window->findChildren<SweepDialog *>().size(), 1);
    }

    void exportPrintAndFailedSaves()
    {
        answerPrompt("12.5");
        find<QAction>("acnCalcZAnt")->trigger();
        const QString report = find<QTextEdit>("teLog")->toPlainText();
        QVERIFY(report.contains("Antenna estimation") && report.contains("of 100W"));

        choose(dir.filePath("report"));
        find<QAction>("acnExportReport")->trigger();
        QCOMPARE(status(), "Saved " + dir.filePath("report.html"));
        QTextDocument html;
        html.setHtml(QString::fromUtf8(bytes(dir.filePath("report.html"))));
        QCOMPARE(html.toPlainText(), report);
        QCOMPARE(html.metaInformation(QTextDocument::DocumentTitle),
                 QString("Vorlap Simulator v.1.2 report"));

        QVERIFY(window->exportReport(dir.filePath("report.pdf")));
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("printed.pdf"));
        QVERIFY(window->printReport(&printer));
        QCOMPARE(status(), "Saved " + dir.filePath("printed.pdf"));
        for (const char *name : {"report.pdf", "printed.pdf"}) {
            const QByteArray pdf = bytes(dir.filePath(name));
            QVERIFY(pdf.startsWith("%PDF-") && pdf.trimmed().endsWith("%%EOF"));
            QVERIFY2(pdf.size() > 2000 && pdf.size() < 200000, name);
        }
        // Each failed save says which file and why.
        auto refused = [&](bool saved, const QString &path) {
            return !saved && status().startsWith("Could not save " + path + ": ");
        };
        printer.setOutputFileName(dir.path());
        QVERIFY(refused(window->printReport(&printer), dir.path()));

        // A failed save says why and keeps the previous file: one character
        // short of the longest file name, the temporary file's name cannot
        // be made beside it.
        const QString path = dir.filePath(QString(250, 'a') + ".pdf");
        QVERIFY(writeFile(path, "previous"));
        QVERIFY(refused(window->saveSession(path), path));
        QVERIFY(refused(window->exportReport(path), path));
        QCOMPARE(bytes(path), QByteArray("previous"));
        QVERIFY(refused(window->exportReport(dir.path()), dir.path()));

        auto seen = answerNextModal([](QWidget *modal) {
            QVERIFY(qobject_cast<QPrintDialog *>(modal));
            static_cast<QDialog *>(modal)->reject();
        });
        find<QAction>("acnPrint")->trigger();
        QVERIFY(*seen);
    }
};

QTEST_MAIN(TestSessionWindow)
#include "tst_session_window.moc"
