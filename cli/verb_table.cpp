#include "cli/verb_table.h"

#include "cli/device_commands.h"
#include "cli/file_commands.h"
#include "cli/history_commands.h"
#include "cli/ports_command.h"
#include "cli/store_commands.h"
#include "link/port_mapping.h"

namespace velmora::cli {
namespace {

// The unit's line: a port number, or the device itself, and how long an answer may take.
constexpr VerbOption kPort{"--port", Takes::Whole, kFirstPort, kLastPort, "a port number"};
constexpr VerbOption kDevice{"--device", Takes::Text};
constexpr VerbOption kTimeout{"--timeout", Takes::Seconds, 0.001, 3600, "seconds"};
constexpr VerbOption kLog{"--log", Takes::Text};
constexpr VerbOption kVerify{"--verify", Takes::Switch};
constexpr VerbOption kJson{"--json", Takes::Switch};
constexpr VerbOption kOutput{"-o", Takes::Text};
// The production store and who works on it.
constexpr VerbOption kStore{"--store", Takes::Text};
constexpr VerbOption kStation{"--station", Takes::Text};
constexpr VerbOption kOperator{"--operator", Takes::Text};
// What a unit held is kept before it is programmed, unless this is given.
constexpr VerbOption kNoBackup{"--no-backup", Takes::Switch};

constexpr std::string_view kShow = "show FILE.prg [--json]";
constexpr std::string_view kDiff = "diff A.prg B.prg";
constexpr std::string_view kSet = "set FILE.prg NAME=VALUE ... -o OUT.prg";

} // namespace

const std::vector<Verb>& verbs() {
    static const std::vector<Verb> kVerbs{
        {.name = "show",
         .section = Section::Files,
         .synopsis = kShow,
         .help = {{kShow, "every parameter, by the window's caption"}},
         .options = {kJson},
         .fewestWords = 1,
         .mostWords = 1,
         .handler = showCommand},
        {.name = "diff",
         .section = Section::Files,
         .synopsis = kDiff,
         .help = {{kDiff, "the parameters that differ, with both values"}},
         .fewestWords = 2,
         .mostWords = 2,
         .handler = diffCommand},
        {.name = "set",
         .section = Section::Files,
         .synopsis = kSet,
         .help = {{kSet},
                  {"", "change controls by name as the window allows:"},
                  {"", "Txtnumero=101 Combotono=123 Check1=1 Text2(3)=300"},
                  {"", "Optrete(3)=1 Option2=1 txttx=433.5"},
                  {"", "(quote names with brackets for the shell)"}},
         .options = {kOutput},
         .fewestWords = 2,
         .needs = {{"-o"}},
         .handler = setCommand},
        {.name = "read",
         .section = Section::Unit,
         .synopsis = "read (--port N | --device PATH) (-o FILE.prg | --log FILE.csv)",
         .help = {{"read -o FILE.prg", "save the unit's configuration"}},
         .options = {kOutput, kPort, kDevice, kTimeout, kLog},
         .needs = {{"-o", "--log"}},
         .needsEventLoop = true,
         .handler = readCommand},
        {.name = "program",
         .section = Section::Unit,
         .synopsis = "program (--port N | --device PATH) FILE.prg [--verify] [--no-backup] "
                     "[--log FILE.csv]",
         .help = {{"program FILE.prg [--verify]", "program the unit; --verify reads it back"},
                  {"        [--no-backup]", "(what it held is kept in the history first,"},
                  {"", "unless --no-backup is given)"}},
         .options = {kPort, kDevice, kTimeout, kLog, kVerify, kNoBackup},
         .fewestWords = 1,
         .mostWords = 1,
         .needsEventLoop = true,
         .handler = programCommand},
        {.name = "batch",
         .section = Section::Unit,
         .synopsis = "batch (FILE.prg --number-from N --count C [--job NAME] | --job NAME) "
                     "(--port N[,N...] | --device PATH ...) [--verify] [--backup] [--store "
                     "URL|FILE.sqlite] "
                     "[--station NAME] [--operator NAME] [--log FILE.csv]",
         .help = {{"batch FILE.prg --number-from N --count C [--job NAME] [--verify]"},
                  {"batch --job NAME [--verify]",
                   "program unit after unit on every port of the jig"},
                  {"      [--store URL|FILE.sqlite]",
                   "at once (--port 1,2,3 or --device repeated), each"},
                  {"      [--station NAME]", "taking the lowest free number of the job from the"},
                  {"      [--operator NAME]", "production store (default ~/.local/share/velmora/"},
                  {"      [--log FILE.csv]", "production.sqlite; postgresql://... for a line of"},
                  {"", "several PCs); --log keeps a CSV copy; --backup"},
                  {"", "keeps what each unit held before its frame"}},
         .options = {{"--port", Takes::WholeList, kFirstPort, kLastPort, "port numbers"},
                     {"--device", Takes::Repeated},
                     kTimeout,
                     {"--number-from", Takes::Whole, 0, kHighestPeripheralNumber, "a whole number"},
                     {"--count", Takes::Whole, 1, kHighestPeripheralNumber, "a whole number"},
                     {"--job", Takes::Text},
                     kStore,
                     kStation,
                     kOperator,
                     kLog,
                     kVerify,
                     {"--backup", Takes::Switch}},
         .mostWords = 1,
         .needsEventLoop = true,
         .handler = batchCommand},
        {.name = "job",
         .section = Section::Store,
         .synopsis = "job (create NAME FILE.prg --numbers FIRST-LAST | list | show NAME | "
                     "close NAME) [--store URL|FILE.sqlite] [--station NAME] [--operator NAME]",
         .help = {{"job create NAME FILE.prg --numbers FIRST-LAST"},
                  {"", "a job: the file's image and a range of numbers"},
                  {"job list | job show NAME | job close NAME"},
                  {"", "the jobs; one job's numbers by state and station"}},
         .options = {{"--numbers", Takes::Text}, kStore, kStation, kOperator},
         .fewestWords = 1,
         .needsEventLoop = true,
         .handler = jobCommand},
        {.name = "record",
         .section = Section::Store,
         .synopsis = "record (export [--job NAME] [-o FILE.csv] | show NUMBER [--job NAME] | "
                     "import FILE.csv --job NAME) [--store URL|FILE.sqlite]",
         .help = {{"record export [--job NAME] [-o FILE.csv]"},
                  {"", "every number handed out, as a CSV record"},
                  {"record show NUMBER [--job NAME]", "what went into the unit holding the number"},
                  {"record import FILE.csv --job NAME"},
                  {"", "an older record's sent numbers, spent in the job"}},
         .options = {{"--job", Takes::Text}, kOutput, kStore},
         .fewestWords = 1,
         .needsEventLoop = true,
         .handler = recordCommand},
        {.name = "history",
         .section = Section::Store,
         .synopsis = "history [list] [--device D] [--number N] [--since DATE] [--json] | "
                     "history (show ID [--json] | save ID -o FILE.prg | diff ID1 ID2 | "
                     "restore ID (--port N | --device PATH) [--no-backup]) "
                     "[--store URL|FILE.sqlite]",
         .help = {{"history [--device D] [--number N] [--since DATE]"},
                  {"", "every configuration sent to a unit or read from one"},
                  {"history show ID | history save ID -o FILE.prg"},
                  {"", "an entry's parameters; an entry as a programming file"},
                  {"history diff ID1 ID2", "the parameters two entries hold differently"},
                  {"history restore ID --port N", "program an entry's bytes back, with a verify"}},
         // A unit read may carry any 16-bit number, not only one the window sends.
         .options = {{"--device", Takes::Text},
                     {"--number", Takes::Whole, 0, 65535, "a whole number"},
                     {"--since", Takes::Text},
                     kJson,
                     kOutput,
                     kPort,
                     kTimeout,
                     kNoBackup,
                     kStore},
         .needsEventLoop = true,
         .handler = historyCommand},
        {.name = "ports",
         .section = Section::Ports,
         .synopsis = "ports [--json] | ports map N DEVICE [--force] | ports unmap N | "
                     "ports probe [N ...]",
         .help = {{"ports [--json]", "the serial ports and what ports 1 to 8 open"},
                  {"ports map N DEVICE [--force]",
                   "save DEVICE (a path or a listed name) as port N"},
                  {"ports unmap N", "forget port N"},
                  {"ports probe [N ...]", "which ports have a unit answering the poll"}},
         .options = {kJson, {"--force", Takes::Switch}},
         .needsEventLoop = true,
         .handler = portsCommand},
    };
    return kVerbs;
}

const Verb* findVerb(std::string_view name) {
    for (const Verb& verb : verbs())
        if (verb.name == name)
            return &verb;
    return nullptr;
}

std::string usageOf(const Verb& verb) {
    return "usage: velmora-cli " + std::string(verb.synopsis);
}

} // namespace velmora::cli
