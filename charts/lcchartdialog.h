// "SWR vs L/C chart": the SWR of every capacitor and inductor step pair for
// the main calculator's frequency, load and configuration.
#ifndef LCCHARTDIALOG_H
#define LCCHARTDIALOG_H

#include <QDialog>

#include <vector>

class LCMatrixItem;
class QGraphicsScene;
class QTextStream;
namespace LCNet
{
class Calculator;
}
namespace Ui
{
class LCChartDialog;
}

class LCChartDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr double DefaultMaximum = 5000.0;

    explicit LCChartDialog(LCNet::Calculator *calculator, QWidget *parent = nullptr);
    ~LCChartDialog() override;

    // Fills the matrix item from the private calculator.
    void computeMatrix();

    // Shows the chart over other banks' steps (L in uH, C in pF; each
    // finite, strictly increasing, 2 .. 4096 entries) until the next change
    // of the main setting. Returns false, changing nothing, for steps that
    // are not usable.
    bool setBankSteps(std::vector<double> inductorUH, std::vector<double> capacitorPF);

    // Saves the chart (.png, .svg) or its numbers (.csv, one row per step
    // pair), shows the outcome in the dialog and returns whether the file
    // was written.
    bool exportTo(const QString &fileName);

public slots:
    void on_btnSetMax_clicked();
    void on_btnResetView_clicked();
    void on_btnExport_clicked();
    void showMouseValues(double matrixC, double matrixL);
    void changeCurrent(LCNet::Calculator *c);

protected:
    void changeEvent(QEvent *event) override;

private:
    static void bankSteps(const LCNet::Calculator &calc, std::vector<double> &inductorUH,
                          std::vector<double> &capacitorPF);
    static void computeSwrGrid(LCNet::Calculator &calc, const std::vector<double> &inductorUH,
                               const std::vector<double> &capacitorPF, double *swr);
    bool applySteps(std::vector<double> inductorUH, std::vector<double> capacitorPF);
    bool writeCsv(QTextStream &out);

    Ui::LCChartDialog *ui;
    LCNet::Calculator *calculator;
    LCMatrixItem *item;
    QGraphicsScene *scene;
};

#endif
