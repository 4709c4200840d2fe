// What both chart dialogs share: export to PNG, SVG and CSV, the quick
// legend ranges, and readable text under a dark palette.
#include "chartstest.h"
#include "contrast.h"

namespace
{
bool isSvg(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader xml(&file);
    const bool root = xml.readNextStartElement() && xml.name() == QLatin1String("svg");
    while (!xml.atEnd())
        xml.readNext();
    return root && !xml.hasError();
}

bool exportChart(QDialog *dialog, const QString &fileName)
{
    if (auto *lc = qobject_cast<LCChartDialog *>(dialog))
        return lc->exportTo(fileName);
    return qobject_cast<ZChartDialog *>(dialog)->exportTo(fileName);
}

// The lines of the chart's numbers exported to `fileName`.
QStringList exportedLines(QDialog *dialog, const QString &fileName)
{
    QFile file(fileName);
    if (!exportChart(dialog, fileName) || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}
} // namespace

class TestChartDialogs : public QObject
{
    Q_OBJECT

private slots:
    void exportFilesUnderADarkPalette()
    {
        QApplication::setStyle(QStyleFactory::create("Fusion"));
        QApplication::setPalette(darkPalette()); // kept for the rest of the program
        QTemporaryDir dir;
        LCNet::Calculator main;
        main.setInductance(1.5);
        main.setCapacitance(300);
        LCChartDialog lc(&main);
        ZChartDialog z(&main);
        lc.showMouseValues(1234.5, 1000);
        z.showMouseValue(35, -94);
        // Pictures of the chart with its axes and legend, at the size shown; a
        // file that cannot be written says so with its name, never that it was
        // saved.
        for (QDialog *d : std::initializer_list<QDialog *>{&lc, &z}) {
            d->resize(700, 450);
            QVERIFY(shown(d));
            const QString png = dir.filePath(d->objectName() + ".png");
            QVERIFY(exportChart(d, png));
            auto *status = d->findChild<QLabel *>("lblStatus");
            QCOMPARE(status->toolTip(), "Saved " + QDir::toNativeSeparators(png));
            QWidget *chart = d->findChild<LCView *>("viewLC");
            const QRect picture =
                (chart ? chart : d->findChild<QFrame *>("frame"))
                    ->geometry()
                    .united(d->findChild<QFrame *>(chart ? "frame" : "frame_2")->geometry());
            QCOMPARE(QImageReader(png).size(), picture.size());
            // Readable under the dark palette: every label with text
            // (captions, read-outs, the status line just shown) and both axes.
            QApplication::processEvents();
            const QImage shot = d->grab().toImage();
            QList<QWidget *> labels;
            for (QLabel *label : d->findChildren<QLabel *>())
                if (!label->text().isEmpty() && label->isVisible())
                    labels.append(label);
            for (ChartAxis *axis : d->findChildren<ChartAxis *>())
                labels.append(axis);
            QVERIFY(labels.size() >= 9);
            for (QWidget *w : labels) {
                const QRect area = w->contentsRect().translated(w->mapTo(d, QPoint(0, 0)));
                const double ratio = textContrast(shot.copy(area), 0);
                QVERIFY2(ratio >= 4.5, qPrintable(w->objectName() + ": " + QString::number(ratio)));
            }
            QVERIFY(exportChart(d, dir.filePath("chart.svg")) && isSvg(dir.filePath("chart.svg")));
            for (const QString &bad : {png + "/x.csv", dir.filePath("none/x.png")})
                QVERIFY(!exportChart(d, bad) &&
                        status->toolTip().startsWith("Could not save " +
                                                     QDir::toNativeSeparators(bad)));
        }

        // L/C: one row per step pair, L step by L step, each value exact.
        QStringList lines = exportedLines(&lc, dir.filePath("lc.csv"));
        QCOMPARE(lines.size(), 1 + 256 * 256);
        QCOMPARE(lines[0], QStringLiteral("l_step,c_step,l_uh,c_pf,swr"));
        const QStringList row = lines[1 + 90 * 256 + 40].split(',');
        QCOMPARE(row.mid(0, 4), (QStringList{"90", "40", "8.61", "620"}));
        QCOMPARE(row[4].toDouble(), swrAt(main, 620, 8.61));
        QCOMPARE(row[4], LCNet::shortestText(row[4].toDouble()));

        // R + jX: one row per pixel in reading order, the load it shows and the
        // SWR the dialog gives it (inf left of R = 0).
        auto *chart = z.findChild<ZChart *>("chartZ");
        lines = exportedLines(&z, dir.filePath("z.csv"));
        const int w = chart->width();
        QCOMPARE(lines.size(), 1 + w * chart->height());
        QCOMPARE(lines[0], QStringLiteral("r,x,swr"));
        QVERIFY(lines[1].endsWith(",inf"));
        for (QPoint p : {QPoint(w - 1, 7), QPoint(w / 2 + 20, chart->height() - 1)}) {
            const QStringList values = lines[1 + p.y() * w + p.x()].split(',');
            const QPointF load = chart->pixelToPlane(p.x(), p.y());
            QCOMPARE(QPointF(values[0].toDouble(), values[1].toDouble()), load);
            QCOMPARE(values[2].toDouble(), swrOf(main, load.x(), load.y()));
        }
        // On the Smith chart only the pixels inside the disk hold a load.
        z.findChild<QToolButton *>("btnSmith")->click();
        QApplication::processEvents();
        int inside = 0;
        for (int py = 0; py < chart->height(); ++py)
            for (int px = 0; px < w; ++px)
                inside += chart->showsLoad(px, py);
        lines = exportedLines(&z, dir.filePath("smith.csv"));
        QCOMPARE(lines.size(), 1 + inside);
        QVERIFY(lines.filter(QRegularExpression("^-")).isEmpty()); // no R < 0
    }

    void quickRangesAsThePrompt()
    {
        // Each quick range sets the legend as the prompt would, which then
        // offers it; "Default" brings back the opening maximum.
        LCNet::Calculator main;
        LCChartDialog lc(&main);
        ZChartDialog z(&main);
        using Range = std::pair<const char *, double>;
        using Chart = std::pair<QDialog *, double>;
        for (auto [d, opening] : {Chart{&lc, 5000}, Chart{&z, 100000}}) {
            const auto *legend = d->findChild<LegendWidget *>("legSWR");
            for (auto [button, maximum] :
                 {Range{"btnRange3", 3}, Range{"btnRange10", 10}, Range{"btnRange100", 100},
                  Range{"btnRangeDefault", opening}}) {
                d->findChild<QToolButton *>(button)->click();
                QVERIFY(legend->maxValue() == maximum && legend->minValue() == 0);
                QCOMPARE(prompt(d, "btnSetMax", "7"),
                         "Set new legend SWR maximum|Max SWR:|" + QString::number(maximum));
            }
        }
    }
};

QTEST_MAIN(TestChartDialogs)
#include "tst_charts_dialogs.moc"
