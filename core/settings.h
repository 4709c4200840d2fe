// The user's settings and their INI form, shared by the window and the
// command-line program.
#ifndef LCNET_SETTINGS_H
#define LCNET_SETTINGS_H

#include "banks.h"
#include "cable.h"
#include "components.h"

class QSettings;

namespace LCNet
{

class Calculator;

// Every persisted setting with its default.
struct Settings {
    // group matching
    double lowSWR = 1.2;
    double mediumSWR = 1.5;
    double highSWR = 3.0;
    bool bruteForce = true;
    bool smartTune = true;
    // group zLoad
    double impedanceStep = 0.01; // ohm
    int numberOfRings = 10000;
    double epsilonSWR = 0.1;
    // group zAntenna
    double defaultCableLength = 10.0; // m
    double velocityFactor = 0.66;
    // group banks
    BankSpec inductorBank = BankSpec::defaultInductor();
    BankSpec capacitorBank = BankSpec::defaultCapacitor();
    // group components
    ComponentSettings components;
    // group cable
    CableSpec cable;
    // group lab: the time a tuner takes to switch its relays and measure
    double settleTime = 0.010; // s
};

// Reads every group of an open INI file. A key that is missing, or whose
// text is no usable value of its type, reads as its default; an unusual
// number (0, negative, huge) is taken as written.
Settings readSettings(QSettings &ini);
// Writes every key; the caller syncs and checks the status.
void writeSettings(QSettings &ini, const Settings &settings);

// The settings held by a calculator, and the other way round (no signal).
Settings settingsOf(const Calculator &calc);
void applySettings(Calculator &calc, const Settings &settings);

} // namespace LCNet

#endif // LCNET_SETTINGS_H
