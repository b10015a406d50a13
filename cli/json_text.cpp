#include "cli/json_text.h"

#include <array>

namespace velmora::cli {

// The verbs drive the exchange engine below them.
using namespace exchange;

std::string jsonString(std::string_view text) {
    static constexpr std::array<char, 16> kHex{'0', '1', '2', '3', '4', '5', '6', '7',
                                               '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
    std::string quoted = "\"";
    for (const char character : text) {
        const auto code = static_cast<unsigned char>(character);
        if (character == '"' || character == '\\') {
            quoted += '\\';
            quoted += character;
        } else if (code < 0x20) {
            quoted += "\\u00";
            quoted += kHex[code >> 4];
            quoted += kHex[code & 0xF];
        } else {
            quoted += character;
        }
    }
    return quoted + "\"";
}

std::string configurationJson(std::string_view file, const Listing& listing, const Image& image) {
    std::string json = "{\n  \"file\": " + jsonString(file) + ",\n  \"parameters\": [\n";
    for (std::size_t i = 0; i < listing.size(); ++i) {
        const ListedParameter& parameter = listing[i];
        json += "    {\"caption\": " + jsonString(parameter.caption) + ", \"controls\": [";
        for (std::size_t c = 0; c < parameter.controls.size(); ++c)
            json += (c == 0 ? "" : ", ") + jsonString(parameter.controls[c]);
        json += "], \"value\": " + jsonString(parameter.value) + "}";
        json += i + 1 < listing.size() ? ",\n" : "\n";
    }
    json += "  ],\n  \"image\": [";
    for (std::size_t i = 0; i < image.size(); ++i)
        json += (i == 0 ? "" : ", ") + std::to_string(image[i]);
    return json + "]\n}\n";
}

} // namespace velmora::cli
