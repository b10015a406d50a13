#include "cli/verb_table.h"

namespace velmora::cli {
namespace {

// Descriptions start in this column of --help.
constexpr std::size_t kTextColumn = 36;
constexpr std::size_t kIndent = 2;

struct SectionText {
    Section section;
    std::string_view heading;
};

constexpr SectionText kSections[] = {
    {Section::Files, "Files (.prg programming files, as the window saves and imports them):"},
    {Section::Unit,
     "The unit (--port N for port 1 to 8, or --device PATH; --timeout SECONDS, 0.001 to\n"
     "3600, default 2; --log FILE.csv appends one row per unit to a traceability record):"},
    {Section::Store, "The production store (--store URL|FILE.sqlite, as for batch):"},
    {Section::Ports,
     "Ports (port N is VELMORA_COM<N> when set, else the saved map, else /dev/ttyS<N-1>):"},
};

constexpr std::string_view kExitStatus =
    "Exit status: 0 done, 1 a difference or a failed verify, 2 bad input,\n"
    "3 no answer from the unit (or not a configuration), 4 the port could not be\n"
    "opened, 5 the --log record or the production store could not be written,\n"
    "130 interrupted (Ctrl-C).\n";

std::string helpLine(const HelpLine& line) {
    std::string text(kIndent, ' ');
    text += line.form;
    if (!line.text.empty()) {
        text.resize(kTextColumn, ' ');
        text += line.text;
    }
    return text + "\n";
}

} // namespace

std::string helpText() {
    std::string text = "usage: velmora-cli COMMAND ...\n\n";
    for (const SectionText& section : kSections) {
        text += std::string(section.heading) + "\n";
        for (const Verb& verb : verbs())
            if (verb.section == section.section)
                for (const HelpLine& line : verb.help)
                    text += helpLine(line);
        text += "\n";
    }
    return text + std::string(kExitStatus);
}

} // namespace velmora::cli
