#include "values/tone_table.h"

namespace velmora {

std::optional<int> toneRowForCode(int code) {
    if (code == kNoToneCode)
        return 0;
    const int row = code + 1;
    if (code < 0 || row >= static_cast<int>(kToneTable.size()))
        return std::nullopt;
    return row;
}

} // namespace velmora
