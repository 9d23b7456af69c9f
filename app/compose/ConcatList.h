#pragma once

#include <QString>
#include <QStringList>

// Writes a concat list for the tool's concat input: one "file '<path>'" line
// per piece, ended by CR LF, in UTF-8, truncating an existing file. A "'" in
// a path is written as '\'' (close the quote, an escaped quote, open again),
// as the concat format asks. False when the file cannot be written, and
// (nothing written) when a path holds a control character.
bool WriteConcatList(const QString &listPath, const QStringList &pieces);
