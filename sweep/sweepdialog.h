// "Band Sweep": a measured or modelled antenna over frequency, the tuner's
// best setting at every point, plotted against the amateur bands.
#ifndef SWEEPDIALOG_H
#define SWEEPDIALOG_H

#include "lcnet.h"

#include <QDialog>

#include <memory>

class QThread;
class QTimer;
class SweepTableModel;
namespace Ui
{
class SweepDialog;
}

class SweepDialog : public QDialog
{
    Q_OBJECT

public:
    // Takes a copy of the calculator's settings and present setting (the
    // tuner's start at every point); null takes the defaults.
    explicit SweepDialog(LCNet::Calculator *calculator, QWidget *parent = nullptr);
    ~SweepDialog() override;

    // The last finished sweep.
    const LCNet::SweepResult &result() const { return shown; }
    bool isRunning() const { return worker != nullptr; }

    // Write the table (as the command line writes it) or the plot on show
    // (the SWR plot when the table is on show); false with the reason in
    // the dialog.
    bool exportCsv(const QString &path);
    bool savePlot(const QString &path);

public slots:
    // Reads a load file and sweeps it; a refused file keeps what is shown
    // and says where it went wrong.
    bool openFile(const QString &path);
    void run();
    void cancel();
    // New settings and starting setting for the next run.
    void updateSettings(LCNet::Calculator *calculator);

signals:
    // A point clicked in a plot or double-clicked in the table: l in µH,
    // c in pF, the load as the tuner sees it.
    void pointChosen(double frequencyKHz, LCNet::Impedance load, double l, double c,
                     LCNet::Calculator::NetType type);
    // A run ended, cancelled or not.
    void sweepFinished();

protected:
    void changeEvent(QEvent *event) override;
    void done(int r) override;

private slots:
    void browse();
    void browseCsv();
    void browsePlot();
    void showProgress();
    void runFinished();
    void showPoint(int index);
    void choosePoint(int index);

private:
    struct Job;
    void stopWorker();
    void setRunning(bool running);
    void showResult();
    void showBands();
    void showMessage(const QString &text, bool error);
    void showCableType();

    Ui::SweepDialog *ui;
    LCNet::Calculator *calculator;
    SweepTableModel *model;
    QString path;
    QVector<LCNet::LoadPoint> loads;
    LCNet::SweepResult shown;
    std::unique_ptr<Job> job;
    QThread *worker = nullptr;
    QTimer *progressTimer;
};

#endif
