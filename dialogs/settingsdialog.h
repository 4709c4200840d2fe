#ifndef SETTINGSDIALOG_H
#define SETTINGSDIALOG_H

#include <QDialog>

class QAbstractButton;

namespace Ui
{
class SettingsDialog;
}

// Edits a private copy of the ten tuner settings; the caller copies them
// in and, if the dialog is accepted, back out.
class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SettingsDialog(QWidget *parent = nullptr);
    ~SettingsDialog() override;

    double getLowSWR() const { return lowSWR; }
    double getMediumSWR() const { return mediumSWR; }
    double getHighSWR() const { return highSWR; }
    bool getBruteForce() const { return bruteForce; }
    bool getSmartTune() const { return smartTune; }
    double getImpedanceStep() const { return impedanceStep; }
    int getNumberOfRings() const { return numberOfRings; }
    double getEpsilonSWR() const { return epsilonSWR; }
    double getDefaultCableLength() const { return defaultCableLength; }
    double getVelocityFactor() const { return velocityFactor; }

    void setLowSWR(double value);
    void setMediumSWR(double value);
    void setHighSWR(double value);
    void setBruteForce(bool value);
    void setSmartTune(bool value);
    void setImpedanceStep(double value);
    void setNumberOfRings(int value);
    void setEpsilonSWR(double value);
    void setDefaultCableLength(double value);
    void setVelocityFactor(double value);

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_buttonBox_clicked(QAbstractButton *button);
    void on_btnMatch_pressed();
    void on_btnZLoad_pressed();
    void on_btnZAnt_pressed();

private:
    void updateGUI();
    void updateData();

    Ui::SettingsDialog *ui;

    double lowSWR = 0.0;
    double mediumSWR = 0.0;
    double highSWR = 0.0;
    bool bruteForce = false;
    bool smartTune = false;
    double impedanceStep = 0.0;
    int numberOfRings = 0;
    double epsilonSWR = 0.0;
    double defaultCableLength = 0.0;
    double velocityFactor = 0.0;
};

#endif // SETTINGSDIALOG_H
