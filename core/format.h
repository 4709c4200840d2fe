// Number texts shared by every front end.
#ifndef LCNET_FORMAT_H
#define LCNET_FORMAT_H

#include <QLocale>
#include <QString>

namespace LCNet
{

// As few digits as read back as the same double: 20, 14000, 13.257,
// 1234567.891, 1e-05, inf, nan.
inline QString shortestText(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace LCNet

#endif // LCNET_FORMAT_H
