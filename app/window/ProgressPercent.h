#pragma once

class QProgressBar;

// The progress bar counts hundredths of a percent, so the start of output 1
// of 3 reads 33.33 and that of output 2 reads 66.67, not 33 and 66.
class ProgressPercent {
public:
    static constexpr int kStepsPerPercent = 100;

    static void setUp(QProgressBar *bar);
    // Rounded to the nearest hundredth, ties to even.
    static void set(QProgressBar *bar, double percent);
    static double of(const QProgressBar *bar);
};
