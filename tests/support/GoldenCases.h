// Every node type's locked renders, shared by the golden test and the
// cross-build hash tool: the type, the first parameter values in slot order,
// the FNV-1a hash of the texture, its size, and whether the node reads its
// own image on every input pin (see RenderFed).
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "engine/NodeRegistry.h"

struct GoldenCase {
    uint8_t type;
    std::vector<int16_t> params;
    uint64_t hash;
    int width = 32, height = 32;
    bool inPlace = false;
};

inline uint64_t Fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t h = 14695981039346656037ull;
    for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
    return h;
}

inline std::string Alnum(const std::string& s) {
    std::string out;
    std::ranges::copy_if(s, std::back_inserter(out),
                         [](unsigned char c) { return std::isalnum(c); });
    return out;
}

// "Brightness, Contrast" {40, -100} at 32 x 32 becomes "BrightnessContrast_40_m100",
// the name of its reference image.
inline std::string CaseName(const GoldenCase& c) {
    std::string name = Alnum(NodeRegistry().CreateNode(c.type)->name);
    for (int v : c.params)
        name += "_" + std::string(v < 0 ? "m" : "") + std::to_string(std::abs(v));
    if (c.width != 32 || c.height != 32)
        name += "_" + std::to_string(c.width) + "x" + std::to_string(c.height);
    return c.inPlace ? name + "_inplace" : name;
}

inline constexpr bool kInPlace = true;

inline const GoldenCase kGoldenCases[] = {
    {2, {}, 5766927064025285075u},
    {2, {200, 60, 33}, 13714376322390145430u},
    {7, {}, 1781417268835954875u},
    {7, {255, 3, 200, 1, 359, 45, 3}, 16131685575876390716u},
    {9, {}, 13645489689456802853u},
    {9, {2, 3, 77}, 1405660164318496693u},
    {9, {5, 1, 5}, 5930531862610469669u},
    {15, {}, 14712539462611376650u},
    {15, {2, 255, 16, 3, 200}, 14142912670893571011u},
    {15, {5, 90, 3, 2, 1}, 14968205763366776753u},
    {14, {}, 11462430325376205605u},
    {14, {400, 0, 3}, 11462430325376205605u},
    {14, {100, 1023, 1}, 8999995687558963232u},
    {4, {3, 7}, 1556473991289176023u},
    {4, {255, 1}, 1094554042400955858u},
    {8, {77, -100, 30}, 10975524287894095971u},
    {8, {-180, 255, -255}, 13346994205906133797u},
    {16, {3}, 10116978563954929432u},
    {17, {0}, 997485036645809726u},
    {17, {5}, 997485036645809726u},
    {3, {}, 17957155533837659659u},
    {3, {300, 555, 1}, 6035309264088452816u},
    {3, {100, 400, 2}, 8750167460502327356u},
    {3, {255, 255, 3}, 2907090350990055626u},
    {5, {40, 100}, 9510472619101469116u},
    {5, {-30, -200}, 5275630923908537734u},
    {10, {}, 14114762558173121020u},
    {10, {20, 255, 255, 90, 180, 270}, 16336161698480577520u},
    {6, {}, 9570860602448258942u},
    {6, {300}, 5279363762173569793u},
    {18, {}, 15164014638277575461u},
    {18, {-200, 100, 30, 255}, 10439123222841572871u},
    {12, {20, 1, 40, 2}, 4721010251315397886u},
    {12, {255, 0, 3, 1}, 1812184827089759431u},
    // Sides that are not multiples of a lattice spacing or a power of two.
    {9, {2, 3, 77}, 3065815181103484077u, 6, 5},
    {9, {3, 1, 9}, 1147640569418798093u, 1, 7},
    {15, {2, 200, 3, 3, 6}, 5553402642841741131u, 7, 5},
    {7, {200, 17, 1, 254, 45, 300, 1}, 5050168798573175787u, 5, 3},
    {18, {-200, 90, 30, 1}, 4411167691756575722u, 7, 4},
    {14, {100, 1023, 1}, 3928657209784334973u, 7, 5},
    {14, {300, 200, 3}, 7867272484061229109u, 6, 9},
    {14, {}, 5558857559748466520u, 1, 1},
    {14, {255, 1023, 3}, 15197169711997972020u, 1, 2},
    {15, {1, 127, 4, 0, 6}, 13847738093930840933u, 4, 16},
    // Radii clipped to the side: a one-wide image copies across; a 7-wide window on 4 columns.
    {4, {9, 1}, 12424521248585956479u, 1, 3},
    {4, {255, 200}, 16274944925255801125u, 4, 3},
    // Read while written: the node's own image on every input pin.
    {3, {100, 400, 2}, 2523339686120600125u, 32, 32, kInPlace},
    {4, {3, 7}, 14936798597976156627u, 32, 32, kInPlace},
    {5, {37, -100}, 9243093381453899092u, 32, 32, kInPlace},
    {6, {300}, 12085234448261547224u, 32, 32, kInPlace},
    {8, {77, -100, 30}, 17968283093914725567u, 32, 32, kInPlace},
    {10, {20, 255, 255, 90, 180, 270}, 12901675585344443718u, 32, 32, kInPlace},
    {12, {20, 1, 40, 2}, 17539725031672228292u, 32, 32, kInPlace},
    {16, {3}, 12332041734747337508u, 32, 32, kInPlace},
    {17, {5}, 15524301411137462356u, 32, 32, kInPlace},
    {18, {-200, 100, 30, 255}, 1520669466844942027u, 32, 32, kInPlace},
    // Rows rewritten while neighbouring bands read them: in order on any thread count.
    {6, {555}, 7879741836722717969u, 64, 64, kInPlace},
    {18, {-255, 255, 0, 255}, 2198300153498423063u, 64, 64, kInPlace},
};
