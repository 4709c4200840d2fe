// The tuning lab's two plots, drawn with QPainter: a histogram of the
// readings per load of each search, and the corpus on the Smith chart.
#ifndef LABPLOTS_H
#define LABPLOTS_H

#include <QColor>
#include <QPointF>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

// Loads per bin of readings, bins a tenth of a decade wide; a search that
// takes the same readings on every load is a labelled vertical line.
class ReadingsHistogram : public QWidget
{
    Q_OBJECT

public:
    struct Series {
        QString name;
        QColor colour;
        std::vector<int> readings; // one count per load
    };

    explicit ReadingsHistogram(QWidget *parent = nullptr);
    void setSeries(std::vector<Series> series);
    const std::vector<Series> &series() const { return data; }

    // Bin k holds the whole counts from edge(k), the smallest one not
    // below 10^(k / BinsPerDecade), up to edge(k + 1); a bin between two
    // whole counts is empty and has no width.
    static constexpr int BinsPerDecade = 10;
    static int edge(int bin);
    static int binOf(int readings);

    QSize sizeHint() const override { return QSize(520, 360); }
    QSize minimumSizeHint() const override { return QSize(260, 180); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::vector<Series> data;
};

// Each load as a point at its reflection coefficient, coloured by its
// category (for the lab: which searches missed it); hovering a point shows
// describe(load) as a tooltip.
class SmithScatter : public QWidget
{
    Q_OBJECT

public:
    struct Category {
        QString label;
        QColor colour;
        bool emphasised = false; // drawn larger, above the others
    };

    explicit SmithScatter(QWidget *parent = nullptr);
    // points: Γ of each load; category: an index into categories per load.
    void setData(std::vector<QPointF> points, std::vector<int> category,
                 std::vector<Category> categories);
    // A dashed circle of this |Γ| (the corpus' maximum SWR); 0 for none.
    void setLimit(double gamma);
    std::function<QString(int)> describe;

    // The load nearest to a widget position within a few pixels, or -1.
    int loadAt(const QPointF &position) const;

    QSize sizeHint() const override { return QSize(520, 420); }
    QSize minimumSizeHint() const override { return QSize(240, 200); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    // The chart's unit circle in widget coordinates.
    QRectF disk(bool *legendBeside = nullptr) const;
    int legendWidth() const;
    int legendHeight() const;
    QPointF toWidget(const QPointF &gamma) const;

    std::vector<QPointF> points;
    std::vector<int> category;
    std::vector<Category> categories;
    std::vector<int> counts; // loads per category
    double limit = 0.0;
};

#endif
