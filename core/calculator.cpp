#include "lcnet.h"

namespace LCNet
{

namespace
{
void registerMetaTypes()
{
    // String-form connections that are queued need the names registered.
    static const bool done = [] {
        qRegisterMetaType<LCNet::Impedance>("LCNet::Impedance");
        qRegisterMetaType<LCNet::Calculator::NetType>("LCNet::Calculator::NetType");
        return true;
    }();
    Q_UNUSED(done);
}
} // namespace

Calculator::Calculator(QObject *parent) : QObject(parent)
{
    registerMetaTypes();
    clear();
}

Calculator::~Calculator() = default;

Calculator *Calculator::clone() const
{
    auto *c = new Calculator;
    c->loadImpedance = loadImpedance;
    c->frequency = frequency;
    c->inductance = inductance;
    c->capacitance = capacitance;
    c->netType = netType;
    c->lowSWR = lowSWR;
    c->mediumSWR = mediumSWR;
    c->highSWR = highSWR;
    c->bruteForce = bruteForce;
    c->smartTune = smartTune;
    c->impedanceStep = impedanceStep;
    c->numberOfRings = numberOfRings;
    c->epsilonSWR = epsilonSWR;
    c->defaultCableLength = defaultCableLength;
    c->velocityFactor = velocityFactor;
    c->components = components;
    c->cable = cable;
    c->settleTime = settleTime;
    c->lSteps = lSteps;
    c->cSteps = cSteps;
    return c;
}

void Calculator::clear()
{
    loadImpedance = Impedance(20.0, 100.0);
    frequency = 14000.0;
    inductance = 12.0;
    capacitance = 2000.0;
    netType = CAntenna;
    lowSWR = 1.2;
    mediumSWR = 1.5;
    highSWR = 3.0;
    bruteForce = true;
    smartTune = true;
    impedanceStep = 0.01;
    numberOfRings = 10000;
    epsilonSWR = 0.1;
    defaultCableLength = 10.0;
    velocityFactor = 0.66;
    components = ComponentSettings();
    cable = CableSpec();
    settleTime = 0.010;
    lSteps = StepTable::defaultInductor();
    cSteps = StepTable::defaultCapacitor();
    emit dataChanged(this);
}

void Calculator::setFrequency(double kHz)
{
    if (kHz != frequency) {
        frequency = kHz;
        emit dataChanged(this);
    }
}

void Calculator::setCapacitance(double pF)
{
    if (pF != capacitance) {
        capacitance = pF;
        emit dataChanged(this);
    }
}

void Calculator::setInductance(double uH)
{
    if (uH != inductance) {
        inductance = uH;
        emit dataChanged(this);
    }
}

void Calculator::setLoadImpedance(const Impedance &z)
{
    if (z != loadImpedance) {
        loadImpedance = z;
        emit dataChanged(this);
    }
}

void Calculator::setNetType(NetType n)
{
    if (static_cast<int>(n) != static_cast<int>(netType)) {
        netType = n;
        emit dataChanged(this);
    }
}

void Calculator::setBanks(const BankSpec &inductor, const BankSpec &capacitor)
{
    if (inductor != lSteps.bank())
        lSteps = inductor == BankSpec::defaultInductor() ? StepTable::defaultInductor()
                                                         : StepTable(inductor);
    if (capacitor != cSteps.bank())
        cSteps = capacitor == BankSpec::defaultCapacitor() ? StepTable::defaultCapacitor()
                                                           : StepTable(capacitor);
}

NetworkParts Calculator::parts() const
{
    return networkParts(1000.0 * frequency, 1e-6 * inductance, 1e-12 * capacitance, components);
}

Impedance Calculator::inputImpedance() const
{
    if (components.lossy())
        return zInOfParts(netType != CAntenna, parts(), loadImpedance);
    return networkInput(netType, 1000.0 * frequency, 1e-6 * inductance, 1e-12 * capacitance,
                        loadImpedance);
}

PowerFigures Calculator::powerFigures() const
{
    return LCNet::powerFigures(netType != CAntenna, parts(), loadImpedance, components);
}

double Calculator::currentSWR() const
{
    return computeSWR(Z0, inputImpedance());
}

void Calculator::calculate(Impedance &zIn, double &swr) const
{
    zIn = inputImpedance();
    swr = computeSWR(Z0, zIn);
}

Impedance Calculator::matchedZLoad() const
{
    const double f = 1000.0 * frequency;
    const double l = 1e-6 * inductance;
    const double c = 1e-12 * capacitance;
    if (components.lossy()) {
        // Looking back through a lossy network is no conjugate match: solve
        // the network for the load that makes the input Z0.
        const NetworkParts p = parts();
        const Impedance coil(p.rl, p.xl);
        const Impedance cap(p.rc, p.xc);
        if (netType != CAntenna)
            return (detail::isOpen(cap) ? Z0 : Z0 * cap / (cap - Z0)) - coil;
        const Impedance across = Z0 - coil;
        return detail::isOpen(cap) ? across : across * cap / (cap - across);
    }
    return netType != CAntenna ? matchedZLoadCTrx(f, l, c) : matchedZLoadCAntenna(f, l, c);
}

Impedance Calculator::antennaImpedance(double cableLength) const
{
    return antennaEndImpedance(1000.0 * frequency, cableLength, velocityFactor, cable,
                               loadImpedance);
}

} // namespace LCNet
