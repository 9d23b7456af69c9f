#pragma once

#include <QString>

// The text of a number in tool arguments and status texts: the shortest plain
// decimal text with "." as point, no exponent, no thousands separators, a
// leading "0" for values strictly between 0 and 1, at most 15 significant
// digits (so 0.1 + 0.2 is written 0.3).
QString NumberText(double value);

// Rounds to the given number of decimals, ties to even.
double RoundHalfEven(double value, int decimals = 0);

// The leading number of a text ("12abc" gives 12, "abc" gives 0), as the
// numeric fields and captions are read.
double LeadingNumber(const QString &text);
