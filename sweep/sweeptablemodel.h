// The band sweep's points as a read-only table, one row per point.
#ifndef SWEEPTABLEMODEL_H
#define SWEEPTABLEMODEL_H

#include "lcnet.h"

#include <QAbstractTableModel>

class SweepTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setResult(const LCNet::SweepResult &result);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    LCNet::SweepResult result;
};

#endif
