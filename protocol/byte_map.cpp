#include "protocol/byte_map.h"

#include <stdexcept>

namespace velmora {

const ImageField& fieldOfByte(int n) {
    for (const ImageField& field : kImageFields)
        for (int b = 0; b < field.byteCount; ++b)
            if (field.bytes[static_cast<std::size_t>(b)] == n)
                return field;
    throw std::out_of_range("no image byte " + std::to_string(n));
}

std::string fieldCaption(const ImageField& field) {
    if (field.encoding != Encoding::RangeValue)
        return startText(field.caption);
    const ControlId column = isRangeMinimum(field) ? "Label25"_control : "Label26"_control;
    return startText(rangeGroupCaption(field.range)) + " " + startText(field.caption) + " " +
           startText(column);
}

} // namespace velmora
