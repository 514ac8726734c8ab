#include "platform/CRand.h"

namespace platform {
namespace {

uint32_t g_state = 1;

}  // namespace

void srand(uint32_t seed) {
    g_state = seed;
}

int rand() {
    RandStream stream(g_state);
    const int r = stream.Next();
    g_state = stream.state();
    return r;
}

uint32_t RandState() {
    return g_state;
}
void SetRandState(uint32_t state) {
    g_state = state;
}

RandStream RandStream::Skipped(uint64_t draws) const {
    // One step is x -> a x + c (mod 2^32); n steps are x -> A x + C. Square the
    // step and apply it wherever `draws` has a bit set; all powers of one affine
    // map commute, so the order of application does not matter.
    uint32_t a = kMultiplier, c = kIncrement;  // one step
    uint32_t jumpA = 1, jumpC = 0;
    for (; draws != 0; draws >>= 1) {
        if (draws & 1) {
            jumpA *= a;
            jumpC = jumpC * a + c;
        }
        c = c * a + c;
        a *= a;
    }
    return RandStream(state_ * jumpA + jumpC);
}

}  // namespace platform
