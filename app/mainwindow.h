#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "lcnet.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QString>

class QLineEdit;
class QProgressDialog;
class SweepDialog;

namespace Ui
{
class MainWindow;
}

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The settings file, named after the executable's base name: next to
    // the executable, or in the user's configuration folder once installed.
    static QString settingsFilePath();
    // The same for the executable at exePath, configDir being that folder.
    static QString settingsFilePath(const QString &exePath, const QString &configDir);
    void readSettings();
    // False when the file could not be written.
    bool writeSettings();

    LCNet::Calculator *tunerCalculator() const { return calculator; }
    bool isSearching() const { return searching; }
    // The last report table assembled by Auto Tune or Find Z Antenna.
    const QString &lastReport() const { return matchReport; }

    // Sizes and places the window so that its frame lies inside `available`
    // (a screen's available area), shrinking the minimum size if need be.
    void fitInto(const QRect &available);

    // The Band Sweep window, opened if need be, with the load file at path
    // swept; false when the file was refused (the window says why).
    bool sweepFile(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private slots:
    void on_acnZChart_triggered();
    void on_acnHelp_triggered();
    void refreshZIn();
    void refreshGUI();
    void refreshMatch(LCNet::Calculator::NetType n, double l, double c, LCNet::Impedance zIn,
                      double swr, int iteration);
    void refreshProgress(int currentIteration, int maxIterations, bool &abort);
    void on_acnLCChart_triggered();
    void on_acnAbout_triggered();
    void on_acnSettings_triggered();
    void on_acnCalcZAnt_triggered();
    void on_acnFindZload_triggered();
    void on_acnCalcZLoad_triggered();
    void on_acnCalcLC_triggered();
    void on_acnCalcZIn_triggered();
    void on_acnQuit_triggered();
    void on_pushButton_10_clicked();
    void on_pushButton_9_clicked();
    void on_pushButton_8_clicked();
    void on_pushButton_7_clicked();
    void on_pushButton_6_clicked();
    void on_pushButton_5_clicked();
    void on_pushButton_4_clicked();
    void on_pushButton_3_clicked();
    void on_pushButton_2_clicked();
    void on_pushButton_clicked();
    void on_acnBandSweep_triggered();
    void on_acnTuningLab_triggered();
    // A point chosen in the Band Sweep: the tuner takes its frequency,
    // load, L, C and configuration.
    void applySweepPoint(double frequencyKHz, LCNet::Impedance load, double l, double c,
                         LCNet::Calculator::NetType type);

private:
    SweepDialog *openSweep();
    void setBandFrequency(const char *lowEdge, const char *highEdge);
    template <class Chart> void openChart();
    void runTuneAlgorithm(const QString &heading, const QString &status,
                          int (LCNet::Calculator::*search)());
    void setCommandsEnabled(bool enabled);
    QMargins frameWidths() const;
    void showStatus(const QString &text);
    void appendLog(const QString &html);
    void showNewestLog();
    // Processes pending non-input events, at most every few milliseconds.
    void keepPainting();
    QString askText(const QString &title, const QString &label, const QString &initial);
    // R, X, frequency, L and C, in this order.
    QList<QLineEdit *> inputFields() const;
    double valueInForce(const QLineEdit *edit) const;
    void showValue(QLineEdit *edit, double value);
    void showValueInForce(QLineEdit *edit);
    static QString configurationName(LCNet::Calculator::NetType n);
    // The L and C lists and sliders hold the calculator's steps.
    void fillStepLists();

    Ui::MainWindow *ui;
    QProgressDialog *progressDialog = nullptr;
    LCNet::Calculator *calculator = nullptr;
    QString matchReport;
    bool updating = true;
    // A mismatched-load search is running: nothing else may start.
    bool searching = false;
    // The window was asked to close while the search ran.
    bool closePending = false;
    // Matches of the running Auto Tune search, listed or not.
    int matchCount = 0;
    QElapsedTimer paintClock;
    QSize formMinimumSize;
    // The window frame's widths when the window was last fitted to a screen.
    QMargins fittedFrame;
    QPointer<SweepDialog> sweep;
    // The banks whose steps the L and C lists show.
    LCNet::BankSpec listedInductor;
    LCNet::BankSpec listedCapacitor;
};

#endif // MAINWINDOW_H
