#pragma once

#include <QPoint>
#include <QSize>

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

// A source of the given size at full quadrant width, or at full quadrant
// height when it would be taller than the quadrant. Empty for a source with a
// side of 0 (nothing to fit; the caller skips it). No side ends below 1.
std::optional<QSize> FitIntoQuadrant(QSize source, QSize output);

// The same, then each odd side less one pixel (and no side below 2), as the
// encoder of the cut clips needs.
std::optional<QSize> FitIntoQuadrantEven(QSize source, QSize output);

// Where a fitted size stands centred in its quadrant, relative to the
// quadrant's top left corner.
QPoint CentreInQuadrant(QSize fitted, QSize output);
