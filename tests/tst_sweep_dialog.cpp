// The band sweep window: plot mapping, a file swept and plotted, a point
// handed to the main window, refused files and saves, export, cancel and
// close during a run.
#include "lcnet.h"
#include "sweepdialog.h"
#include "sweepplot.h"

#include <QtTest>
#include <QtWidgets>

namespace
{
bool waitForSweep(SweepDialog &d)
{
    QSignalSpy finished(&d, &SweepDialog::sweepFinished);
    return !d.isRunning() || finished.wait(60000);
}

QString message(const SweepDialog &d)
{
    return d.findChild<QLabel *>("lblMessage")->text();
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}
} // namespace

class TestSweepDialog : public QObject
{
    Q_OBJECT

private slots:
    void plotMapping()
    {
        SweepPlot plot;
        plot.resize(600, 400);
        const double nan = qQNaN();
        plot.setData({1.0, 2.0, 3.0, 4.0}, {{"swr", Qt::red, {1.0, 10.0, LCNet::Infinity, nan}}});
        plot.setAxes({"SWR", SweepPlot::Scale::Log, 1.0, 100.0});
        const QRectF a = plot.plotArea();
        QPointF p1, p2, p3;
        QVERIFY(plot.position(0, 0, &p1) && plot.position(0, 1, &p2) && plot.position(0, 2, &p3));
        // 1 on the bottom, 10 half-way up a 1..100 log axis, infinity clipped
        // to the top; NaN is a gap.
        QCOMPARE(p1.y(), a.bottom());
        QVERIFY(qAbs(p2.y() - a.center().y()) < 1e-9);
        QCOMPARE(p3.y(), a.top());
        QVERIFY(!plot.position(0, 3, nullptr));
        // Frequencies spread evenly with 1 % room at the ends.
        QVERIFY(qAbs((p2.x() - p1.x()) - (p3.x() - p2.x())) < 1e-9);
        QVERIFY(qAbs(p1.x() - a.left() - 0.03 / 3.06 * a.width()) < 1e-9);
        QCOMPARE(plot.pointAt(QPointF(p2.x() + 10, a.center().y())), 1);
        QCOMPARE(plot.pointAt(QPointF(p2.x(), a.bottom() + 30)), -1);
        QVERIFY(SweepPlot::niceCeiling(37.0) == 50.0 && SweepPlot::niceCeiling(100.0) == 100.0);

        // Nothing to draw, or nothing but odd values: painted without trouble.
        plot.setData({nan, LCNet::Infinity}, {{"x", Qt::blue, {nan}}});
        plot.setAxes({"x", SweepPlot::Scale::Log, 0.0, -1.0});
        QVERIFY(!plot.grab().isNull());
        plot.clear();
        QCOMPARE(plot.pointAt(a.center()), -1);
        QVERIFY(!plot.grab().isNull());
    }

    void sweepPlotChooseAndRefuse()
    {
        LCNet::Calculator main;
        main.lowSWR = 1.05;
        main.netType = LCNet::Calculator::CTrx;
        main.defaultCableLength = 12.5;
        main.velocityFactor = 0.8;
        SweepDialog d(&main);
        d.resize(900, 650);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(d.findChild<QDoubleSpinBox *>("spnLength")->value() == 12.5 &&
                d.findChild<QDoubleSpinBox *>("spnVelocity")->value() == 0.8);
        d.run(); // nothing to run yet
        QVERIFY(!d.isRunning() && message(d).contains(QLatin1String("Open")));

        // Opening sweeps at once with the window's settings, cable off.
        const QString dipole = QFINDTESTDATA("data/dipole20m.s1p");
        QVERIFY(d.openFile(dipole) && waitForSweep(d));
        QVector<LCNet::LoadPoint> loads;
        QVERIFY(LCNet::readLoadFile(dipole, &loads, nullptr));
        const LCNet::SweepResult expected = LCNet::runSweep(loads, LCNet::SweepOptions::of(main));
        QCOMPARE(LCNet::sweepCsv(d.result()), LCNet::sweepCsv(expected));

        auto *plot = d.findChild<SweepPlot *>("plotSWR");
        QVERIFY(plot->pointCount() == 101 && plot->curves().size() == 2);
        for (int i = 0; i < 101; ++i) {
            QCOMPARE(plot->curves()[0].values[i], expected.points[i].loadSWR);
            QCOMPARE(plot->curves()[1].values[i], expected.points[i].swr);
        }
        auto *bands = d.findChild<QTableWidget *>("tblBands");
        QCOMPARE(bands->rowCount(), 1);
        QVERIFY(bands->item(0, 0)->text() == "20m" && bands->item(0, 2)->text() == "15");

        // Hover shows the point, a click hands it to the main window, a drag
        // does not.
        const int k = 47; // 14.175 MHz
        QPointF at;
        QVERIFY(plot->position(1, k, &at));
        QTest::mouseMove(plot, at.toPoint());
        QCOMPARE(plot->hoveredPoint(), k);
        QVERIFY(d.findChild<QLabel *>("lblPoint")->text().startsWith(QLatin1String("14.175 MHz")));
        QSignalSpy chosen(&d, &SweepDialog::pointChosen);
        QTest::mouseClick(plot, Qt::LeftButton, Qt::NoModifier, at.toPoint());
        QTest::mousePress(plot, Qt::LeftButton, Qt::NoModifier, at.toPoint());
        QTest::mouseRelease(plot, Qt::LeftButton, Qt::NoModifier, at.toPoint() + QPoint(20, 0));
        QCOMPARE(chosen.size(), 1);
        const LCNet::SweepPoint &p = expected.points[k];
        QVERIFY(chosen[0][0].toDouble() == 14175.0 && chosen[0][2].toDouble() == p.l &&
                chosen[0][3].toDouble() == p.c);
        QCOMPARE(chosen[0][1].value<LCNet::Impedance>(), p.load);
        QCOMPARE(chosen[0][4].value<LCNet::Calculator::NetType>(), p.type);

        // A refused file keeps what is shown and says where it went wrong.
        QTemporaryDir dir;
        const QString bad = dir.filePath("bad.s1p");
        QVERIFY(writeFile(bad, "# MHz Z RI R 50\n14.0 1.0 0.5\n14.1 x 0.5\n"));
        QVERIFY(!d.openFile(bad));
        QVERIFY2(message(d).startsWith(bad + QLatin1String(":3:")), qPrintable(message(d)));
        QVERIFY(!d.openFile(dir.filePath("missing.s1p")));
        QVERIFY(message(d).contains(QLatin1String("missing.s1p")));
        QCOMPARE(LCNet::sweepCsv(d.result()), LCNet::sweepCsv(expected));

        // With the cable and Smart Tune, and the export as the core writes
        // it; a save that cannot happen says so, with the file's name.
        d.findChild<QCheckBox *>("chkCable")->setChecked(true);
        d.findChild<QComboBox *>("cmbAlgorithm")->setCurrentIndex(1);
        d.run();
        QVERIFY(waitForSweep(d));
        LCNet::SweepOptions options = LCNet::SweepOptions::of(main);
        options.cable = true;
        options.algorithm = LCNet::SweepAlgorithm::SmartTune;
        const QString csv = LCNet::sweepCsv(LCNet::runSweep(loads, options));
        QVERIFY(csv != LCNet::sweepCsv(expected));
        const QString file = dir.filePath("sweep.csv");
        QVERIFY(d.exportCsv(file) && message(d).contains(QLatin1String("sweep.csv")));
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(saved.readAll()), csv);
        QVERIFY(d.savePlot(dir.filePath("swr.png")));
        QCOMPARE(QImage(dir.filePath("swr.png")).size(), plot->size() * plot->devicePixelRatio());
        for (const char *name : {"no/such/folder/sweep.csv", "no/such/folder/plot.png"}) {
            const QString nowhere = dir.filePath(name);
            QVERIFY(nowhere.endsWith(".csv") ? !d.exportCsv(nowhere) : !d.savePlot(nowhere));
            QVERIFY(message(d).contains(nowhere.section('/', -1)));
        }
    }

    void cancelAndClose()
    {
        // Enough Brute Force points to outlast the test's next steps.
        QByteArray data = "# kHz Z RI R 50\n";
        for (int i = 0; i < 20000; ++i)
            data += QByteArray::number(1800 + i) + " 1.5 " + QByteArray::number(i % 7 - 3) + '\n';
        QTemporaryDir dir;
        const QString file = dir.filePath("long.s1p");
        QVERIFY(writeFile(file, data));
        SweepDialog d(nullptr);
        QVERIFY(d.openFile(file) && d.isRunning());
        d.cancel();
        QVERIFY(waitForSweep(d) && !d.isRunning() && d.result().points.isEmpty());
        QVERIFY(message(d).contains(QLatin1String("cancelled")));

        // Closing or deleting the window during a run stops it.
        d.run();
        QVERIFY(d.isRunning());
        d.reject();
        QVERIFY(!d.isRunning());
        auto *other = new SweepDialog(nullptr);
        QVERIFY(other->openFile(file));
        delete other;
    }
};

QTEST_MAIN(TestSweepDialog)
#include "tst_sweep_dialog.moc"
