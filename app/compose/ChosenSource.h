#pragma once

#include <QString>

#include <array>

// One drawn video: its path and the size and length its list row gives.
struct ChosenSource {
    QString path;
    int width = 0;
    int height = 0;
    double durationSeconds = 0;
};

using FourSources = std::array<ChosenSource, 4>;
