// "SWR vs R+jX chart": the SWR that the main tuner setting presents to the
// transmitter, over the plane of load impedances or on a Smith chart.
#ifndef ZCHARTDIALOG_H
#define ZCHARTDIALOG_H

#include <QDialog>

#include <vector>

class ChartAxis;
class QTextStream;
namespace LCNet
{
class Calculator;
}
namespace Ui
{
class ZChartDialog;
}

class ZChartDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr double DefaultMaximum = 100000.0;
    static constexpr double OpeningZoom = 1.5; // ohm per pixel

    explicit ZChartDialog(LCNet::Calculator *calculator, QWidget *parent = nullptr);
    ~ZChartDialog() override;

    // The SWR of count loads, each exactly what calculateZValue gives.
    void calculateZValues(const double *r, const double *x, int count, double *swr);

    // Saves the chart (.png, .svg) or its numbers (.csv, one row per pixel
    // of the visible area), shows the outcome in the dialog and returns
    // whether the file was written.
    bool exportTo(const QString &fileName);

public slots:
    void on_btnDelReference_clicked();
    void on_btnAddReference_clicked();
    void on_btnSetMax_clicked();
    void on_btnSmith_toggled(bool on);
    void on_btnResetView_clicked();
    void on_btnExport_clicked();
    void showMouseValue(double valR, double valX);
    void changeCurrent(LCNet::Calculator *c);
    void calculateZValue(double valX, double valY, double &valZ);

protected:
    void changeEvent(QEvent *event) override;

private:
    bool writeCsv(QTextStream &out);

    Ui::ZChartDialog *ui;
    LCNet::Calculator *calculator;
    ChartAxis *axisR;
    ChartAxis *axisX;
    // Reused by calculateZValues: the loads with R >= 0 and their SWR.
    std::vector<double> loadR, loadX, loadSwr;
    std::vector<int> loadAt;
};

#endif
