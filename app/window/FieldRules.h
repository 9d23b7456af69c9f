#pragma once

#include <QString>

enum class SlideShow { Off, On };
enum class Reuse { Off, On };
// Whether the size box shows its first entry ("自动确定") as chosen.
enum class SizeChoice { Automatic, Typed };

// The value rules of the numeric option fields, as pure functions of their
// texts, so the window only moves texts in and out.
class FieldRules {
public:
    // The leading number of the text brought into [low, high], as text.
    static QString clampedNumberText(const QString &text, double low, double high);

    // Rounds down to a multiple of 4; 0 becomes 4 (four quadrants need at
    // least four sources).
    static double roundDownToFour(double value);

    // The number of videos a slide show draws: 10 to 30, a multiple of 4
    // unless every quadrant shows the same source.
    static double slideVideoCount(double value, Reuse reuse);

    // The picture-count range "a-b" (1 to 1000). A slide show shows at most
    // 25 frames a second of slide time, and then draws a fixed count.
    static QString pictureRangeText(const QString &text, SlideShow slideShow, double slideSeconds);

    struct RandomLengthRange {
        QString text;  // "a-b", 3 to 600 seconds, a <= b
        double lower;  // what the fixed length field takes
    };
    static RandomLengthRange randomLengthRange(const QString &text);

    enum class SizeVerdict { Automatic, Normalized, NoSeparator };
    struct QuadrantSize {
        SizeVerdict verdict = SizeVerdict::Automatic;
        int width = 0;  // 0 x 0 means automatic
        int height = 0;
        QString text;  // the text to show; empty when automatic
    };
    // Width "x" height, each even and within 128 to 1920. A text without
    // the separator is refused and falls back to 1080 x 720, which it then
    // shows.
    static QuadrantSize quadrantSize(const QString &text, SizeChoice choice);

private:
    static QStringList splitRange(const QString &text, QChar separator);
};
