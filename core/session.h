// A session: the operating point and every setting in one readable JSON
// file, to keep and share work.
#ifndef LCNET_SESSION_H
#define LCNET_SESSION_H

#include "calculator.h"
#include "settings.h"

#include <QByteArray>
#include <QString>

namespace LCNet
{

struct Session {
    static constexpr int FormatVersion = 1;

    Impedance load{20.0, 100.0};
    double frequency = 14000.0;  // kHz
    double inductance = 12.0;    // µH
    double capacitance = 2000.0; // pF
    Calculator::NetType netType = Calculator::CAntenna;
    Settings settings;
};

Session sessionOf(const Calculator &calc);
// Settings first, then the operating point through the setters, so that
// observers see the new state.
void applySession(Calculator &calc, const Session &session);

QByteArray sessionToJson(const Session &session);
// False, with "file:line: reason" in `error`, for anything that is not a
// complete session of this or an older format version.
bool sessionFromJson(const QByteArray &json, const QString &fileName, Session *session,
                     QString *error);

// Written to a temporary file and renamed, so that a failed save leaves the
// previous file whole.
bool writeSessionFile(const QString &path, const Session &session, QString *error);
bool readSessionFile(const QString &path, Session *session, QString *error);

} // namespace LCNet

#endif // LCNET_SESSION_H
