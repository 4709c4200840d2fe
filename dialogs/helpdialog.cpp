#include "helpdialog.h"
#include "ui_helpdialog.h"

#include "resources.h"

#include <QEvent>

HelpDialog::HelpDialog(QWidget *parent) : QDialog(parent), ui(new Ui::HelpDialog)
{
    // The form loads its picture from the resources while it is built.
    Vorlap::initResources();
    ui->setupUi(this);
}

HelpDialog::~HelpDialog()
{
    delete ui;
}

void HelpDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}
