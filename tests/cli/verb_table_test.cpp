#include "cli/verb_arguments.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

namespace velmora::cli {
namespace {

using OptionsByVerb = std::map<std::string, std::set<std::string>>;

// The options each verb's synopsis shows in the manual page ("\-\-port" is --port).
OptionsByVerb manualOptions() {
    std::ifstream page(VELMORA_CLI_MANUAL);
    OptionsByVerb found;
    const std::regex verbLine(R"(^\.B velmora-cli (\w+))");
    const std::regex option(R"((\\-){1,2}[a-z](\\-|[a-z])*)");
    bool inSynopsis = false;
    std::string verb;
    for (std::string line; std::getline(page, line);) {
        if (line.starts_with(".SH"))
            inSynopsis = line == ".SH SYNOPSIS";
        std::smatch match;
        if (!inSynopsis)
            continue;
        if (std::regex_search(line, match, verbLine)) {
            verb = match[1];
            found[verb];
        }
        for (std::sregex_iterator it(line.begin(), line.end(), option), end; it != end; ++it)
            found[verb].insert(std::regex_replace(it->str(), std::regex(R"(\\-)"), "-"));
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
        {"batch", {"a.prg", "--device", "x", "--device", "y", "--number-from", "1"}, "usage:"},
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
