#include "settingsdialog.h"
#include "ui_settingsdialog.h"

#include "format.h"

#include <QAbstractButton>
#include <QEvent>
#include <climits>
#include <cmath>

namespace
{

// The ring count is typed like any other number and truncated towards zero.
// Converting a double outside the int range is undefined, so "1e300" or
// "inf" are clamped first; NaN gives 0.
int ringsFromText(const QString &text)
{
    const double value = text.toDouble();
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

} // namespace

SettingsDialog::SettingsDialog(QWidget *parent) : QDialog(parent), ui(new Ui::SettingsDialog)
{
    ui->setupUi(this);
    ui->swSettings->setCurrentIndex(0);
    updateGUI();
    ui->btnMatch->setFocus();
}

SettingsDialog::~SettingsDialog()
{
    delete ui;
}

void SettingsDialog::setLowSWR(double value)
{
    lowSWR = value;
    updateGUI();
}

void SettingsDialog::setMediumSWR(double value)
{
    mediumSWR = value;
    updateGUI();
}

void SettingsDialog::setHighSWR(double value)
{
    highSWR = value;
    updateGUI();
}

void SettingsDialog::setBruteForce(bool value)
{
    bruteForce = value;
    updateGUI();
}

void SettingsDialog::setSmartTune(bool value)
{
    smartTune = value;
    updateGUI();
}

void SettingsDialog::setImpedanceStep(double value)
{
    impedanceStep = value;
    updateGUI();
}

void SettingsDialog::setNumberOfRings(int value)
{
    numberOfRings = value;
    updateGUI();
}

void SettingsDialog::setEpsilonSWR(double value)
{
    epsilonSWR = value;
    updateGUI();
}

void SettingsDialog::setDefaultCableLength(double value)
{
    defaultCableLength = value;
    updateGUI();
}

void SettingsDialog::setVelocityFactor(double value)
{
    velocityFactor = value;
    updateGUI();
}

// Every value reads back as the same double, so that OK without an edit
// changes nothing.
void SettingsDialog::updateGUI()
{
    ui->edtLowSWR->setText(LCNet::shortestText(lowSWR));
    ui->edtMediumSWR->setText(LCNet::shortestText(mediumSWR));
    ui->edtHighSWR->setText(LCNet::shortestText(highSWR));
    ui->chkBruteForce->setChecked(bruteForce);
    ui->chkSmartTune->setChecked(smartTune);
    ui->edtImpStep->setText(LCNet::shortestText(impedanceStep));
    ui->edtRings->setText(QString::number(numberOfRings));
    ui->edtEpsSWR->setText(LCNet::shortestText(epsilonSWR));
    ui->edtCable->setText(LCNet::shortestText(defaultCableLength));
    ui->edtVelF->setText(LCNet::shortestText(velocityFactor));
}

void SettingsDialog::updateData()
{
    lowSWR = ui->edtLowSWR->text().toDouble();
    mediumSWR = ui->edtMediumSWR->text().toDouble();
    highSWR = ui->edtHighSWR->text().toDouble();
    bruteForce = ui->chkBruteForce->isChecked();
    smartTune = ui->chkSmartTune->isChecked();
    impedanceStep = ui->edtImpStep->text().toDouble();
    numberOfRings = ringsFromText(ui->edtRings->text());
    epsilonSWR = ui->edtEpsSWR->text().toDouble();
    defaultCableLength = ui->edtCable->text().toDouble();
    velocityFactor = ui->edtVelF->text().toDouble();
}

void SettingsDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}

// Runs for OK and Cancel alike, before accept or reject: the caller only
// reads the values of an accepted dialog.
void SettingsDialog::on_buttonBox_clicked(QAbstractButton *button)
{
    Q_UNUSED(button);
    updateData();
}

void SettingsDialog::on_btnMatch_pressed()
{
    ui->swSettings->setCurrentIndex(0);
}

void SettingsDialog::on_btnZLoad_pressed()
{
    ui->swSettings->setCurrentIndex(1);
}

void SettingsDialog::on_btnZAnt_pressed()
{
    ui->swSettings->setCurrentIndex(2);
}
