#ifndef HELPDIALOG_H
#define HELPDIALOG_H

#include <QDialog>

namespace Ui
{
class HelpDialog;
}

// Shows the reference circuit that the simulator's figures refer to.
class HelpDialog : public QDialog
{
    Q_OBJECT

public:
    explicit HelpDialog(QWidget *parent = nullptr);
    ~HelpDialog() override;

protected:
    void changeEvent(QEvent *event) override;

private:
    Ui::HelpDialog *ui;
};

#endif // HELPDIALOG_H
