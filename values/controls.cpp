#include "values/controls.h"

namespace velmora {

namespace {

struct Texts {
    std::array<std::string, kControlCount> names;
    std::array<std::string, kControlCount> startTexts;

    Texts() {
        for (std::size_t id = 0; id < kControlCount; ++id) {
            const controls::Entry& entry = controls::kEntries[id];
            names[id] = std::string(entry.array);
            startTexts[id] = std::string(entry.row->text);
            if (entry.index < 0)
                continue;
            names[id] += '(' + std::to_string(entry.index) + ')';
            if ((entry.row->flags & controls::Numbered) != 0)
                startTexts[id] += std::to_string(entry.index % 8 + 1);
        }
    }
};

const Texts& texts() {
    static const Texts built;
    return built;
}

} // namespace

const std::string& controlName(ControlId id) {
    return texts().names[id.index()];
}

const std::string& startText(ControlId id) {
    return texts().startTexts[id.index()];
}

} // namespace velmora
