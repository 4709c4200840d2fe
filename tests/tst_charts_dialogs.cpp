// What both chart dialogs share: export to PNG, SVG and CSV, the quick
// legend ranges, and readable text under a dark palette.
#include "chartaxis.h"
#include "chartstest.h"
#include "dialogdriver.h"
#include "lcchartdialog.h"
#include "lcmatrixitem.h"
#include "lcnet.h"
#include "lcview.h"
#include "legendwidget.h"
#include "zchart.h"
#include "zchartdialog.h"

#include <QFile>
#include <QGraphicsScene>
#include <QHash>
#include <QImageReader>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QToolButton>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace
{
QStringList readLines(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

bool isSvg(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader xml(&file);
    bool root = false;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && !root)
            root = xml.name() == QLatin1String("svg");
    return root && !xml.hasError();
}

// The WCAG contrast ratio between the most frequent colour of an area (its
// background) and the colour that differs most from it (its text).
double textContrast(const QImage &shot, const QRect &area)
{
    const auto luminance = [](QRgb c) {
        const auto channel = [](int v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
    };
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[shot.pixel(x, y)];
    const QRgb background =
        std::max_element(counts.keyValueBegin(), counts.keyValueEnd(), [](auto a, auto b) {
            return a.second < b.second;
        })->first;
    double best = 1.0;
    for (QRgb c : counts.keys()) {
        const double a = luminance(c);
        const double b = luminance(background);
        best = std::max(best, (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05));
    }
    return best;
}

bool exportChart(QDialog *dialog, const QString &fileName)
{
    if (auto *lc = qobject_cast<LCChartDialog *>(dialog))
        return lc->exportTo(fileName);
    return qobject_cast<ZChartDialog *>(dialog)->exportTo(fileName);
}

// Answers the maximum prompt of the dialog with `answer`.
void promptMaximum(QDialog &dialog, const QString &answer)
{
    auto seen = answerNextModal([=](QWidget *w) {
        auto *input = qobject_cast<QInputDialog *>(w);
        input->setTextValue(answer);
        input->accept();
    });
    dialog.findChild<QPushButton *>("btnSetMax")->click();
    QVERIFY(*seen);
}
} // namespace

class TestChartDialogs : public QObject
{
    Q_OBJECT

private slots:
    void exportFiles();
    void quickRangesAsThePrompt();
    void readableUnderADarkPalette();
};

void TestChartDialogs::exportFiles()
{
    QTemporaryDir dir;
    LCNet::Calculator main;
    main.setInductance(1.5);
    main.setCapacitance(300);
    LCChartDialog lc(&main);
    ZChartDialog z(&main);
    // Pictures of the chart with its axes and legend, at the size shown;
    // the numbers with their header; a file that cannot be written says so
    // with its name, and never that it was saved, and the old file stays.
    for (QDialog *d : std::initializer_list<QDialog *>{&lc, &z}) {
        d->resize(700, 400);
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d));
        auto *status = d->findChild<QLabel *>("lblStatus");
        QVERIFY(status->text().isEmpty());
        const QString png = dir.filePath(d->objectName() + ".png");
        QVERIFY(exportChart(d, png));
        QCOMPARE(status->toolTip(), "Saved " + QDir::toNativeSeparators(png));
        QWidget *chart = d->findChild<LCView *>("viewLC");
        const QRect area =
            (chart ? chart : d->findChild<QFrame *>("frame"))
                ->geometry()
                .united(d->findChild<QFrame *>(chart ? "frame" : "frame_2")->geometry());
        QCOMPARE(QImageReader(png).size(), area.size());
        QVERIFY(exportChart(d, dir.filePath("chart.svg")));
        QVERIFY(isSvg(dir.filePath("chart.svg")));
        for (const QString &bad :
             {png + "/x.csv", dir.filePath("none/x.png"), dir.filePath("none/x.svg")}) {
            QVERIFY(!exportChart(d, bad));
            QVERIFY(
                status->toolTip().startsWith("Could not save " + QDir::toNativeSeparators(bad)));
            QVERIFY(!QFile::exists(bad));
        }
        QCOMPARE(QImageReader(png).size(), area.size());
    }

    // L/C: one row per step pair, L step by L step, each value exact.
    QVERIFY(lc.exportTo(dir.filePath("lc.csv")));
    QStringList lines = readLines(dir.filePath("lc.csv"));
    QCOMPARE(lines.size(), 1 + 256 * 256);
    QCOMPARE(lines[0], QStringLiteral("l_step,c_step,l_uh,c_pf,swr"));
    const QStringList row = lines[1 + 90 * 256 + 40].split(',');
    QCOMPARE(row.mid(0, 4), (QStringList{"90", "40", "8.61", "620"}));
    QCOMPARE(row[4].toDouble(), swrAt(main, 620, 8.61));
    QCOMPARE(row[4], LCNet::shortestText(row[4].toDouble()));

    // R + jX: one row per pixel in reading order, the load it shows and the
    // SWR the dialog gives it (inf left of R = 0).
    auto *chart = z.findChild<ZChart *>("chartZ");
    QVERIFY(z.exportTo(dir.filePath("z.csv")));
    lines = readLines(dir.filePath("z.csv"));
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
        for (int px = 0; px < chart->width(); ++px)
            inside += chart->showsLoad(px, py);
    QVERIFY(z.exportTo(dir.filePath("smith.csv")));
    lines = readLines(dir.filePath("smith.csv"));
    QCOMPARE(lines.size(), 1 + inside);
    QVERIFY(lines.filter(QRegularExpression("^-")).isEmpty()); // no R < 0
}

void TestChartDialogs::quickRangesAsThePrompt()
{
    // Each quick range leaves the legend and the chart as the prompt does
    // with the same maximum; "Default" restores the opening maximum.
    LCNet::Calculator main;
    main.setInductance(1.5);
    main.setCapacitance(300);
    LCChartDialog lcQuick(&main), lcPrompt(&main);
    ZChartDialog zQuick(&main), zPrompt(&main);
    const std::pair<const char *, QString> ranges[] = {
        {"btnRange3", "3"}, {"btnRange10", "10"}, {"btnRange100", "100"}, {"btnRangeDefault", ""}};
    for (auto [quick, prompted, defaultMaximum] :
         {std::tuple<QDialog *, QDialog *, double>{&lcQuick, &lcPrompt, 5000},
          std::tuple<QDialog *, QDialog *, double>{&zQuick, &zPrompt, 100000}}) {
        for (QDialog *d : {quick, prompted}) {
            d->show();
            QVERIFY(QTest::qWaitForWindowExposed(d));
        }
        for (const auto &[button, answer] : ranges) {
            quick->findChild<QToolButton *>(button)->click();
            promptMaximum(*prompted, answer.isEmpty() ? QString::number(defaultMaximum) : answer);
            const auto *legend = quick->findChild<LegendWidget *>("legSWR");
            QCOMPARE(legend->maxValue(), prompted->findChild<LegendWidget *>("legSWR")->maxValue());
            QCOMPARE(legend->maxValue(), answer.isEmpty() ? defaultMaximum : answer.toDouble());
            // The legend's width follows its labels; once both layouts have
            // settled, the charts are the same.
            QWidget *view = quick->findChild<LCView *>("viewLC");
            QWidget *a = quick->findChild<QWidget *>(view ? "viewLC" : "chartZ");
            QWidget *b = prompted->findChild<QWidget *>(view ? "viewLC" : "chartZ");
            QTRY_COMPARE(a->size(), b->size());
            QCOMPARE(a->grab().toImage(), b->grab().toImage());
        }
    }
}

void TestChartDialogs::readableUnderADarkPalette()
{
    const QPalette light = QApplication::palette();
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(53, 53, 53));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(35, 35, 35));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Button, QColor(53, 53, 53));
    dark.setColor(QPalette::ButtonText, Qt::white);
    QApplication::setPalette(dark);

    QTemporaryDir dir;
    LCNet::Calculator main;
    LCChartDialog lc(&main);
    ZChartDialog z(&main);
    lc.showMouseValues(1234.5, 1000);
    z.showMouseValue(35, -94);
    for (QDialog *dialog : std::initializer_list<QDialog *>{&lc, &z}) {
        dialog->resize(700, 450);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QVERIFY(exportChart(dialog, dir.filePath("x.png"))); // shows the status line
        QApplication::processEvents();
        const QImage shot = dialog->grab().toImage();
        // Every label with text (captions, read-outs, the status line) and
        // both axes.
        QList<QWidget *> texts;
        for (QLabel *label : dialog->findChildren<QLabel *>())
            if (!label->text().isEmpty() && label->isVisible())
                texts.append(label);
        for (ChartAxis *axis : dialog->findChildren<ChartAxis *>())
            texts.append(axis);
        QVERIFY(texts.size() >= 9);
        for (QWidget *w : texts) {
            const QRect area = w->contentsRect().translated(w->mapTo(dialog, QPoint(0, 0)));
            const double ratio = textContrast(shot, area);
            QVERIFY2(ratio >= 4.5, qPrintable(w->objectName() + ": " + QString::number(ratio)));
        }
    }
    QApplication::setPalette(light);
}

QTEST_MAIN(TestChartDialogs)
#include "tst_charts_dialogs.moc"
