// The amateur bands of the window's band buttons, shared by every front end.
#ifndef LCNET_BANDS_H
#define LCNET_BANDS_H

#include <array>

namespace LCNet
{

struct AmateurBand {
    const char *name; // "160m"
    double lowKHz;
    double highKHz;
};

inline constexpr std::array<AmateurBand, 10> AmateurBands{{
    {"160m", 1830.0, 1850.0},
    {"80m", 3500.0, 3800.0},
    {"40m", 7000.0, 7200.0},
    {"30m", 10100.0, 10150.0},
    {"20m", 14000.0, 14350.0},
    {"17m", 18068.0, 18168.0},
    {"15m", 21000.0, 21450.0},
    {"12m", 24890.0, 24990.0},
    {"10m", 28000.0, 29700.0},
    {"6m", 50000.0, 51000.0},
}};

} // namespace LCNet

#endif // LCNET_BANDS_H
