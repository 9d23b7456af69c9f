#include "app/base/NumberText.h"

#include <QLocale>

#include <cmath>
#include <cstdio>
#include <cstdlib>

QString NumberText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    // Round to 15 significant digits first, so binary noise (0.30000000000000004)
    // never reaches the text.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    double rounded = std::strtod(buffer, nullptr);
    if (rounded == 0.0)
        rounded = 0.0;  // no "-0"
    return QString::number(rounded, 'f', QLocale::FloatingPointShortest);
}

double RoundHalfEven(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    // Scaling first, through the 15-digit text, keeps 2.0005 from becoming 2.00049999.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value * scale);
    const double scaled = std::strtod(buffer, nullptr);
    return std::nearbyint(scaled) / scale;  // default rounding mode: to nearest, ties to even
}

double LeadingNumber(const QString &text)
{
    // Blanks inside the number are ignored; the number ends at the first
    // other character.
    QString digits;
    bool seenPoint = false;
    bool seenDigit = false;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t'))
            continue;
        if (c.isDigit() && c.unicode() < 128) {
            digits.append(c);
            seenDigit = true;
        } else if (c == QLatin1Char('.') && !seenPoint) {
            digits.append(c);
            seenPoint = true;
        } else if ((c == QLatin1Char('-') || c == QLatin1Char('+')) && digits.isEmpty()) {
            digits.append(c);
        } else {
            break;
        }
    }
    if (!seenDigit)
        return 0.0;
    return digits.toDouble();
}
