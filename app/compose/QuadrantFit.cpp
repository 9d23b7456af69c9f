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

std::optional<QSize> FitInto(QSize source, QSizeF box)
{
    if (source.width() <= 0 || source.height() <= 0 || box.isEmpty())
        return std::nullopt;
    const double ratio = double(source.width()) / double(source.height());
    double width = RoundHalfEven(box.width());
    double height = RoundHalfEven(width / ratio);
    if (box.height() < height) {
        height = RoundHalfEven(box.height());
        width = RoundHalfEven(height * ratio);
    }
    return QSize(std::max(int(width), 1), std::max(int(height), 1));
}

std::optional<QSize> FitIntoQuadrant(QSize source, QSize output)
{
    return FitInto(source, QSizeF(output) / 2.0);
}

std::optional<QSize> FitIntoQuadrantEven(QSize source, QSize output)
{
    std::optional<QSize> fitted = FitIntoQuadrant(source, output);
    if (!fitted)
        return std::nullopt;
    const auto even = [](int side) { return std::max(side - (side & 1), 2); };
    return QSize(even(fitted->width()), even(fitted->height()));
}

QPoint QuadrantPosition(int quadrant, QSize fitted, QSize output)
{
    const double halfWidth = output.width() / 2.0;
    const double halfHeight = output.height() / 2.0;
    const double left = quadrant % 2 == 1 ? halfWidth : 0;
    const double top = quadrant >= 2 ? halfHeight : 0;
    return {int(RoundHalfEven(left + (halfWidth - fitted.width()) / 2.0)),
            int(RoundHalfEven(top + (halfHeight - fitted.height()) / 2.0))};
}

QPoint CentreInQuadrant(QSize fitted, QSize output)
{
    return QuadrantPosition(0, fitted, output);
}
