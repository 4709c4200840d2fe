#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "lcnet.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QString>

class QLabel;
#include <memory>

class QLineEdit;
class QPrinter;
class QTextDocument;
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

    // Sessions and the report, as the File menu runs them once a file is
    // chosen. Each says in the status bar what it did, with the file name.
    // A file that is no session of this or an older version is refused in
    // a message box, and nothing changes.
    bool openSession(const QString &path);
    // A failed save leaves the previous file as it was.
    bool saveSession(const QString &path);
    // The Results pane as PDF when the name ends in .pdf, else as HTML.
    bool exportReport(const QString &path);
    // The Results pane on the printer; printing to a PDF file replaces the
    // file only once the whole report is written.
    bool printReport(QPrinter *printer);

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
    void on_acnOpenSession_triggered();
    void on_acnSaveSession_triggered();
    void on_acnExportReport_triggered();
    void on_acnPrint_triggered();

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
    // A file chosen in a file dialog of the session folder, or none.
    QString askFileName(bool save, const QString &title, const QString &suggested,
                        const QStringList &filters, const QStringList &suffixes);
    // The report, without the pane's own layout, to write or print.
    std::unique_ptr<QTextDocument> reportDocument() const;
    // A session by its name, or by its first bytes whatever its name.
    static bool looksLikeSession(const QString &path);

    // The L and C lists and sliders: one entry and position per step of
    // the calculator's banks, standing at the value in force. Every filling
    // of the lists goes through here.
    void fillStepLists();
    // The real components' figures under the results, shown only while
    // losses are on.
    void setUpLossFigures();
    void showLossFigures();
    // The Auto Tune report's cells of one match with losses on.
    QString lossCells(LCNet::Calculator::NetType n, double l, double c) const;

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
    struct LossFigures {
        QLabel *efficiency = nullptr;
        QLabel *loss = nullptr; // watts in L and in C
        QLabel *currentL = nullptr;
        QLabel *voltageC = nullptr;
        QList<QWidget *> widgets; // with the captions, shown or hidden together
    } lossFigures;
    // The banks whose steps the L and C lists show, so that they are filled
    // again only when the banks change.
    LCNet::BankSpec listedInductor;
    LCNet::BankSpec listedCapacitor;
    // The session last opened or saved, and the folder of the file dialogs.
    QString sessionPath;
    QString fileFolder;
    // Kept for the run, so that the print dialog remembers the choices.
    std::unique_ptr<QPrinter> printer;
};

#endif // MAINWINDOW_H
