#include "app/compose/QuadrantFit.h"

#include "app/base/NumberText.h"
#include "app/run/RunSettings.h"

#include <algorithm>

QSize PictureModeOutputSize(const RunSettings &settings)
{
    if (settings.outputWidth <= 0 || settings.outputHeight <= 0)
        return {1920, 1080};
    return {settings.outputWidth, settings.outputHeight};
}

QSize QuadrantCanvasSize(QSize output)
{
    return {int(RoundHalfEven(output.width() / 2.0)), int(RoundHalfEven(output.height() / 2.0))};
}

std::optional<QSize> FitIntoQuadrant(QSize source, QSize output)
{
    if (source.width() <= 0 || source.height() <= 0)
        return std::nullopt;
    const double ratio = double(source.width()) / double(source.height());
    const double quadrantWidth = output.width() / 2.0;
    const double quadrantHeight = output.height() / 2.0;
    double width = RoundHalfEven(quadrantWidth);
    double height = RoundHalfEven(width / ratio);
    if (quadrantHeight < height) {
        height = RoundHalfEven(quadrantHeight);
        width = RoundHalfEven(height * ratio);
    }
    return QSize(std::max(int(width), 1), std::max(int(height), 1));
}

std::optional<QSize> FitIntoQuadrantEven(QSize source, QSize output)
{
    std::optional<QSize> fitted = FitIntoQuadrant(source, output);
    if (!fitted)
        return std::nullopt;
    const auto even = [](int side) { return std::max(side - (side & 1), 2); };
    return QSize(even(fitted->width()), even(fitted->height()));
}

QPoint CentreInQuadrant(QSize fitted, QSize output)
{
    return {int(RoundHalfEven((output.width() / 2.0 - fitted.width()) / 2.0)),
            int(RoundHalfEven((output.height() / 2.0 - fitted.height()) / 2.0))};
}
