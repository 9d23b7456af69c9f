#pragma once

// Every random draw goes through this interface so tests can fix the draws.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Re-seeds from the time of day (the composition does this before most draws).
    virtual void reseed() = 0;
    // A number in [0, 1).
    virtual double next() = 0;
};
