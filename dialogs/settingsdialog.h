#ifndef SETTINGSDIALOG_H
#define SETTINGSDIALOG_H

#include "banks.h"
#include "cable.h"
#include "components.h"

#include <QDialog>
#include <QVector>

#include <array>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace Ui
{
class SettingsDialog;
}

// Edits a private copy of the tuner settings; the caller copies them in
// and, if the dialog is accepted, back out. OK refuses an entry of the
// Components or Banks page that is no usable value, naming the field, and
// the dialog stays open until every entry is valid.
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

    LCNet::ComponentSettings getComponents() const { return components; }
    LCNet::CableSpec getCable() const { return cable; }
    LCNet::BankSpec getInductorBank() const { return inductorBank; }
    LCNet::BankSpec getCapacitorBank() const { return capacitorBank; }

    void setComponents(const LCNet::ComponentSettings &value);
    void setCable(const LCNet::CableSpec &value);
    // Both banks valid.
    void setBanks(const LCNet::BankSpec &inductor, const LCNet::BankSpec &capacitor);

    // The bank designs the Banks page offers, the default first.
    struct BankPreset {
        QString name;
        LCNet::BankSpec inductor;
        LCNet::BankSpec capacitor;
    };
    static QVector<BankPreset> bankPresets();

public slots:
    void accept() override;

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_buttonBox_clicked(QAbstractButton *button);
    void on_btnMatch_pressed();
    void on_btnZLoad_pressed();
    void on_btnZAnt_pressed();
    void on_btnComponents_pressed();
    void on_btnBanks_pressed();

private:
    // The widgets of one bank on the Banks page.
    struct BankFields {
        const char *name = nullptr; // "Inductor bank", translated when shown
        const char *unit = nullptr;
        QSpinBox *relays = nullptr;
        QLineEdit *minimum = nullptr;
        std::array<QLineEdit *, LCNet::MaxRelays> values{};
        QLabel *summary = nullptr;
    };

    void updateGUI();
    void updateData();

    void setUpBankFields(BankFields &fields, const char *prefix, QWidget *group);
    void showBank(BankFields &fields, const LCNet::BankSpec &bank);
    static void enableRelayFields(const BankFields &fields);
    void showBankSummary(const BankFields &fields);
    void showBankPreset();
    void applyBankPreset(int index);
    void applyCablePreset(int index);
    void cableFiguresEdited();
    void showPage(int index);
    // Each reads its page's fields, or shows why a field is refused and
    // returns false.
    bool readComponents(LCNet::ComponentSettings *out);
    bool readCable(LCNet::CableSpec *out);
    bool readBank(const BankFields &fields, LCNet::BankSpec *out);
    // The bank the fields hold; if none, the field at fault and why.
    static bool parseBank(const BankFields &fields, LCNet::BankSpec *out, QLineEdit **bad = nullptr,
                          QString *why = nullptr);
    bool refuse(QLineEdit *field, int page, const QString &why);

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
    LCNet::ComponentSettings components;
    LCNet::CableSpec cable;
    LCNet::BankSpec inductorBank = LCNet::BankSpec::defaultInductor();
    LCNet::BankSpec capacitorBank = LCNet::BankSpec::defaultCapacitor();
    BankFields lFields;
    BankFields cFields;
};

#endif // SETTINGSDIALOG_H
