#pragma once

#include "cli/exit_status.h"
#include "support/command_options.h"

#include <limits>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::cli {

// A verb's work: it reads its checked arguments, writes its results to `out` and its
// messages to `err`, and says how it ended.
using VerbHandler = ExitStatus (*)(const Arguments& arguments, std::ostream& out,
                                   std::ostream& err);

// How an option is given, and which values it takes.
enum class Takes {
    Switch,    // stands alone: --verify
    Text,      // any value: -o FILE.prg
    Repeated,  // any value, and the option may come again: --device PATH ...
    Whole,     // a whole number within the limits
    WholeList, // whole numbers within the limits, separated by commas
    Seconds,   // seconds with an optional fraction, whole milliseconds within the limits
};

struct VerbOption {
    std::string_view name;
    Takes takes;
    double first = 0; // the limits of a number
    double last = 0;
    std::string_view what = {}; // a number as a refusal names it: "a port number"
};

// One line of --help: the verb's form on the left, a line of its description beside it.
struct HelpLine {
    std::string_view form;
    std::string_view text = {};
};

enum class Section { Files, Unit, Store, Ports };

// A verb of velmora-cli, all that the program and its help say about it.
struct Verb {
    std::string_view name;
    Section section;
    std::string_view synopsis; // what a call with the wrong words is told to type
    std::vector<HelpLine> help;
    std::vector<VerbOption> options = {};
    std::size_t fewestWords = 0; // plain words after the verb
    std::size_t mostWords = std::numeric_limits<std::size_t>::max();
    // Groups of options of which at least one must be given: {"-o", "--log"}.
    std::vector<std::vector<std::string_view>> needs = {};
    bool needsEventLoop = false; // it talks to a line, so it needs Qt's event loop
    VerbHandler handler = nullptr;
};

// Every verb of velmora-cli, in the order --help lists them.
const std::vector<Verb>& verbs();

// The verb called `name`, or null.
const Verb* findVerb(std::string_view name);

// "usage: velmora-cli " and the verb's synopsis.
std::string usageOf(const Verb& verb);

// The whole --help text, from the table.
std::string helpText();

} // namespace velmora::cli
