// Calculation core of the simulated L-network tuner, for the window and the
// command-line program alike: the one header to include.
#ifndef LCNET_H
#define LCNET_H

#include "bands.h"
#include "banks.h"
#include "cable.h"
#include "calculator.h"
#include "components.h"
#include "format.h"
#include "impedance.h"
#include "lab.h"
#include "loadfile.h"
#include "network.h"
#include "search.h"
#include "session.h"
#include "settings.h"
#include "sweep.h"

#endif // LCNET_H
