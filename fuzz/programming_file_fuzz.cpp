// Arbitrary bytes as a programming file. A file that reads must write back to a file
// that reads to the same frame, and the written file must have its fixed shape.
#include "fuzz_check.h"
#include "progfile/programming_file.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

namespace {

constexpr std::size_t kBlanksAndLineEnds = 4; // " v \r\n"

std::size_t digitCount(std::uint8_t value) {
    return value >= 100 ? 3 : value >= 10 ? 2 : 1;
}

velmora::Result<velmora::Frame> readText(const std::string& text) {
    std::istringstream in(text);
    return velmora::readProgrammingFile(in);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const velmora::Result<velmora::Frame> read =
        readText(std::string(reinterpret_cast<const char*>(data), size));
    if (!read.ok()) {
        FUZZ_CHECK(!read.problems().empty());
        for (const velmora::Problem& problem : read.problems())
            FUZZ_CHECK(problem.field.rfind("riga ", 0) == 0 && !problem.message.empty());
        return 0;
    }
    const velmora::Frame& frame = read.value();

    const std::string written = velmora::formatProgrammingFile(frame);
    std::size_t expectedSize = 0;
    for (const std::uint8_t value : frame)
        expectedSize += kBlanksAndLineEnds + digitCount(value);
    FUZZ_CHECK(written.size() == expectedSize);

    const velmora::Result<velmora::Frame> reread = readText(written);
    FUZZ_CHECK(reread.ok());
    FUZZ_CHECK(reread.value() == frame);
    return 0;
}
