#pragma once

#include <QPoint>
#include <QSize>
#include <QSizeF>

#include <optional>

struct RunSettings;

// The geometry of the picture modes: an output of W x H is four quadrants of
// W/2 x H/2 (not rounded), and every source is fitted into one of them
// keeping its proportions.

// The output size of a picture or mixed run. The automatic size (0 x 0) is
// refused by the size rule outside Video+Video in favour of 1920x1080; a run
// that still carries it gets that size instead of empty quadrants.
QSize PictureModeOutputSize(const RunSettings &settings);

// The canvas of one quadrant: W/2 x H/2, each rounded.
QSize QuadrantCanvasSize(QSize output);

// A source of the given size at the full width of a box, or at its full
// height when it would be taller than the box, each side rounded. Empty for
// a source with a side of 0 (nothing to fit; the caller skips it). No side
// ends below 1.
std::optional<QSize> FitInto(QSize source, QSizeF box);

// FitInto one quadrant (W/2 x H/2, not rounded) of the output.
std::optional<QSize> FitIntoQuadrant(QSize source, QSize output);

// The same, then each odd side less one pixel (and no side below 2), as the
// encoder of the cut clips needs.
std::optional<QSize> FitIntoQuadrantEven(QSize source, QSize output);

// Where a fitted size stands centred in quadrant 0 to 3 (top left, top
// right, bottom left, bottom right) of the output, each coordinate rounded.
QPoint QuadrantPosition(int quadrant, QSize fitted, QSize output);

// Where a fitted size stands centred in its quadrant, relative to the
// quadrant's top left corner.
QPoint CentreInQuadrant(QSize fitted, QSize output);
