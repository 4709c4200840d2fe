// Reading a load measured or modelled over frequency: Touchstone one-port
// files and CSV tables with a header row.
#ifndef LCNET_LOADFILE_H
#define LCNET_LOADFILE_H

#include "lcnet.h"

#include <QByteArray>
#include <QString>
#include <QVector>

namespace LCNet
{

// One frequency point of a load file, in the calculator's units.
struct LoadPoint {
    double frequencyKHz = 0.0;
    Impedance z;
};

// Where and why a load file was refused.
struct LoadFileError {
    QString file;
    int line = 0; // 1-based; 0 when the file as a whole is at fault
    QString message;

    // "file:line: message", or "file: message" without a line.
    QString text() const;
};

// The frequencies a load file may hold, both ends included.
inline constexpr double MinLoadFrequencyKHz = 1.0;
inline constexpr double MaxLoadFrequencyKHz = 1e6;

// Reads a Touchstone one-port file (version 1 or 2) or a CSV file; the
// content decides which, not the file name. On success *points holds every
// point in file order, frequencies strictly increasing. On failure *points
// is empty and *error says where and why. Either pointer may be null.
bool readLoadFile(const QString &path, QVector<LoadPoint> *points, LoadFileError *error);

// The same for a file already in memory; fileName only labels the error.
bool parseLoadData(const QByteArray &data, const QString &fileName, QVector<LoadPoint> *points,
                   LoadFileError *error);

// The accepted formats in a few lines of plain text, for help and manual.
QString loadFileFormats();

} // namespace LCNet

#endif // LCNET_LOADFILE_H
