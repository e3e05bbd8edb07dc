// Nonces and session tokens need unpredictable octets; tests and the fuzzer substitute a fixed sequence.
#pragma once

#include <cstdint>
#include <span>

namespace iec::ua {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void Fill(std::span<uint8_t> out) = 0;
};

// Deterministic octets (a simple counter-mixed sequence) for tests and fuzzing.
class SequenceRandom final : public RandomSource {
public:
    explicit SequenceRandom(uint64_t seed = 1) : state_(seed) {}
    void Fill(std::span<uint8_t> out) override {
        for (auto& b : out) {
            state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
            b = static_cast<uint8_t>(state_ >> 56);
        }
    }

private:
    uint64_t state_;
};

}  // namespace iec::ua
