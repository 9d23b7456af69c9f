#include "app/compose/CellNumber.h"

#include "app/base/NumberText.h"

#include <QLocale>

std::optional<double> CellNumber(const QString &text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<int> CellWholeNumber(const QString &text)
{
    const std::optional<double> value = CellNumber(text);
    if (!value || *value < -2147483648.0 || *value > 2147483647.0)
        return std::nullopt;
    return int(RoundHalfEven(*value));
}
