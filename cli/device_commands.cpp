#include "cli/device_commands.h"

#include "cli/device_line.h"
#include "cli/form_loading.h"
#include "cli/verification.h"
#include "progfile/programming_file_saving.h"
#include "protocol/image_decode.h"

#include <cstdio>

namespace velmora::cli {
namespace {

void print(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

} // namespace

ExitStatus readCommand(const Arguments& arguments) {
    const auto target = arguments.options.find("-o");
    if (!arguments.plain.empty() || target == arguments.options.end())
        return report({ExitStatus::BadInput,
                       "usage: velmora-cli read (--port N | --device PATH) -o FILE.prg"});
    const auto opened = openLine(arguments);
    if (const auto* failure = std::get_if<Failure>(&opened))
        return report(*failure);
    const LineChoice& choice = std::get<OpenLine>(opened).choice;
    UnitSession& session = *std::get<OpenLine>(opened).session;

    const std::variant<Image, LineTrouble> held = session.read();
    if (const auto* trouble = std::get_if<LineTrouble>(&held))
        return report(troubleFailure(*trouble, choice, "the read request"));
    const Image& image = std::get<Image>(held);
    const Result<bool> saved = saveProgrammingFile(target->second, programmingFrame(image));
    if (!saved)
        return report({ExitStatus::BadInput, describe(saved.problems())});
    // The file keeps what the unit holds, even an image the window would not import.
    const Result<DecodedImage> decoded = decodeImage(image, ImageSource::FileImport);
    if (!decoded)
        std::fprintf(stderr, "velmora-cli: warning: the window would refuse %s: %s\n",
                     target->second.c_str(), describe(decoded.problems()).c_str());
    return ExitStatus::Done;
}

ExitStatus programCommand(const Arguments& arguments) {
    if (arguments.plain.size() != 1)
        return report({ExitStatus::BadInput, "usage: velmora-cli program (--port N | --device "
                                             "PATH) FILE.prg [--verify]"});
    const std::string& path = arguments.plain[0];
    const Result<LoadedFile> loaded = loadConfiguration(path);
    if (!loaded)
        return report({ExitStatus::BadInput, path + ": " + describe(loaded.problems())});
    // The window programs only a form that passes its range check and encodes.
    if (const Result<Frame> checked = frameOfForm(loaded->form); !checked)
        return report({ExitStatus::BadInput, path + ": " + describe(checked.problems())});
    const auto opened = openLine(arguments);
    if (const auto* failure = std::get_if<Failure>(&opened))
        return report(*failure);
    const LineChoice& choice = std::get<OpenLine>(opened).choice;
    UnitSession& session = *std::get<OpenLine>(opened).session;

    // The file's own image, in a frame with the start and end bytes the unit expects.
    const Image image = imageOfFrame(loaded->frame);
    if (const auto trouble = session.program(programmingFrame(image)))
        return report(troubleFailure(*trouble, choice, "the programming frame"));
    if (!arguments.has("--verify")) {
        print("programmed");
        return ExitStatus::Done;
    }
    const auto checked = readBack(session, image);
    if (const auto* trouble = std::get_if<LineTrouble>(&checked))
        return report(troubleFailure(*trouble, choice, "the read request after programming"));
    const auto& found = std::get<std::vector<Difference>>(checked);
    if (found.empty()) {
        print("programmed and verified");
        return ExitStatus::Done;
    }
    for (const Difference& difference : found)
        print(describeReadBack(difference));
    return report({ExitStatus::Differs, "verify failed: the unit acknowledged but holds " +
                                            std::to_string(found.size()) + " different value(s)"});
}

} // namespace velmora::cli
