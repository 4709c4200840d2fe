#include "settingsdialog.h"
#include "ui_settingsdialog.h"

#include "format.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include <algorithm>
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

enum Page { MatchingPage, ZLoadPage, ZAntennaPage, ComponentsPage, BanksPage };

// A typed number; a value beyond the double range is infinite, as typed.
// NaN is no number.
bool numberIn(const QString &text, double *value)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!(ok || std::isinf(v)) || std::isnan(v))
        return false;
    *value = v;
    return true;
}

// A field's name in a message: its label without the mnemonic.
QString fieldName(const QLabel *label)
{
    return label->text().remove(QLatin1Char('&'));
}

} // namespace

SettingsDialog::SettingsDialog(QWidget *parent) : QDialog(parent), ui(new Ui::SettingsDialog)
{
    ui->setupUi(this);
    ui->swSettings->setCurrentIndex(0);

    for (const LCNet::CablePreset &p : LCNet::cablePresets())
        ui->cmbCable->addItem(QCoreApplication::translate("LCNet::Cable", p.name),
                              QString::fromLatin1(p.key));
    ui->cmbCable->addItem(tr("Custom"), QStringLiteral("custom"));
    connect(ui->cmbCable, &QComboBox::activated, this, &SettingsDialog::applyCablePreset);
    for (QLineEdit *edit : {ui->edtCableZ, ui->edtCableLoss})
        connect(edit, &QLineEdit::textEdited, this, &SettingsDialog::cableFiguresEdited);
    // One velocity factor, shown on both pages.
    connect(ui->edtVelF, &QLineEdit::textEdited, ui->edtCableVelF, &QLineEdit::setText);
    connect(ui->edtCableVelF, &QLineEdit::textEdited, ui->edtVelF, &QLineEdit::setText);

    lFields.name = QT_TR_NOOP("Inductor bank");
    lFields.unit = QT_TR_NOOP("µH");
    cFields.name = QT_TR_NOOP("Capacitor bank");
    cFields.unit = QT_TR_NOOP("pF");
    setUpBankFields(lFields, "L", ui->grpInductorBank);
    setUpBankFields(cFields, "C", ui->grpCapacitorBank);
    for (const BankPreset &preset : bankPresets())
        ui->cmbBankPreset->addItem(preset.name);
    ui->cmbBankPreset->addItem(tr("Custom"));
    connect(ui->cmbBankPreset, &QComboBox::activated, this, &SettingsDialog::applyBankPreset);
    connect(ui->btnBankDefaults, &QPushButton::clicked, this, [this] { applyBankPreset(0); });

    updateGUI();
    // The Components and Banks pages need more room than the form's
    // minimum size; a layout does not grow a widget past an explicit one.
    setMinimumSize(minimumSize().expandedTo(minimumSizeHint()));
    resize(size().expandedTo(minimumSize()));
    ui->btnMatch->setFocus();
}

// The relay fields are made here, twelve per bank in rows of four, and put
// into the tab order after the minimum, as they are laid out.
void SettingsDialog::setUpBankFields(BankFields &fields, const char *prefix, QWidget *group)
{
    const QString p = QLatin1String(prefix);
    fields.relays = group->findChild<QSpinBox *>(QStringLiteral("spn%1Relays").arg(p));
    fields.minimum = group->findChild<QLineEdit *>(QStringLiteral("edt%1Min").arg(p));
    fields.summary = group->findChild<QLabel *>(QStringLiteral("lbl%1Summary").arg(p));
    auto *grid = group->findChild<QGridLayout *>();
    // Room for "1000.25" or "0.000001" inside the field's frame.
    const int width = fontMetrics().horizontalAdvance(QStringLiteral("0000.0000"));
    QWidget *previous = fields.minimum;
    for (int k = 0; k < LCNet::MaxRelays; ++k) {
        auto *label = new QLabel(QString::number(k + 1), group);
        label->setObjectName(QStringLiteral("lbl%1%2").arg(p).arg(k + 1));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto *edit = new QLineEdit(group);
        edit->setObjectName(QStringLiteral("edt%1%2").arg(p).arg(k + 1));
        edit->setFixedWidth(width);
        edit->setToolTip(tr("Relay %1, %2").arg(k + 1).arg(tr(fields.unit)));
        label->setBuddy(edit);
        grid->addWidget(label, k / 4, 2 * (k % 4));
        grid->addWidget(edit, k / 4, 2 * (k % 4) + 1);
        fields.values[size_t(k)] = edit;
        setTabOrder(previous, edit);
        previous = edit;
        connect(edit, &QLineEdit::textChanged, this, [this, &fields] {
            showBankSummary(fields);
            showBankPreset();
        });
    }
    connect(fields.minimum, &QLineEdit::textChanged, this, [this, &fields] {
        showBankSummary(fields);
        showBankPreset();
    });
    connect(fields.relays, &QSpinBox::valueChanged, this, [this, &fields] {
        enableRelayFields(fields);
        showBankSummary(fields);
        showBankPreset();
    });
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

void SettingsDialog::setComponents(const LCNet::ComponentSettings &value)
{
    components = value;
    updateGUI();
}

void SettingsDialog::setCable(const LCNet::CableSpec &value)
{
    cable = value;
    updateGUI();
}

void SettingsDialog::setBanks(const LCNet::BankSpec &inductor, const LCNet::BankSpec &capacitor)
{
    inductorBank = inductor;
    capacitorBank = capacitor;
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
    ui->edtCableVelF->setText(ui->edtVelF->text());

    ui->chkLosses->setChecked(components.enabled);
    ui->edtQL->setText(LCNet::shortestText(components.qL));
    ui->edtQC->setText(LCNet::shortestText(components.qC));
    ui->edtPower->setText(LCNet::shortestText(components.power));
    ui->edtVoltageRating->setText(LCNet::shortestText(components.voltageRating));
    ui->edtCurrentRating->setText(LCNet::shortestText(components.currentRating));

    // The stored type is shown even where its figures differ from the
    // preset's, so that OK without an edit keeps it.
    const int type = ui->cmbCable->findData(cable.type);
    ui->cmbCable->setCurrentIndex(type >= 0 ? type : ui->cmbCable->count() - 1);
    ui->edtCableZ->setText(LCNet::shortestText(cable.impedance));
    ui->edtCableLoss->setText(LCNet::shortestText(cable.loss));

    showBank(lFields, inductorBank);
    showBank(cFields, capacitorBank);
}

// Relays past the count keep their text, in case the count goes up again.
void SettingsDialog::enableRelayFields(const BankFields &fields)
{
    for (int k = 0; k < LCNet::MaxRelays; ++k)
        fields.values[size_t(k)]->setEnabled(k < fields.relays->value());
}

void SettingsDialog::showBank(BankFields &fields, const LCNet::BankSpec &bank)
{
    fields.relays->setValue(bank.relays);
    enableRelayFields(fields);
    fields.minimum->setText(LCNet::millionthsText(bank.minimum));
    for (int k = 0; k < LCNet::MaxRelays; ++k)
        fields.values[size_t(k)]->setText(
            k < bank.relays ? LCNet::millionthsText(bank.values[size_t(k)]) : QString());
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

void SettingsDialog::on_btnComponents_pressed()
{
    ui->swSettings->setCurrentIndex(ComponentsPage);
}

void SettingsDialog::on_btnBanks_pressed()
{
    ui->swSettings->setCurrentIndex(BanksPage);
}

void SettingsDialog::showPage(int index)
{
    QToolButton *const buttons[] = {ui->btnMatch, ui->btnZLoad, ui->btnZAnt, ui->btnComponents,
                                    ui->btnBanks};
    buttons[index]->setChecked(true);
    ui->swSettings->setCurrentIndex(index);
}

// --- Components and cable ---------------------------------------------------

void SettingsDialog::applyCablePreset(int index)
{
    const QString key = ui->cmbCable->itemData(index).toString();
    const LCNet::CablePreset *preset = LCNet::findCablePreset(key);
    if (!preset)
        return; // "Custom" keeps the figures shown
    ui->edtCableZ->setText(LCNet::shortestText(preset->impedance));
    ui->edtCableLoss->setText(LCNet::shortestText(preset->loss));
    ui->edtVelF->setText(LCNet::shortestText(preset->velocityFactor));
    ui->edtCableVelF->setText(ui->edtVelF->text());
}

// A preset's figures edited by hand are a custom line.
void SettingsDialog::cableFiguresEdited()
{
    const LCNet::CablePreset *preset =
        LCNet::findCablePreset(ui->cmbCable->currentData().toString());
    double z = 0.0, loss = 0.0;
    if (preset && numberIn(ui->edtCableZ->text(), &z) &&
        numberIn(ui->edtCableLoss->text(), &loss) && z == preset->impedance && loss == preset->loss)
        return;
    if (preset)
        ui->cmbCable->setCurrentIndex(ui->cmbCable->count() - 1);
}

bool SettingsDialog::refuse(QLineEdit *field, int page, const QString &why)
{
    showPage(page);
    QMessageBox::warning(this, windowTitle(), why);
    field->setFocus();
    field->selectAll();
    return false;
}

bool SettingsDialog::readComponents(LCNet::ComponentSettings *out)
{
    LCNet::ComponentSettings c;
    c.enabled = ui->chkLosses->isChecked();
    // A Q is positive; empty or infinite is a lossless part.
    const struct {
        QLineEdit *edit;
        const QLabel *label;
        double *value;
    } qs[] = {{ui->edtQL, ui->lblQL, &c.qL}, {ui->edtQC, ui->lblQC, &c.qC}};
    for (const auto &q : qs) {
        if (q.edit->text().trimmed().isEmpty()) {
            *q.value = LCNet::Infinity;
            continue;
        }
        if (!numberIn(q.edit->text(), q.value) || !(*q.value > 0.0))
            return refuse(q.edit, ComponentsPage,
                          tr("%1: \"%2\" is no positive number. Leave it empty or write inf "
                             "for a lossless part.")
                              .arg(fieldName(q.label), q.edit->text()));
    }
    if (!numberIn(ui->edtPower->text(), &c.power) || !(c.power > 0.0) || std::isinf(c.power))
        return refuse(ui->edtPower, ComponentsPage,
                      tr("%1: \"%2\" is no positive number of watts.")
                          .arg(fieldName(ui->lblPower), ui->edtPower->text()));
    // A rating may be infinite: no limit.
    const struct {
        QLineEdit *edit;
        const QLabel *label;
        double *value;
    } ratings[] = {{ui->edtVoltageRating, ui->lblVoltageRating, &c.voltageRating},
                   {ui->edtCurrentRating, ui->lblCurrentRating, &c.currentRating}};
    for (const auto &r : ratings)
        if (!numberIn(r.edit->text(), r.value) || !(*r.value > 0.0))
            return refuse(
                r.edit, ComponentsPage,
                tr("%1: \"%2\" is no positive number.").arg(fieldName(r.label), r.edit->text()));
    *out = c;
    return true;
}

bool SettingsDialog::readCable(LCNet::CableSpec *out)
{
    LCNet::CableSpec c;
    c.type = ui->cmbCable->currentData().toString();
    if (!numberIn(ui->edtCableZ->text(), &c.impedance) || !(c.impedance > 0.0) ||
        std::isinf(c.impedance))
        return refuse(ui->edtCableZ, ComponentsPage,
                      tr("Cable impedance: \"%1\" is no positive number of ohms.")
                          .arg(ui->edtCableZ->text()));
    if (!numberIn(ui->edtCableLoss->text(), &c.loss) || !(c.loss >= 0.0) || std::isinf(c.loss))
        return refuse(
            ui->edtCableLoss, ComponentsPage,
            tr("Cable loss: \"%1\" is no number of 0 dB or more.").arg(ui->edtCableLoss->text()));
    *out = c;
    return true;
}

// --- Banks ---------------------------------------------------------------------

QVector<SettingsDialog::BankPreset> SettingsDialog::bankPresets()
{
    // Binary weights from a smallest relay, as home-built banks have them.
    const struct {
        const char *name;
        const char *inductor;
        const char *capacitor;
    } designs[] = {
        {QT_TR_NOOP("7 + 7 relays, binary from 0.05 µH / 10 pF"),
         "7: 0; 0.05, 0.1, 0.2, 0.4, 0.8, 1.6, 3.2", "7: 0; 10, 20, 40, 80, 160, 320, 640"},
        {QT_TR_NOOP("8 + 8 relays, binary from 0.1 µH / 10 pF, 0.05 µH and 20 pF always in"),
         "8: 0.05; 0.1, 0.2, 0.4, 0.8, 1.6, 3.2, 6.4, 12.8",
         "8: 20; 10, 20, 40, 80, 160, 320, 640, 1280"},
        {QT_TR_NOOP("9 + 9 relays, binary from 0.05 µH / 10 pF"),
         "9: 0; 0.05, 0.1, 0.2, 0.4, 0.8, 1.6, 3.2, 6.4, 12.8",
         "9: 0; 10, 20, 40, 80, 160, 320, 640, 1280, 2560"},
        {QT_TR_NOOP("10 + 10 relays, binary from 0.025 µH / 5 pF"),
         "10: 0; 0.025, 0.05, 0.1, 0.2, 0.4, 0.8, 1.6, 3.2, 6.4, 12.8",
         "10: 0; 5, 10, 20, 40, 80, 160, 320, 640, 1280, 2560"},
    };
    QVector<BankPreset> presets = {{tr("8 + 8 relays (default)"),
                                    LCNet::BankSpec::defaultInductor(),
                                    LCNet::BankSpec::defaultCapacitor()}};
    for (const auto &d : designs) {
        BankPreset p;
        p.name = tr(d.name);
        LCNet::BankSpec::fromText(QLatin1String(d.inductor), &p.inductor);
        LCNet::BankSpec::fromText(QLatin1String(d.capacitor), &p.capacitor);
        presets << p;
    }
    return presets;
}

void SettingsDialog::applyBankPreset(int index)
{
    const QVector<BankPreset> presets = bankPresets();
    if (index < 0 || index >= presets.size())
        return; // "Custom" keeps the banks shown
    showBank(lFields, presets[index].inductor);
    showBank(cFields, presets[index].capacitor);
}

// The preset whose banks the fields hold, or "Custom".
void SettingsDialog::showBankPreset()
{
    LCNet::BankSpec l, c;
    int index = ui->cmbBankPreset->count() - 1;
    if (parseBank(lFields, &l) && parseBank(cFields, &c)) {
        const QVector<BankPreset> presets = bankPresets();
        for (int i = 0; i < presets.size(); ++i)
            if (presets[i].inductor == l && presets[i].capacitor == c)
                index = i;
    }
    ui->cmbBankPreset->setCurrentIndex(index);
}

bool SettingsDialog::parseBank(const BankFields &fields, LCNet::BankSpec *out, QLineEdit **bad,
                               QString *why)
{
    auto fail = [&](QLineEdit *field, const QString &reason) {
        if (bad)
            *bad = field;
        if (why)
            *why = reason;
        return false;
    };
    LCNet::BankSpec b;
    b.relays = fields.relays->value();
    QString reason;
    if (!LCNet::parseMillionths(fields.minimum->text(), &b.minimum, &reason))
        return fail(fields.minimum, tr("minimum: %1").arg(reason));
    for (int k = 0; k < b.relays; ++k) {
        QLineEdit *edit = fields.values[size_t(k)];
        if (!LCNet::parseMillionths(edit->text(), &b.values[size_t(k)], &reason))
            return fail(edit, tr("relay %1: %2").arg(k + 1).arg(reason));
    }
    if (!b.isValid(&reason))
        return fail(fields.minimum, reason);
    *out = b;
    return true;
}

bool SettingsDialog::readBank(const BankFields &fields, LCNet::BankSpec *out)
{
    QLineEdit *bad = nullptr;
    QString why;
    return parseBank(fields, out, &bad, &why) ||
           refuse(bad, BanksPage, tr("%1, %2.").arg(tr(fields.name), why));
}

// "256 steps, 0 to 24.86 µH, steps of 0.08 to 0.7 µH": going from step i
// to i + 1 closes relay k (the lowest open one) and opens every relay
// below it, so the differences between neighbours are the relay values
// less the sums of the relays below them.
void SettingsDialog::showBankSummary(const BankFields &fields)
{
    LCNet::BankSpec b;
    QString why;
    if (!parseBank(fields, &b, nullptr, &why)) {
        fields.summary->setText(why.left(1).toUpper() + why.mid(1));
        return;
    }
    LCNet::Millionths below = 0, smallest = 0, largest = 0;
    bool rising = true;
    for (int k = 0; k < b.relays; ++k) {
        const LCNet::Millionths value = b.values[size_t(k)];
        const LCNet::Millionths step = value >= below ? value - below : below - value;
        rising = rising && value > below;
        smallest = k == 0 ? step : std::min(smallest, step);
        largest = std::max(largest, step);
        below += value;
    }
    const QString unit = tr(fields.unit);
    const QString range =
        tr("%1 steps, %2 to %3 %4")
            .arg(b.steps())
            .arg(LCNet::millionthsText(b.minimum), LCNet::millionthsText(b.minimum + below), unit);
    QString text =
        smallest == largest
            ? tr("%1, even steps of %2 %3").arg(range, LCNet::millionthsText(smallest), unit)
            : tr("%1, steps of %2 to %3 %4")
                  .arg(range, LCNet::millionthsText(smallest), LCNet::millionthsText(largest),
                       unit);
    if (!rising)
        text += tr(", not rising");
    fields.summary->setText(text);
}

// Nothing is stored unless every page reads.
void SettingsDialog::accept()
{
    LCNet::ComponentSettings readComponentsValue;
    LCNet::CableSpec readCableValue;
    LCNet::BankSpec l, c;
    if (!readComponents(&readComponentsValue) || !readCable(&readCableValue) ||
        !readBank(lFields, &l) || !readBank(cFields, &c))
        return;
    components = readComponentsValue;
    cable = readCableValue;
    inductorBank = l;
    capacitorBank = c;
    QDialog::accept();
}
