#pragma once

#include <QString>
#include <QStringList>

struct RunSettings;

// The file of output outputNumber (1 for the run's first output): output
// folder + separator + its name number (settings.firstOutputNumber for the
// first) with at least four digits + "." + output type ("/out/0007.mp4").
QString OutputPath(const RunSettings &settings, int outputNumber);

// The names of the run's outputs (settings.outputCount of them) that are in
// the output folder already, in output order.
QStringList ExistingOutputNames(const RunSettings &settings);

// The highest name number of an output file in the folder, whatever its
// type ("0012.avi" gives 12); 0 when there is none.
int HighestOutputNumber(const QString &folder);
