#include "app/window/FieldRules.h"

#include "app/base/NumberText.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMinPictures = 1;
constexpr double kMaxPictures = 1000;
constexpr double kMinSeconds = 3;
constexpr double kMaxSeconds = 600;
constexpr double kSlideFramesPerSecond = 25;
constexpr double kMinSlideVideos = 10;
constexpr double kMaxSlideVideos = 30;
constexpr int kMinSide = 128;
constexpr int kMaxSide = 1920;

double clampValue(double value, double low, double high)
{
    return std::clamp(value, low, high);
}

QString rangeText(double a, double b)
{
    return NumberText(a) + QLatin1Char('-') + NumberText(b);
}

int evenSide(double value)
{
    int side = int(value);
    if (side % 2 != 0)
        ++side;
    return std::clamp(side, kMinSide, kMaxSide);
}

}  // namespace

QStringList FieldRules::splitRange(const QString &text, QChar separator)
{
    QStringList parts = text.split(separator);
    while (parts.size() < 2)
        parts.append(QString());
    return parts;
}

QString FieldRules::clampedNumberText(const QString &text, double low, double high)
{
    return NumberText(clampValue(LeadingNumber(text), low, high));
}

double FieldRules::roundDownToFour(double value)
{
    const double rounded = std::floor(value / 4) * 4;
    return rounded == 0 ? 4 : rounded;
}

double FieldRules::slideVideoCount(double value, Reuse reuse)
{
    const double n = clampValue(value, kMinSlideVideos, kMaxSlideVideos);
    return reuse == Reuse::On ? n : roundDownToFour(n);
}

QString FieldRules::pictureRangeText(const QString &text, SlideShow slideShow, double slideSeconds)
{
    const double slideLimit = slideSeconds * kSlideFramesPerSecond;
    if (!text.contains(QLatin1Char('-'))) {
        double n = clampValue(LeadingNumber(text), kMinPictures, kMaxPictures);
        if (slideShow == SlideShow::On && n > slideLimit)
            n = slideLimit;
        return rangeText(n, n);
    }
    const QStringList parts = splitRange(text, QLatin1Char('-'));
    double a = clampValue(LeadingNumber(parts.at(0)), kMinPictures, kMaxPictures);
    double b = clampValue(LeadingNumber(parts.at(1)), kMinPictures, kMaxPictures);
    if (slideShow == SlideShow::On) {
        a = std::min(a, slideLimit);
        b = std::min(b, slideLimit);
        a = b;
    }
    if (b < a)
        std::swap(a, b);
    return rangeText(a, b);
}

FieldRules::RandomLengthRange FieldRules::randomLengthRange(const QString &text)
{
    if (!text.contains(QLatin1Char('-'))) {
        const double n = clampValue(LeadingNumber(text), kMinSeconds, kMaxSeconds);
        return {rangeText(n, n), n};
    }
    const QStringList parts = splitRange(text, QLatin1Char('-'));
    double a = clampValue(LeadingNumber(parts.at(0)), kMinSeconds, kMaxSeconds);
    double b = clampValue(LeadingNumber(parts.at(1)), kMinSeconds, kMaxSeconds);
    if (b < a)
        std::swap(a, b);
    return {rangeText(a, b), a};
}

FieldRules::QuadrantSize FieldRules::quadrantSize(const QString &text, SizeChoice choice)
{
    if (!text.contains(QLatin1Char('x')) && choice != SizeChoice::Automatic)
        return {SizeVerdict::NoSeparator, 1080, 720, QStringLiteral("1080x720")};
    if (choice == SizeChoice::Automatic)
        return {};
    const QStringList parts = splitRange(text, QLatin1Char('x'));
    const int width = evenSide(LeadingNumber(parts.at(0)));
    const int height = evenSide(LeadingNumber(parts.at(1)));
    return {SizeVerdict::Normalized, width, height,
            QString::number(width) + QLatin1Char('x') + QString::number(height)};
}
