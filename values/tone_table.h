#pragma once

#include <array>
#include <optional>

namespace velmora {

struct Tone {
    const char* text; // as the list shows it: "67", "77.0", "203.5"
    int code;         // what the image carries
};

// The rows of `Combotono`: "Notone" (code 255), then the 32 sub-audio tones, codes 0 to 31.
inline constexpr std::array<Tone, 33> kToneTable{{
    {"Notone", 255}, {"67", 0},     {"71.9", 1},   {"74.4", 2},   {"77.0", 3},   {"79.7", 4},
    {"82.5", 5},     {"85.4", 6},   {"88.5", 7},   {"91.5", 8},   {"94.8", 9},   {"97.4", 10},
    {"100", 11},     {"103.5", 12}, {"107.2", 13}, {"110.9", 14}, {"114.8", 15}, {"118.8", 16},
    {"123", 17},     {"127.3", 18}, {"131.8", 19}, {"136.5", 20}, {"141.3", 21}, {"146.2", 22},
    {"151.4", 23},   {"156.7", 24}, {"162.2", 25}, {"167.9", 26}, {"173.8", 27}, {"179.9", 28},
    {"186.2", 29},   {"192.8", 30}, {"203.5", 31},
}};

inline constexpr int kNoToneCode = 255;

// The row a decoded code selects: 255 -> row 0, c -> row c + 1; none for 32 to 254.
std::optional<int> toneRowForCode(int code);

} // namespace velmora
