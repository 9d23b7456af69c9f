#pragma once

#include <QString>

struct RunSettings;

// The file of output outputNumber: output folder + separator + the number
// with four digits + "." + output type ("/out/0007.mp4").
QString OutputPath(const RunSettings &settings, int outputNumber);
