#pragma once

#include "values/result.h"

#include <string>

namespace velmora::exchange {

// How a piece of work on a unit or its record ended, as the program tells its caller;
// scripts on the production line test these numbers.
enum class ExitStatus : int {
    Done = 0,
    Differs = 1,       // the files differ, a verify found another image, a unit of a batch failed
    BadInput = 2,      // bad arguments, a file the window would refuse, a value it would not take
    NoAnswer = 3,      // the unit did not answer in time, or not as it should
    PortUnusable = 4,  // the port could not be opened, or was lost while in use
    RecordFailed = 5,  // the --log record could not be written, or another run holds it
    Interrupted = 130, // Ctrl-C or a termination request; the summary says what was left
};

// Work that could not be done: the status and a sentence for the operator.
struct Failure {
    ExitStatus status;
    std::string message;
};

// Arguments, a file or a value the work cannot take.
inline Failure badInput(std::string message) {
    return {ExitStatus::BadInput, std::move(message)};
}

// A step of the work: its value, or the failure that ends it.
template <typename T> using Step = Result<T, Failure>;

} // namespace velmora::exchange
