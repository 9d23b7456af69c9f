#pragma once

#include "app/compose/ChosenSource.h"
#include "app/library/MediaProber.h"
#include "app/run/RunSettings.h"

#include <QSize>
#include <QString>

#include <optional>

// Where four drawn videos go in a two-by-two picture: their order, the canvas
// they need and the place of each.
class FourUpLayout {
public:
    // Where clips 1 to 3 go on the canvas (clip 0 is always at the top left).
    enum class Placement { Corners, EdgeToEdge };
    struct Positions {
        int x1 = 0;  // clip 1 at (x1, 0)
        int y2 = 0;  // clip 2 at (0, y2)
        int x3 = 0;  // clip 3 at (x3, y3)
        int y3 = 0;
    };

    // Orders the four by width with the fixed exchange pass, then swaps the
    // first and last for the fixed and longest length rules.
    static void orderByWidth(FourSources &sources, LengthRule lengthRule);
    // The larger of the two diagonal width sums and of the two height sums.
    static QSize canvasSize(const FourSources &sources);
    static Positions positions(const FourSources &sources, QSize canvas, Placement placement);
    // The pad and overlay filter that lays out the four videos of the inputs
    // firstInput to firstInput + 3 (in their order) on the canvas, padded to
    // a size the output type's encoder takes.
    static QString overlayFilter(int firstInput, QSize canvas, const Positions &at,
                                 const QString &outputType);
    // The picture of overlayFilter with each input copied into the canvas
    // once (xstack), for four videos of one constant frame rate that lie
    // side by side on even places; empty for any other layout.
    static std::optional<QString> stackFilter(int firstInput, const FourSources &sources, QSize canvas,
                                              const Positions &at, ConstantFrameRate frameRate);
};
