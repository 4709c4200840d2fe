#include "sweeptablemodel.h"

#include <QBrush>
#include <QColor>

namespace
{
enum Column {
    Frequency,
    LoadR,
    LoadX,
    LoadSWR,
    Config,
    LStep,
    CStep,
    L,
    C,
    ZInR,
    ZInX,
    SWR,
    Efficiency,
    LossL,
    LossC,
    VCPeak,
    Columns
};

QString number(double v)
{
    return QString::number(v, 'g', 6);
}
} // namespace

void SweepTableModel::setResult(const LCNet::SweepResult &r)
{
    beginResetModel();
    result = r;
    endResetModel();
}

int SweepTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(result.points.size());
}

int SweepTableModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return result.withComponents ? Columns : Efficiency;
}

QVariant SweepTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= result.points.size())
        return {};
    const LCNet::SweepPoint &p = result.points[index.row()];
    if (role == Qt::TextAlignmentRole)
        return index.column() == Config ? int(Qt::AlignCenter)
                                        : int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ForegroundRole && index.column() == SWR && !(p.swr < result.lowSWR))
        return QBrush(QColor(200, 40, 40));
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Frequency:
        return number(p.frequencyKHz);
    case LoadR:
        return number(p.load.R);
    case LoadX:
        return number(p.load.X);
    case LoadSWR:
        return number(p.loadSWR);
    case Config:
        return p.type == LCNet::Calculator::CAntenna ? tr("C-Antenna") : tr("C-TRX");
    case LStep:
        return p.lStep;
    case CStep:
        return p.cStep;
    case L:
        return number(p.l);
    case C:
        return number(p.c);
    case ZInR:
        return number(p.zIn.R);
    case ZInX:
        return number(p.zIn.X);
    case SWR:
        return number(p.swr);
    case Efficiency:
        return number(100.0 * p.power.efficiency);
    case LossL:
        return number(p.power.lossL);
    case LossC:
        return number(p.power.lossC);
    case VCPeak:
        return number(p.power.voltageCPeak);
    }
    return {};
}

QVariant SweepTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    switch (section) {
    case Frequency:
        return tr("f (kHz)");
    case LoadR:
        return tr("Load R");
    case LoadX:
        return tr("Load X");
    case LoadSWR:
        return tr("Load SWR");
    case Config:
        return tr("Config.");
    case LStep:
        return tr("L step");
    case CStep:
        return tr("C step");
    case L:
        return tr("L (uH)");
    case C:
        return tr("C (pF)");
    case ZInR:
        return tr("Zin R");
    case ZInX:
        return tr("Zin X");
    case SWR:
        return tr("SWR");
    case Efficiency:
        return tr("Efficiency (%)");
    case LossL:
        return tr("Loss L (W)");
    case LossC:
        return tr("Loss C (W)");
    case VCPeak:
        return tr("V(C) peak (V)");
    }
    return {};
}
