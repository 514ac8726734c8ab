// The program's own srand/rand, so textures come out the same everywhere.
// Same linear congruential sequence as the classic C runtime's.
#pragma once

#include <cstdint>

namespace platform {

void srand(uint32_t seed);
int rand();  // 0 ... 0x7FFF

// The generator's state, for handing stretches of the sequence to threads.
uint32_t RandState();
void SetRandState(uint32_t state);

// A private stretch of the same sequence: Next() gives what rand() would.
class RandStream {
public:
    explicit RandStream(uint32_t state) : state_(state) {}
    // The stream as it stands `draws` calls of Next() further on, in
    // O(log draws) steps.
    RandStream Skipped(uint64_t draws) const;
    static constexpr uint32_t kMultiplier = 214013u;
    static constexpr uint32_t kIncrement = 2531011u;

    int Next() {
        state_ = state_ * kMultiplier + kIncrement;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }
    uint32_t state() const { return state_; }

private:
    uint32_t state_;
};

}  // namespace platform
