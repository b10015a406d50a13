#include "values/result.h"

namespace velmora {

std::string describe(const Problems& problems) {
    std::string text;
    for (const Problem& problem : problems) {
        if (!text.empty())
            text += '\n';
        text += problem.message;
    }
    return text;
}

} // namespace velmora
