#pragma once

#include <QString>

// The filter that lays four clips of one size out two by two on a canvas of
// twice their width and height, the clips being inputs firstInput to
// firstInput + 3: top left, top right, bottom left, bottom right.
QString DoubledFourUpFilter(int firstInput);
