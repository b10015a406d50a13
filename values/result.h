#pragma once

#include <string>
#include <type_traits>
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

// Members that only the list-of-problems form offers.
template <typename Trouble> using ForProblems = std::enable_if_t<std::is_same_v<Trouble, Problems>>;

// A value, or why there is none. Decoding, encoding and file reading return this and
// never half-apply. The reasons are a list of problems unless a layer has a richer
// account of its own (the link's open failure, the command line's exit status).
template <typename T, typename Trouble = Problems> class Result {
public:
    Result(T value) : content_(std::in_place_index<0>, std::move(value)) {}
    Result(Trouble trouble) : content_(std::in_place_index<1>, std::move(trouble)) {}
    template <typename Same = Trouble, typename = ForProblems<Same>>
    Result(Problem problem) : content_(std::in_place_index<1>, Problems{std::move(problem)}) {}

    bool ok() const { return content_.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const { return std::get<0>(content_); }
    T& value() { return std::get<0>(content_); }
    const T& operator*() const { return value(); }
    T& operator*() { return value(); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }

    const Trouble& error() const { return std::get<1>(content_); }
    template <typename Same = Trouble, typename = ForProblems<Same>>
    const Problems& problems() const {
        return error();
    }

private:
    std::variant<T, Trouble> content_;
};

// Done, or why not: the form of Result for work that gives nothing back.
template <typename Trouble> class Result<void, Trouble> {
public:
    Result() = default;
    Result(Trouble trouble) : trouble_(std::move(trouble)), failed_(true) {}
    template <typename Same = Trouble, typename = ForProblems<Same>>
    Result(Problem problem) : trouble_(Problems{std::move(problem)}), failed_(true) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }

    const Trouble& error() const { return trouble_; }
    template <typename Same = Trouble, typename = ForProblems<Same>>
    const Problems& problems() const {
        return trouble_;
    }

private:
    Trouble trouble_{};
    bool failed_ = false;
};

using Status = Result<void>;

} // namespace velmora
