#include "cli/verb_arguments.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <string>

namespace velmora::cli {
namespace {

using OptionsByVerb = std::map<std::string, std::set<std::string>>;

// The options each verb's synopsis shows in the manual page ("\-\-port" is --port).
// Read by hand: std::regex trips GCC 12's uninitialised-use warning under the sanitizers.
OptionsByVerb manualOptions() {
    std::ifstream page(VELMORA_CLI_MANUAL);
    OptionsByVerb found;
    const std::string verbMark = ".B velmora-cli ";
    const std::string dash = "\\-";
    bool inSynopsis = false;
    std::string verb;
    for (std::string line; std::getline(page, line);) {
        if (line.starts_with(".SH"))
            inSynopsis = line == ".SH SYNOPSIS";
        if (!inSynopsis)
            continue;
        if (line.starts_with(verbMark)) {
            verb = line.substr(verbMark.size(), line.find(' ', verbMark.size()) - verbMark.size());
            found[verb];
        }
        const auto isLetter = [&line](std::size_t at) {
            return at < line.size() && std::islower(static_cast<unsigned char>(line[at]));
        };
        for (std::size_t at = line.find(dash); at != std::string::npos; at = line.find(dash, at)) {
            std::string option;
            for (; option.size() < 2 && line.compare(at, dash.size(), dash) == 0; at += dash.size())
                option += '-';
            if (!isLetter(at))
                continue;
            for (bool more = true; more;) {
                if (isLetter(at)) {
                    option += line[at++];
                } else if (line.compare(at, dash.size(), dash) == 0) {
                    option += '-';
                    at += dash.size();
                } else {
                    more = false;
                }
            }
            found[verb].insert(option);
        }
    }
    return found;
}

TEST(VerbTable, TheManualPageShowsEveryVerbWithTheOptionsItTakes) {
    OptionsByVerb table;
    for (const Verb& verb : verbs())
        for (const VerbOption& option : verb.options)
            table[std::string(verb.name)].insert(std::string(option.name));
    for (const Verb& verb : verbs())
        table[std::string(verb.name)];
    EXPECT_EQ(manualOptions(), table);
}

// The arguments are checked against the verb's row before the verb runs: its options
// only, values within their limits, its plain words and the options it needs. The
// batch's refusal of its count is the batch's own test.
TEST(VerbTable, ArgumentsAreCheckedAgainstTheVerbsRow) {
    const struct {
        const char* verb;
        std::vector<std::string> words;
        const char* refusal; // empty: taken
    } rows[] = {
        {"show", {"a.prg", "--json"}, ""},
        {"show", {"a.prg", "--verify"}, "unknown option --verify"},
        {"show", {}, "usage: velmora-cli show FILE.prg [--json]"},
        {"diff", {"a.prg", "b.prg", "c.prg"}, "usage: velmora-cli diff A.prg B.prg"},
        {"set", {"a.prg", "Txtnumero=1"}, "usage: velmora-cli set FILE.prg NAME=VALUE ... -o"},
        {"read", {"--port", "1", "--log", "r.csv"}, ""},
        {"read", {"--port", "1"}, "usage: velmora-cli read (--port N | --device PATH) (-o"},
        {"read",
         {"--port", "0", "-o", "a.prg"},
         "--port takes a port number from 1 to 8, not \"0\""},
        {"program", {"a.prg", "--port", "8", "--timeout", "0.0006"}, ""},
        {"program",
         {"a.prg", "--port", "8", "--timeout", "0.0004"},
         "--timeout takes seconds from 0.001 to 3600 (whole milliseconds), not \"0.0004\""},
        {"program", {"a.prg", "--device", "x", "--device", "y"}, "--device given twice"},
        {"batch", {"a.prg", "b.prg", "--device", "x", "--device", "y"}, "usage:"},
        {"batch",
         {"a.prg", "--port", "1,9", "--number-from", "1", "--count", "2"},
         "--port takes port numbers from 1 to 8 separated by commas, not \"1,9\""},
        {"ports", {"map", "1", "ttyUSB0", "--force"}, ""},
    };
    for (const auto& row : rows) {
        const Step<Arguments> checked = checkArguments(*findVerb(row.verb), row.words);
        const std::string refusal = checked ? "" : checked.error().message;
        EXPECT_EQ(refusal.substr(0, std::string(row.refusal).size()), row.refusal) << row.verb;
        if (!checked) {
            EXPECT_EQ(checked.error().status, ExitStatus::BadInput) << row.verb;
        }
    }
}

} // namespace
} // namespace velmora::cli
