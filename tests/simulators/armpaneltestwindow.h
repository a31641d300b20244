#pragma once

#include "armpanel.h"
#include "vbunits.h"

#include <QWidget>

// A bare window hosting one arm panel at the serial simulator's places.
inline ArmPanelLayout testArmLayout()
{
    using VbUnits::rect;
    return ArmPanelLayout{
        rect(6480, 480, 870, 195), rect(600, 480, 975, 195), rect(600, 840, 4215, 2895),
        rect(6360, 840, 4215, 2895), rect(360, 840, 255, 255), rect(4560, 3720, 255, 255),
        rect(6120, 840, 255, 255), rect(10320, 3720, 255, 255), rect(2160, 4440, 1185, 195),
        rect(4800, 4440, 1185, 195), rect(7440, 4440, 1185, 195), rect(2040, 5040, 1455, 495),
        rect(4680, 5040, 1455, 495), rect(7320, 5040, 1455, 495), rect(1440, 6360, 1215, 495),
        rect(3675, 6360, 1215, 495), rect(5925, 6360, 1215, 495), rect(8160, 6360, 1215, 495)};
}
