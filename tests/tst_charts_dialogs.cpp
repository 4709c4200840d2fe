// What both chart dialogs share: export to PNG, SVG and CSV, the quick
// legend ranges, and readable text under a dark palette.
#include "chartaxis.h"
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
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QToolButton>
#include <QXmlStreamReader>

#include <cmath>

namespace
{
double swrFor(const LCNet::Calculator &c, double pF, double uH, LCNet::Impedance load)
{
    return LCNet::computeSWR(LCNet::Z0, LCNet::networkInput(c.netType, 1000.0 * c.frequency,
                                                            1e-6 * uH, 1e-12 * pF, load));
}

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

// WCAG relative luminance and contrast ratio.
double luminance(QColor c)
{
    const auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double contrast(QColor a, QColor b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast between the text in an area of a picture and the area's
// background (its most frequent colour).
double textContrast(const QImage &shot, const QRect &area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[shot.pixel(x, y)];
    QRgb background = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    double best = 1.0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, contrast(QColor(background), QColor(it.key())));
    return best;
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
    void exportLC();
    void exportZ();
    void quickRangesAsThePrompt();
    void readableUnderADarkPalette();
};

void TestChartDialogs::exportLC()
{
    QTemporaryDir dir;
    LCNet::Calculator main;
    main.setLoadImpedance(LCNet::Impedance(12, -30));
    LCChartDialog dialog(&main);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *status = dialog.findChild<QLabel *>("lblStatus");
    QVERIFY(status->text().isEmpty());

    // Pictures: the chart with its axes and legend.
    const QRect chart = dialog.findChild<LCView *>("viewLC")->geometry().united(
        dialog.findChild<QFrame *>("frame")->geometry());
    QVERIFY(dialog.exportTo(dir.filePath("lc.png")));
    QCOMPARE(QImageReader(dir.filePath("lc.png")).size(), chart.size());
    QCOMPARE(status->toolTip(), "Saved " + QDir::toNativeSeparators(dir.filePath("lc.png")));
    QVERIFY(dialog.exportTo(dir.filePath("lc.svg")));
    QVERIFY(isSvg(dir.filePath("lc.svg")));

    // Numbers: one row per step pair, L step by L step, each value exact.
    QVERIFY(dialog.exportTo(dir.filePath("lc.csv")));
    const QStringList lines = readLines(dir.filePath("lc.csv"));
    QCOMPARE(lines.size(), 1 + 256 * 256);
    QCOMPARE(lines[0], QStringLiteral("l_step,c_step,l_uh,c_pf,swr"));
    const QStringList row = lines[1 + 90 * 256 + 40].split(',');
    QCOMPARE(row.mid(0, 4), (QStringList{"90", "40", "8.61", "620"}));
    QCOMPARE(row[4].toDouble(), swrFor(main, 620, 8.61, main.loadImpedance));
    QCOMPARE(row[4], LCNet::shortestText(row[4].toDouble()));

    // A total reflection (a lossless load) is written as inf, and reads back.
    main.setLoadImpedance(LCNet::Impedance(0, 50));
    LCChartDialog lossless(&main);
    QVERIFY(lossless.exportTo(dir.filePath("lossless.csv")));
    const QStringList total = readLines(dir.filePath("lossless.csv")).filter(",inf");
    QVERIFY(!total.isEmpty());
    QCOMPARE(total[0].split(',')[4].toDouble(), LCNet::Infinity);

    // A file that cannot be written says so, with its name, and never that
    // it was saved; the old file stays.
    QFile::copy(dir.filePath("lc.png"), dir.filePath("old.csv"));
    for (const QString &bad :
         {dir.filePath("lc.png/x.csv"), dir.filePath("none/x.png"), dir.filePath("none/x.svg")}) {
        QVERIFY(!dialog.exportTo(bad));
        QVERIFY(status->toolTip().startsWith("Could not save " + QDir::toNativeSeparators(bad)));
        QVERIFY(!QFile::exists(bad));
    }
    QCOMPARE(QImageReader(dir.filePath("lc.png")).size(), chart.size());
}

void TestChartDialogs::exportZ()
{
    QTemporaryDir dir;
    LCNet::Calculator main;
    main.setInductance(1.5);
    main.setCapacitance(300);
    ZChartDialog dialog(&main);
    dialog.resize(700, 400);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *chart = dialog.findChild<ZChart *>("chartZ");
    QVERIFY(dialog.exportTo(dir.filePath("z.png")));
    const QRect area = dialog.findChild<QFrame *>("frame")->geometry().united(
        dialog.findChild<QFrame *>("frame_2")->geometry());
    QCOMPARE(QImageReader(dir.filePath("z.png")).size(), area.size());
    QVERIFY(dialog.exportTo(dir.filePath("z.svg")));
    QVERIFY(isSvg(dir.filePath("z.svg")));

    // One row per pixel, in reading order, each the load that pixel shows
    // and the SWR the dialog gives it (infinite left of R = 0).
    QVERIFY(dialog.exportTo(dir.filePath("z.csv")));
    QStringList lines = readLines(dir.filePath("z.csv"));
    const int w = chart->width();
    QCOMPARE(lines.size(), 1 + w * chart->height());
    QCOMPARE(lines[0], QStringLiteral("r,x,swr"));
    for (QPoint p : {QPoint(0, 0), QPoint(w - 1, 7), QPoint(w / 2 + 20, chart->height() - 1)}) {
        const QStringList row = lines[1 + p.y() * w + p.x()].split(',');
        const QPointF load = chart->pixelToPlane(p.x(), p.y());
        QCOMPARE(row[0].toDouble(), load.x());
        QCOMPARE(row[1].toDouble(), load.y());
        double swr = 0;
        dialog.calculateZValue(load.x(), load.y(), swr);
        QCOMPARE(row[2].toDouble(), swr);
    }
    QVERIFY(lines[1].endsWith(",inf"));

    // On the Smith chart only the pixels inside the disk hold a load.
    dialog.findChild<QToolButton *>("btnSmith")->click();
    QApplication::processEvents();
    int inside = 0;
    for (int py = 0; py < chart->height(); ++py)
        for (int px = 0; px < chart->width(); ++px)
            inside += chart->showsLoad(px, py);
    QVERIFY(dialog.exportTo(dir.filePath("smith.csv")));
    lines = readLines(dir.filePath("smith.csv"));
    QCOMPARE(lines.size(), 1 + inside);
    for (int i = 1; i < lines.size(); i += 997)
        QVERIFY(lines[i].split(',')[0].toDouble() >= 0);

    QVERIFY(!dialog.exportTo(dir.filePath("z.png/z.csv")));
    QVERIFY(dialog.findChild<QLabel *>("lblStatus")->toolTip().startsWith("Could not save"));
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
            QCOMPARE(legend->minValue(), 0.0);
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
        if (auto *d = qobject_cast<LCChartDialog *>(dialog))
            QVERIFY(d->exportTo(dir.filePath("lc.png")));
        else
            QVERIFY(qobject_cast<ZChartDialog *>(dialog)->exportTo(dir.filePath("z.png")));
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
