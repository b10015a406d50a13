#pragma once

#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace velmora {

// One thing wrong with an input, named so that an operator can find it:
// `field` is the control name ("Txtnumero", "Text2(3)") or a place in a file
// ("riga 12"), `message` a plain Italian sentence for the window and the CLI.
struct Problem {
    std::string field;
    std::string message;
};

using Problems = std::vector<Problem>;

// Joins problems into one text, one per line.
std::string describe(const Problems& problems);

// A value or the non-empty list of reasons why there is none. Decoding, encoding and
// file reading return this and never half-apply.
template <typename T> class Result {
public:
    Result(T value) : content_(std::move(value)) {}
    Result(Problems problems) : content_(std::move(problems)) {}
    Result(Problem problem) : content_(Problems{std::move(problem)}) {}

    bool ok() const { return std::holds_alternative<T>(content_); }
    explicit operator bool() const { return ok(); }

    const T& value() const { return std::get<T>(content_); }
    T& value() { return std::get<T>(content_); }
    const T& operator*() const { return value(); }
    const T* operator->() const { return &value(); }

    const Problems& problems() const { return std::get<Problems>(content_); }

private:
    std::variant<T, Problems> content_;
};

} // namespace velmora
