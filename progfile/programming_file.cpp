#include "progfile/programming_file.h"

#include "values/text_value.h"

#include <charconv>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

namespace {

// A UTF-8 byte-order mark, as some editors write it at the start of a text file.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(int c) {
    return c == ' ' || c == '\t' || c == '\r';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string lineName(int line) {
    return "riga " + std::to_string(line);
}

// Optional sign, digits with at most one point, at least one digit: nothing else.
bool isDecimal(const std::string& text) {
    std::size_t at = text.front() == '+' || text.front() == '-' ? 1 : 0;
    bool digit = false;
    bool point = false;
    for (; at < text.size(); ++at) {
        if (isDigit(text[at]))
            digit = true;
        else if (text[at] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digit;
}

// Reads the file's values one character at a time, so that a file of any size or
// shape costs no more memory than one value.
class ValueReader {
public:
    explicit ValueReader(std::istream& in) : in_(in) { skipByteOrderMark(); }

    // The next value, none at the end of the file, or the reason why there is none.
    Result<std::optional<int>> next() {
        if (afterComma_)
            skipLineEndAfterComma();
        const int valueLine = line_;
        std::string value;
        bool blankAfterValue = false;
        int c = get();
        if (c == kEndOfFile)
            return endOrProblem(std::nullopt);
        for (; c != kEndOfFile && c != ',' && c != '\n'; c = get()) {
            if (isBlank(c)) {
                blankAfterValue = !value.empty();
                continue;
            }
            if (blankAfterValue)
                return problem(valueLine,
                               "\"" + value + " " + static_cast<char>(c) + "\" non è un numero");
            value += static_cast<char>(c);
            if (value.size() > kLongestProgrammingFileValue)
                return problem(valueLine, "valore troppo lungo (più di " +
                                              std::to_string(kLongestProgrammingFileValue) +
                                              " caratteri)");
        }
        if (in_.bad())
            return problem(line_, "errore di lettura");
        if (c == kEndOfFile && value.empty())
            return endOrProblem(std::nullopt);
        afterComma_ = c == ',';
        return parsed(value, valueLine);
    }

    int line() const { return line_; }

private:
    static constexpr int kEndOfFile = -1;

    // Skips a byte-order mark at the very start. What was taken from the stream and
    // turned out not to be one is read again as the file's first characters.
    void skipByteOrderMark() {
        while (held_.size() < kByteOrderMark.size() &&
               in_.peek() == static_cast<unsigned char>(kByteOrderMark[held_.size()]))
            held_ += static_cast<char>(in_.get());
        if (held_ == kByteOrderMark)
            held_.clear();
    }

    int get() {
        int c = kEndOfFile;
        if (!held_.empty()) {
            c = static_cast<unsigned char>(held_.front());
            held_.erase(0, 1);
        } else if (const int next = in_.get(); next != std::char_traits<char>::eof()) {
            c = next;
        }
        if (c == '\n')
            ++line_;
        return c;
    }

    int peek() const {
        if (!held_.empty())
            return static_cast<unsigned char>(held_.front());
        return in_.peek();
    }

    // Line ends between values are skipped: "1,\r\n2" holds two values, not three. Done
    // before the next value rather than after a comma, so nothing after the last value
    // is read.
    void skipLineEndAfterComma() {
        while (isBlank(peek()))
            get();
        if (peek() == '\n')
            get();
    }

    Result<std::optional<int>> parsed(const std::string& value, int valueLine) const {
        if (value.empty())
            return std::optional<int>{0};
        if (!isDecimal(value))
            return problem(valueLine, "\"" + value + "\" non è un numero");
        const bool negative = value.front() == '-';
        const std::size_t digits = value.front() == '+' || negative ? 1 : 0;
        double number = 0.0;
        const auto [end, error] =
            std::from_chars(value.data() + digits, value.data() + value.size(), number);
        if (error != std::errc{} || end != value.data() + value.size())
            return problem(valueLine, "\"" + value + "\" non è un numero");
        const double rounded = roundHalfEven(negative ? -number : number);
        if (!(rounded >= 0.0 && rounded <= 255.0))
            return problem(valueLine, "il valore " + value + " è fuori da 0 - 255");
        return std::optional<int>{static_cast<int>(rounded)};
    }

    Result<std::optional<int>> endOrProblem(std::optional<int> none) const {
        if (in_.bad())
            return problem(line_, "errore di lettura");
        return none;
    }

    static Problem problem(int line, const std::string& what) {
        return {lineName(line), "Riga " + std::to_string(line) + ": " + what};
    }

    std::istream& in_;
    std::string held_; // read before the stream's next character
    int line_ = 1;
    bool afterComma_ = false;
};

} // namespace

std::string formatProgrammingFile(const Frame& frame) {
    std::string text;
    for (const std::uint8_t byte : frame)
        text += " " + std::to_string(byte) + " \r\n";
    return text;
}

Result<Frame> readProgrammingFile(std::istream& in) {
    ValueReader reader(in);
    Frame frame{};
    for (std::size_t count = 0; count < frame.size(); ++count) {
        const Result<std::optional<int>> value = reader.next();
        if (!value.ok())
            return value.problems();
        if (!value.value()) {
            const int line = reader.line();
            return Problem{lineName(line), "Riga " + std::to_string(line) +
                                               ": il file finisce dopo " + std::to_string(count) +
                                               " valori, ne servono " +
                                               std::to_string(frame.size())};
        }
        frame[count] = static_cast<std::uint8_t>(**value);
    }
    return frame;
}

} // namespace velmora
