#include "cli/file_commands.h"

#include "cli/assignment.h"
#include "cli/json_text.h"
#include "exchange/configuration_diff.h"
#include "exchange/form_loading.h"
#include "exchange/parameter_listing.h"
#include "progfile/programming_file_saving.h"

#include <string>

namespace velmora::cli {

// The verbs drive the exchange engine below them.
using namespace exchange;
namespace {

// The file as "Importa file" takes it; a refusal is said with the window's reasons.
Result<LoadedFile, ExitStatus> load(const std::string& path, std::ostream& err) {
    Result<LoadedFile> loaded = loadConfiguration(path);
    if (!loaded)
        return report(err, badInput(path + ": " + describe(loaded.problems())));
    return std::move(loaded.value());
}

void printDifferences(std::ostream& out, const std::vector<Difference>& found) {
    for (const Difference& difference : found)
        out << difference.caption << ": " << difference.first << " -> " << difference.second
            << "\n";
}

} // namespace

ExitStatus showCommand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const std::string& path = arguments.plain[0];
    const auto loaded = load(path, err);
    if (!loaded)
        return loaded.error();
    const Listing listing = listParameters(loaded->form);
    if (arguments.has("--json"))
        out << configurationJson(path, listing, imageOfFrame(loaded->frame));
    else
        out << formatListing(listing);
    return ExitStatus::Done;
}

ExitStatus diffCommand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const auto first = load(arguments.plain[0], err);
    if (!first)
        return first.error();
    const auto second = load(arguments.plain[1], err);
    if (!second)
        return second.error();
    const std::vector<Difference> found =
        differences(imageOfFrame(first->frame), listParameters(first->form),
                    imageOfFrame(second->frame), listParameters(second->form));
    printDifferences(out, found);
    return found.empty() ? ExitStatus::Done : ExitStatus::Differs;
}

ExitStatus setCommand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const auto target = arguments.options.find("-o");
    const std::string& path = arguments.plain[0];
    auto loaded = load(path, err);
    if (!loaded)
        return loaded.error();
    const Listing before = listParameters(loaded->form);
    for (std::size_t i = 1; i < arguments.plain.size(); ++i)
        if (const Status typed = applyAssignment(loaded->form, arguments.plain[i]); !typed)
            return report(err, badInput(describe(typed.problems()) + "; nothing written"));
    const Result<Frame> frame = frameOfForm(loaded->form);
    if (!frame)
        return report(err, badInput(describe(frame.problems()) + "; nothing written"));
    const Result<SavedFile> written = saveProgrammingFile(target->second, *frame);
    if (!written)
        return report(err, badInput(describe(written.problems())));
    if (!written->notKept.empty())
        err << "velmora-cli: " << target->second << ": " << describeNotKept(*written) << "\n";
    // What changed, as the saved file shows it, so that a script's log tells what it did.
    const Result<FormModel> reloaded = formFromImage(imageOfFrame(*frame));
    printDifferences(out, differences(imageOfFrame(loaded->frame), before, imageOfFrame(*frame),
                                      reloaded ? listParameters(*reloaded) : Listing{}));
    return ExitStatus::Done;
}

} // namespace velmora::cli
