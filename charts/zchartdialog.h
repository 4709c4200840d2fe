// "SWR vs R+jX chart": the SWR that the main tuner setting presents to the
// transmitter, over the plane of load impedances.
#ifndef ZCHARTDIALOG_H
#define ZCHARTDIALOG_H

#include <QDialog>

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
    explicit ZChartDialog(LCNet::Calculator *calculator, QWidget *parent = nullptr);
    ~ZChartDialog() override;

public slots:
    void on_btnDelReference_clicked();
    void on_btnAddReference_clicked();
    void on_btnSetMax_clicked();
    void showMouseValue(double valR, double valX);
    void changeCurrent(LCNet::Calculator *c);
    void calculateZValue(double valX, double valY, double &valZ);

protected:
    void changeEvent(QEvent *event) override;

private:
    Ui::ZChartDialog *ui;
    LCNet::Calculator *calculator;
};

#endif
