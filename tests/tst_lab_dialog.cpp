// The Tuning Lab window: a run shows the core's figures for the corpus
// asked for, bad input never starts one, and a run can be cancelled or the
// window closed or deleted while it works.
#include "labdialog.h"
#include "lcnet.h"

#include <QtTest>
#include <QtWidgets>

namespace
{

template <typename T> T *child(QObject *parent, const char *name)
{
    T *w = parent->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

void setText(QObject *dialog, const char *name, const QString &text)
{
    child<QLineEdit>(dialog, name)->setText(text);
}

QString status(QObject *dialog)
{
    return child<QLabel>(dialog, "lblStatus")->text();
}

} // namespace

class TestLabDialog : public QObject
{
    Q_OBJECT

private slots:
    void runShowsTheCoreFigures()
    {
        LCNet::Calculator calc;
        calc.setFrequency(7100);
        LabDialog dialog(&calc);
        dialog.setSettleTime(0.02);
        child<QSpinBox>(&dialog, "spnCount")->setValue(24);
        setText(&dialog, "edtSeed", "5");
        setText(&dialog, "edtMaxSWR", "20");
        setText(&dialog, "edtLowSWR", "1.5");
        child<QCheckBox>(&dialog, "chk_brute")->setChecked(false);
        QSignalSpy ended(&dialog, &LabDialog::runEnded);
        child<QPushButton>(&dialog, "btnRun")->click();
        QVERIFY(dialog.isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!ended.isEmpty(), 60000);
        QCOMPARE(ended.first().first().toBool(), true);

        // The same corpus and tuner through the core alone.
        LCNet::TuneProblem base = LCNet::TuneProblem::of(calc);
        base.lowSWR = 1.5;
        const std::vector<LCNet::LabLoad> loads = LCNet::generateLabCorpus({24, 20, 7100, 7100, 5});
        const LCNet::LabResult expected = LCNet::runLab(base, loads, {"smart", "valley", "relays"});
        QCOMPARE(LCNet::labPerLoadCsv(*dialog.result()), LCNet::labPerLoadCsv(expected));

        const QTableWidget *table = child<QTableWidget>(&dialog, "tblFigures");
        QVERIFY(table->columnCount() == 3 &&
                table->horizontalHeaderItem(1)->text() == QString("Valley Search"));
        for (int a = 0; a < 3; ++a) {
            const LCNet::LabStatistics s = LCNet::labStatistics(expected, a, 0.02);
            QCOMPARE(table->item(0, a)->text(),
                     QString::number(100 * s.successRate, 'f', 2) + " %");
            QCOMPARE(table->item(2, a)->text().toDouble(), s.readingsMedian);
            QCOMPARE(table->item(4, a)->text().toInt(), s.readingsMax);
        }
        QVERIFY(child<QLabel>(&dialog, "lblSummary")->text().contains("seed 5"));

        // Export, and a folder that does not exist named in the dialog.
        QTemporaryDir dir;
        QVERIFY(dialog.exportCsv(dir.filePath("lab.csv")) && status(&dialog).contains("72 rows"));
        QFile saved(dir.filePath("lab.csv"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(saved.readAll()), LCNet::labPerLoadCsv(expected));
        QVERIFY(!dialog.exportCsv(dir.filePath("none/lab.csv")));
        QVERIFY(status(&dialog).contains(dir.filePath("none/lab.csv")));
    }

    void badInputStartsNothing_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("says");
        const char *rows[][5] = {
            {"max SWR", "", "edtMaxSWR", "abc", "maximum SWR"},
            {"max SWR 1", "", "edtMaxSWR", "1", "maximum SWR"},
            {"seed", "", "edtSeed", "-1", "seed"},
            {"huge seed", "", "edtSeed", "9007199254740992", "seed"},
            {"frequency", "", "edtFrequency", "inf", "frequency"},
            {"range", "rbRange", "edtLowKHz", "40000", "range"},
            {"low SWR", "", "edtLowSWR", "nan", "Low SWR"},
            {"file", "rbFile", "edtFile", "/no/such/loads.csv", "/no/such/loads.csv"},
            {"no search", "", "", "", "search"}};
        for (const auto &row : rows)
            QTest::newRow(row[0]) << row[1] << row[2] << row[3] << row[4];
    }
    void badInputStartsNothing()
    {
        QFETCH(QString, choice);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, says);
        LabDialog dialog(nullptr);
        if (!choice.isEmpty())
            child<QRadioButton>(&dialog, qPrintable(choice))->setChecked(true);
        if (!field.isEmpty())
            setText(&dialog, qPrintable(field), text);
        else // no search chosen
            for (QCheckBox *box : dialog.findChildren<QCheckBox *>())
                box->setChecked(false);
        child<QPushButton>(&dialog, "btnRun")->click();
        QVERIFY(!dialog.isRunning());
        QVERIFY2(status(&dialog).contains(says, Qt::CaseInsensitive), qPrintable(status(&dialog)));
    }

    void cancelCloseAndDeleteDuringARun()
    {
        auto *dialog = new LabDialog(nullptr);
        child<QSpinBox>(dialog, "spnCount")->setValue(200000);
        QPushButton *run = child<QPushButton>(dialog, "btnRun");
        run->click();
        QVERIFY(dialog->isRunning() && !run->isEnabled());
        child<QPushButton>(dialog, "btnCancel")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isRunning(), 30000);
        QVERIFY(status(dialog).startsWith("Cancelled") && !dialog->result() && run->isEnabled());

        dialog->show();
        run->click();
        dialog->reject();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isRunning(), 30000);
        QVERIFY(!dialog->result());

        run->click();
        QVERIFY(dialog->isRunning());
        delete dialog;
    }
};

QTEST_MAIN(TestLabDialog)
#include "tst_lab_dialog.moc"
