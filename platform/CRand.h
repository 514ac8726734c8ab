// The program's own srand/rand, so textures come out the same everywhere.
// Same linear congruential sequence as the classic C runtime's.
#pragma once

#include <cstdint>

namespace platform {

void srand(uint32_t seed);
int rand();  // 0 ... 0x7FFF

}  // namespace platform
