// "SWR vs L/C chart": the SWR of every capacitor and inductor step pair for
// the main calculator's frequency, load and configuration.
#ifndef LCCHARTDIALOG_H
#define LCCHARTDIALOG_H

#include <QDialog>

class LCMatrixItem;
class QGraphicsScene;
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
    explicit LCChartDialog(LCNet::Calculator *calculator, QWidget *parent = nullptr);
    ~LCChartDialog() override;

    // Fills the matrix item from the private calculator.
    void computeMatrix();

public slots:
    void on_btnSetMax_clicked();
    void showMouseValues(double matrixC, double matrixL);
    void changeCurrent(LCNet::Calculator *c);

protected:
    void changeEvent(QEvent *event) override;

private:
    Ui::LCChartDialog *ui;
    LCNet::Calculator *calculator;
    LCMatrixItem *item;
    QGraphicsScene *scene;
};

#endif
