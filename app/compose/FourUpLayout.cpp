#include "app/compose/FourUpLayout.h"

#include "app/compose/MediaExtensions.h"

#include <QRect>

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
    return {canvas.width() - s[1].width, canvas.height() - s[2].height, canvas.width() - s[3].width,
            canvas.height() - s[3].height};
}

QString FourUpLayout::overlayFilter(int firstInput, QSize canvas, const Positions &at,
                                    const QString &outputType)
{
    // Where the encoder needs even sizes the canvas grows by a black line
    // where a sum is odd; the placements stay as computed.
    const QSize padded = MediaExtensions::encodableSize(canvas, outputType);
    const int padWidth = padded.width();
    const int padHeight = padded.height();
    return QStringLiteral("[%1:v]pad=%2:%3[a];[a][%4:v]overlay=%5[b];[b][%6:v]overlay=0:%7[c];"
                          "[c][%8:v]overlay=%9:%10")
        .arg(firstInput)
        .arg(padWidth)
        .arg(padHeight)
        .arg(firstInput + 1)
        .arg(at.x1)
        .arg(firstInput + 2)
        .arg(at.y2)
        .arg(firstInput + 3)
        .arg(at.x3)
        .arg(at.y3);
}

std::optional<QString> FourUpLayout::stackFilter(int firstInput, const FourSources &sources, QSize canvas,
                                                 const Positions &at, ConstantFrameRate frameRate)
{
    const QRect places[4] = {{0, 0, sources[0].width, sources[0].height},
                             {at.x1, 0, sources[1].width, sources[1].height},
                             {0, at.y2, sources[2].width, sources[2].height},
                             {at.x3, at.y3, sources[3].width, sources[3].height}};
    // xstack copies its inputs side by side in parallel: an overlap would be
    // drawn in no fixed order, and so would a chroma sample that two inputs
    // on odd places share. Those layouts stay with the overlays, which also
    // cut off what lies outside the canvas.
    if ((canvas.width() | canvas.height()) & 1)
        return std::nullopt;
    const QRect canvasPlace({0, 0}, canvas);
    QRect covered;
    for (int k = 0; k < 4; ++k) {
        const QRect &place = places[k];
        if (place.isEmpty() || (place.x() | place.y() | place.width() | place.height()) & 1
            || !canvasPlace.contains(place))
            return std::nullopt;
        for (int other = 0; other < k; ++other)
            if (places[other].intersects(place))
                return std::nullopt;
        covered |= place;
    }
    if (frameRate.numerator <= 0 || frameRate.denominator <= 0)
        return std::nullopt;

    // Each input is set on the time grid of the common rate from time 0 (a
    // late first frame is repeated back to 0), as a cut encoded on its own
    // starts, so that xstack, which makes a frame whenever any input has one,
    // meets one frame of each at every step. Like the overlays, it converts to
    // 4:2:0, holds the last frame of a source that ends early and ends with
    // the longest.
    const QString timing = QStringLiteral("fps=%1/%2:start_time=0,format=yuv420p")
                               .arg(frameRate.numerator)
                               .arg(frameRate.denominator);
    QString filter;
    for (int k = 0; k < 4; ++k)
        filter += QStringLiteral("[%1:v]%2[s%3];").arg(firstInput + k).arg(timing).arg(k);
    filter += QStringLiteral("[s0][s1][s2][s3]xstack=inputs=4:layout=0_0|%1_0|0_%2|%3_%4:fill=black")
                  .arg(at.x1)
                  .arg(at.y2)
                  .arg(at.x3)
                  .arg(at.y3);
    // xstack's frame spans only its inputs.
    if (covered.size() != canvas)
        filter += QStringLiteral(",pad=%1:%2").arg(canvas.width()).arg(canvas.height());
    return filter;
}
