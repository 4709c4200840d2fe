// Number texts shared by every front end.
#ifndef LCNET_FORMAT_H
#define LCNET_FORMAT_H

#include <QLocale>
#include <QString>

#include <cmath>

namespace LCNet
{

// As few digits as read back as the same double: 20, 14000, 13.257,
// 1234567.891, 1e-05, inf, -inf, nan; a negative zero keeps its sign.
inline QString shortestText(double value)
{
    if (value == 0.0 && std::signbit(value))
        return QStringLiteral("-0");
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace LCNet

#endif // LCNET_FORMAT_H
