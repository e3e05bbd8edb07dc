// Where the station copy's name suffix gets its random number: the machine's generator in the program, a scripted
// one in tests.
#pragma once

#include <random>

namespace iec {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A whole number from 0 to bound - 1 (bound above 0).
    virtual int Below(int bound) = 0;
};

class SystemRandom final : public RandomSource {
public:
    SystemRandom() : engine_(std::random_device{}()) {}
    int Below(int bound) override { return std::uniform_int_distribution<int>(0, bound - 1)(engine_); }

private:
    std::mt19937 engine_;
};

}  // namespace iec
