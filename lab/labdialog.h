// "Tuning Lab": runs the match searches over a corpus of loads and shows
// how many relay readings each one needs and how often it finds a match.
#ifndef LABDIALOG_H
#define LABDIALOG_H

#include <QDialog>

#include <memory>

class QButtonGroup;
class QCheckBox;
class QThread;
class QTimer;
namespace LCNet
{
class Calculator;
struct LabResult;
} // namespace LCNet
namespace Ui
{
class LabDialog;
}

class LabDialog : public QDialog
{
    Q_OBJECT

public:
    // Works on a copy of the calculator: its banks, parts, Low SWR and
    // frequency.
    explicit LabDialog(LCNet::Calculator *calculator, QWidget *parent = nullptr);
    ~LabDialog() override;

    // The time per reading for the tuning-time figures, s.
    void setSettleTime(double seconds);
    bool isRunning() const { return thread != nullptr; }
    // The last run that was not cancelled, or nullptr.
    const LCNet::LabResult *result() const { return last.get(); }
    // Writes the per-load CSV of the last run and says so in the dialog.
    bool exportCsv(const QString &path);

public slots:
    void on_btnRun_clicked();
    void on_btnCancel_clicked();
    void on_btnNewSeed_clicked();
    void on_btnBrowse_clicked();
    void on_btnExport_clicked();
    // Closing stops a run; the dialog can be deleted at any time.
    void done(int r) override;

signals:
    void runEnded(bool complete);

private:
    struct Job;
    bool prepare(Job &job);
    void finishRun();
    void showResult();
    void showFigures();
    void setStatus(const QString &text, bool error = false);
    void updateEnabled();
    QString describeLoad(int load) const;

    Ui::LabDialog *ui;
    LCNet::Calculator *calculator;
    QButtonGroup *source;
    QButtonGroup *frequencies;
    QList<QCheckBox *> algorithmBoxes;
    std::shared_ptr<Job> job;
    QThread *thread = nullptr;
    QTimer *progress;
    std::unique_ptr<LCNet::LabResult> last;
    QString lastCorpus;
};

#endif
