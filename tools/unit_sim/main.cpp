// velmora-unit-sim: a pseudo-terminal that behaves like the radio unit.
#include "progfile/programming_file.h"
#include "protocol/config_image.h"
#include "support/command_options.h"
#include "unit_sim/sim_loop.h"
#include "unit_sim/sim_options.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace velmora;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            std::fputs(sim::kUsage, stdout);
            return 0;
        }
    }
    const Result<sim::SimOptions> parsed = sim::parseOptions(arguments);
    if (!parsed)
        return refuseArguments("velmora-unit-sim", parsed.problems(), sim::kUsage);

    // A unit fresh from the factory holds what the window shows right after start-up.
    Result<Image> image = encodeImage(ParameterSet{});
    if (!parsed->imagePath.empty()) {
        const Result<Frame> frame = loadProgrammingFile(parsed->imagePath);
        if (!frame) {
            std::fprintf(stderr, "velmora-unit-sim: %s: %s\n", parsed->imagePath.c_str(),
                         describe(frame.problems()).c_str());
            return 2;
        }
        image = imageOfFrame(*frame);
    }
    if (!image) {
        std::fprintf(stderr, "velmora-unit-sim: %s\n", describe(image.problems()).c_str());
        return 2;
    }
    sim::SimLoop loop(*parsed, *image);
    return loop.run();
}
