#pragma once

#include <QString>

#include <optional>

// A number cell of a list row; empty when the cell holds no number at all.
std::optional<double> CellNumber(const QString &text);
// The same rounded to a whole number (ties to even); empty outside int.
std::optional<int> CellWholeNumber(const QString &text);
