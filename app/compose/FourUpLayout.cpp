#include "app/compose/FourUpLayout.h"

#include <algorithm>
#include <utility>

void FourUpLayout::orderByWidth(FourSources &sources, LengthRule lengthRule)
{
    // A fixed pass, not a sort: the narrowest ends first, the rest may not be
    // in order (widths 4, 3, 2, 1 end as 1, 4, 2, 3).
    for (int a = 0; a <= 2; ++a)
        for (int b = 1; b <= 3; ++b)
            if (sources[a].width > sources[b].width)
                std::swap(sources[a], sources[b]);
    if (lengthRule == LengthRule::Fixed || lengthRule == LengthRule::LongestVideo)
        std::swap(sources[0], sources[3]);
}

QSize FourUpLayout::canvasSize(const FourSources &s)
{
    const int width = std::max(s[0].width + s[3].width, s[1].width + s[2].width);
    const int height = std::max(s[1].height + s[2].height, s[0].height + s[3].height);
    return {width, height};
}

FourUpLayout::Positions FourUpLayout::positions(const FourSources &s, QSize canvas, Placement placement)
{
    if (placement == Placement::EdgeToEdge)
        return {s[0].width, s[0].height, s[2].width, s[1].height};
    return {canvas.width() - s[1].width, canvas.height() - s[2].height,
            canvas.width() - s[3].width, canvas.height() - s[3].height};
}

QString FourUpLayout::overlayFilter(int firstInput, QSize canvas, const Positions &at)
{
    // H.264 takes only even frame sizes: the canvas grows by a black line
    // where a sum is odd; the placements stay as computed.
    const int padWidth = canvas.width() + (canvas.width() & 1);
    const int padHeight = canvas.height() + (canvas.height() & 1);
    return QStringLiteral("[%1:v]pad=%2:%3[a];[a][%4:v]overlay=%5[b];[b][%6:v]overlay=0:%7[c];"
                          "[c][%8:v]overlay=%9:%10")
        .arg(firstInput).arg(padWidth).arg(padHeight)
        .arg(firstInput + 1).arg(at.x1)
        .arg(firstInput + 2).arg(at.y2)
        .arg(firstInput + 3).arg(at.x3).arg(at.y3);
}
