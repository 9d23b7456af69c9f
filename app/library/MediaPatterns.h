#pragma once

#include "app/library/SourceTable.h"

#include <QSet>
#include <QString>
#include <QStringList>

// Which files a source list takes when a folder is loaded: a pattern text
// such as "*.mp4;*.avi" (dialog filter text with captions and "|" is read
// too) turned into a set of extensions, matched against a file's real
// extension without regard to case.
class MediaPatterns {
public:
    explicit MediaPatterns(const QString &patternText);

    // The pattern texts of the three lists. The video text ends in a second
    // dialog filter entry for every other file.
    static QString videoPatternText();
    static QString audioPatternText();
    static QString picturePatternText();

    // The lower-case text after the last "." of a file name; empty when the
    // name has none (or ends in the dot, or is only a dot and a suffix such
    // as ".mp4", which is a hidden name rather than an extension).
    static QString extensionOf(const QString &fileName);
    // True when the text holds a character below U+0020 (a tab, a line
    // break, any other control character).
    static bool holdsControlCharacter(const QString &text);
    // False for a file or folder name that holds a control character: the
    // list cells are tab-separated and the tool's list files are line-based,
    // so a line break in a path would add a line naming another file.
    static bool fitsInRow(const QString &text);

    // True when the name's extension is one of ours. The catch-all "*.*" of
    // a dialog filter is no load pattern.
    bool matches(const QString &fileName) const;
    const QSet<QString> &extensions() const { return m_extensions; }

private:
    QSet<QString> m_extensions;
};
