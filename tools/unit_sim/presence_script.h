#pragma once

#include "values/result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::sim {

// The cradle of a jig as its operator uses it: a unit is put in, programmed, taken away,
// and the next one put in. While present the unit answers; while absent the line is
// silent and whatever comes is lost; each time a unit comes back it is a new one, holding
// the start image (--image, else a factory-fresh unit).
struct PresenceStep {
    bool present = true;
    std::optional<int> ms; // how long the step lasts; none: for good (last step only)
};

// "absent 300, present 2000, absent 300, present": steps separated by commas or line
// ends (a file of steps, one a line, reads the same), each "present" or "absent" with
// its milliseconds; only the last step may go without. Blank steps and text after '#'
// on a line are skipped. After a last step with a length the unit stays as it is.
// The steps, or a sentence naming the step that is wrong.
Result<std::vector<PresenceStep>> parsePresence(std::string_view text);

} // namespace velmora::sim
