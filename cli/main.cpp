// velmora-cli: the window's knowledge of a unit's configuration, scripted.
#include "cli/command_line.h"
#include "cli/device_commands.h"
#include "cli/exit_status.h"
#include "cli/file_commands.h"
#include "cli/ports_command.h"
#include "cli/store_commands.h"

#include <QCoreApplication>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace velmora;
using namespace velmora::cli;

constexpr const char* kUsage =
    "usage: velmora-cli COMMAND ...\n"
    "\n"
    "Files (.prg programming files, as the window saves and imports them):\n"
    "  show FILE.prg [--json]            every parameter, by the window's caption\n"
    "  diff A.prg B.prg                  the parameters that differ, with both values\n"
    "  set FILE.prg NAME=VALUE ... -o OUT.prg\n"
    "                                    change controls by name as the window allows:\n"
    "                                    Txtnumero=101 Combotono=123 Check1=1 Text2(3)=300\n"
    "                                    Optrete(3)=1 Option2=1 txttx=433.5\n"
    "                                    (quote names with brackets for the shell)\n"
    "\n"
    "The unit (--port N for port 1 to 8, or --device PATH; --timeout SECONDS, 0.001 to\n"
    "3600, default 2; --log FILE.csv appends one row per unit to a traceability record):\n"
    "  read -o FILE.prg                  save the unit's configuration\n"
    "  program FILE.prg [--verify]       program the unit; --verify reads it back\n"
    "  batch FILE.prg --number-from N --count C [--job NAME] [--verify]\n"
    "  batch --job NAME [--verify]       program unit after unit on every port of the jig\n"
    "        [--store URL|FILE.sqlite]   at once (--port 1,2,3 or --device repeated), each\n"
    "        [--station NAME]            taking the lowest free number of the job from the\n"
    "        [--operator NAME]           production store (default ~/.local/share/velmora/\n"
    "        [--log FILE.csv]            production.sqlite; postgresql://... for a line of\n"
    "                                    several PCs); --log keeps a CSV copy\n"
    "\n"
    "The production store (--store URL|FILE.sqlite, as for batch):\n"
    "  job create NAME FILE.prg --numbers FIRST-LAST\n"
    "                                    a job: the file's image and a range of numbers\n"
    "  job list | job show NAME | job close NAME\n"
    "                                    the jobs; one job's numbers by state and station\n"
    "  record export [--job NAME] [-o FILE.csv]\n"
    "                                    every number handed out, as a CSV record\n"
    "  record show NUMBER [--job NAME]   what went into the unit holding the number\n"
    "\n"
    "Ports (port N is VELMORA_COM<N> when set, else the saved map, else /dev/ttyS<N-1>):\n"
    "  ports [--json]                    the serial ports and what ports 1 to 8 open\n"
    "  ports map N DEVICE [--force]      save DEVICE (a path or a listed name) as port N\n"
    "  ports unmap N                     forget port N\n"
    "  ports probe [N ...]               which ports have a unit answering the poll\n"
    "\n"
    "Exit status: 0 done, 1 a difference or a failed verify, 2 bad input,\n"
    "3 no answer from the unit (or not a configuration), 4 the port could not be\n"
    "opened, 5 the --log record or the production store could not be written,\n"
    "130 interrupted (Ctrl-C).\n";

using ConsoleCommand = ExitStatus (*)(const Arguments&, std::ostream&, std::ostream&);

// A command that writes to given streams, run on the program's own.
template <ConsoleCommand command> ExitStatus onConsole(const Arguments& arguments) {
    return command(arguments, std::cout, std::cerr);
}

struct Command {
    const char* name;
    Accepted accepted;
    bool needsEventLoop;
    ExitStatus (*handle)(const Arguments&);
};

const std::vector<Command>& commands() {
    static const std::vector<Command> kCommands{
        {"show", {{}, {"--json"}}, false, onConsole<showCommand>},
        {"diff", {{}, {}}, false, onConsole<diffCommand>},
        {"set", {{"-o"}, {}}, false, onConsole<setCommand>},
        {"read", {{"-o", "--port", "--device", "--timeout", "--log"}, {}}, true, readCommand},
        {"program",
         {{"--port", "--device", "--timeout", "--log"}, {"--verify"}},
         true,
         programCommand},
        {"batch",
         {{"--port", "--device", "--timeout", "--number-from", "--count", "--log", "--resume",
           "--job", "--store", "--station", "--operator"},
          {"--verify"},
          {"--device"}},
         true,
         batchCommand},
        {"ports", {{}, {"--json", "--force"}}, true, onConsole<portsCommand>},
        {"job", {{"--numbers", "--store", "--station", "--operator"}, {}}, true, jobCommand},
        {"record", {{"--job", "-o", "--store"}, {}}, true, recordCommand},
    };
    return kCommands;
}

} // namespace

int main(int argc, char** argv) {
#ifndef _WIN32
    // A reader that went away (| head, a killed tee) makes writes fail, never ends the
    // program in the middle of its store work.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    const std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty()) {
        std::fputs(kUsage, stderr);
        return exitCode(ExitStatus::BadInput);
    }
    const bool helpAsked = std::find(words.begin(), words.end(), "--help") != words.end();
    if (helpAsked || words[0] == "-h" || words[0] == "help") {
        std::fputs(kUsage, stdout);
        return exitCode(ExitStatus::Done);
    }
    if (words[0] == "--version") {
        std::printf("velmora-cli %s\n", VELMORA_VERSION);
        return exitCode(ExitStatus::Done);
    }
    for (const Command& command : commands()) {
        if (words[0] != command.name)
            continue;
        const Result<Arguments> arguments =
            parseArguments({words.begin() + 1, words.end()}, command.accepted);
        if (!arguments)
            return refuseArguments(("velmora-cli " + words[0]).c_str(), arguments.problems());
        if (!command.needsEventLoop)
            return exitCode(command.handle(*arguments));
        QCoreApplication application(argc, argv);
        return exitCode(command.handle(*arguments));
    }
    std::fprintf(stderr, "velmora-cli: unknown command \"%s\"\n\n%s", words[0].c_str(), kUsage);
    return exitCode(ExitStatus::BadInput);
}
