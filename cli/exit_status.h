#pragma once

#include "values/result.h"

#include <ostream>
#include <string>

namespace velmora::cli {

// What the program tells its caller; scripts on the production line test these.
enum class ExitStatus : int {
    Done = 0,
    Differs = 1,       // the files differ, a verify found another image, a unit of a batch failed
    BadInput = 2,      // bad arguments, a file the window would refuse, a value it would not take
    NoAnswer = 3,      // the unit did not answer in time, or not as it should
    PortUnusable = 4,  // the port could not be opened, or was lost while in use
    RecordFailed = 5,  // the --log record could not be written, or another run holds it
    Interrupted = 130, // Ctrl-C or a termination request; the summary says what was left
};

// A command that could not do its work: the status and a sentence for standard error.
struct Failure {
    ExitStatus status;
    std::string message;
};

// Arguments, a file or a value the command cannot take.
inline Failure badInput(std::string message) {
    return {ExitStatus::BadInput, std::move(message)};
}

// A command's step: its value, or the failure that ends the command.
template <typename T> using Step = Result<T, Failure>;

// Says "velmora-cli: message" on `err` and gives the status back: the one way a command
// tells why it stopped.
inline ExitStatus report(std::ostream& err, const Failure& failure) {
    err << "velmora-cli: " << failure.message << "\n" << std::flush;
    return failure.status;
}

inline int exitCode(ExitStatus status) {
    return static_cast<int>(status);
}

} // namespace velmora::cli
