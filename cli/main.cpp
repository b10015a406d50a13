// velmora-cli: the window's knowledge of a unit's configuration, scripted.
#include "cli/verb_arguments.h"
#include "cli/verb_table.h"

#include <QCoreApplication>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

using namespace velmora::cli;

int main(int argc, char** argv) {
    const std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty()) {
        std::cerr << helpText();
        return exitCode(ExitStatus::BadInput);
    }
    const bool helpAsked = std::find(words.begin(), words.end(), "--help") != words.end();
    if (helpAsked || words[0] == "-h" || words[0] == "help") {
        std::cout << helpText();
        return exitCode(ExitStatus::Done);
    }
    if (words[0] == "--version") {
        std::cout << "velmora-cli " << VELMORA_VERSION << "\n";
        return exitCode(ExitStatus::Done);
    }
    const Verb* verb = findVerb(words[0]);
    if (verb == nullptr) {
        const ExitStatus status =
            report(std::cerr, badInput("unknown command \"" + words[0] + "\""));
        std::cerr << "\n" << helpText();
        return exitCode(status);
    }
    const auto arguments = checkArguments(*verb, {words.begin() + 1, words.end()});
    if (!arguments)
        return exitCode(report(std::cerr, arguments.error()));
    if (!verb->needsEventLoop)
        return exitCode(verb->handler(*arguments, std::cout, std::cerr));
    QCoreApplication application(argc, argv);
    return exitCode(verb->handler(*arguments, std::cout, std::cerr));
}
