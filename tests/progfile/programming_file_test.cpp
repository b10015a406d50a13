#include "progfile/programming_file.h"
#include "protocol/config_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <tuple>

#ifndef _WIN32
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#endif

namespace velmora {
namespace {

// The file saved right after programming the form as it stands after start-up: a line
// per frame byte with a blank either side; the 64 range bytes are all 0.
const std::string kStartUpFile = [] {
    std::string text =
        " 170 \r\n 0 \r\n 0 \r\n 0 \r\n 1 \r\n 0 \r\n 0 \r\n 0 \r\n 255 \r\n 80 \r\n"
        " 0 \r\n 200 \r\n 0 \r\n 226 \r\n 96 \r\n 5 \r\n 5 \r\n 65 \r\n 63 \r\n 63 \r\n"
        " 0 \r\n 5 \r\n 0 \r\n 0 \r\n 24 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 65 \r\n 65 \r\n"
        " 65 \r\n 65 \r\n";
    for (int rangeByte = 0; rangeByte < 64; ++rangeByte)
        text += " 0 \r\n";
    return text + " 85 \r\n";
}();

Frame startUpFrame() {
    return programmingFrame(*encodeImage(ParameterSet{}));
}

// The values first..end-1, each followed by `separator`.
std::string valuesText(int first, int end, const std::string& separator = "\r\n") {
    std::string text;
    for (int i = first; i < end; ++i)
        text += std::to_string(i) + separator;
    return text;
}

// 0, 1, 2 ... 97 with a few bytes changed.
Frame counting(std::initializer_list<std::pair<std::size_t, int>> changes = {}) {
    Frame frame{};
    for (std::size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<std::uint8_t>(i);
    for (const auto& [i, value] : changes)
        frame[i] = static_cast<std::uint8_t>(value);
    return frame;
}

Result<Frame> read(const std::string& text) {
    std::istringstream in(text);
    return readProgrammingFile(in);
}

TEST(ProgrammingFile, WritesOneSpacedLinePerFrameByte) {
    EXPECT_EQ(formatProgrammingFile(startUpFrame()), kStartUpFile);
    Frame widest{};
    widest.fill(255);
    EXPECT_EQ(formatProgrammingFile(widest).size(), 98u * 7);
}

TEST(ProgrammingFile, AcceptedShapes) {
    std::string zeroEnds = kStartUpFile;
    zeroEnds.replace(0, 5, " 0 ");
    zeroEnds.replace(zeroEnds.size() - 6, 4, " 0 ");
    Frame zeroEndsFrame = startUpFrame();
    zeroEndsFrame.front() = zeroEndsFrame.back() = 0;
    const std::string longest = std::string(kLongestProgrammingFileValue - 2, '0') + "12";
    Frame shifted = counting();
    std::copy_backward(shifted.begin() + 3, shifted.end() - 1, shifted.end());
    shifted[3] = 0;

    const std::tuple<const char*, std::string, Frame> rows[] = {
        {"as written", kStartUpFile, startUpFrame()},
        {"zero instead of 170 and 85", zeroEnds, zeroEndsFrame},
        {"one per line", valuesText(0, 98), counting()},
        {"99 values", valuesText(0, 99), counting()},
        {"all on one line", valuesText(0, 98, ","), counting()},
        {"commas and line ends mixed", valuesText(0, 98, ",\r\n"), counting()},
        {"blanks around values", valuesText(0, 98, " \t,  "), counting()},
        {"unix line ends", valuesText(0, 98, "\n"), counting()},
        {"no line end after the last value", valuesText(0, 97) + "97", counting()},
        {"blank line shifts the rest", valuesText(0, 3) + "\r\n" + valuesText(3, 100), shifted},
        {"empty field between commas", "0,1,2,," + valuesText(3, 100, ","), shifted},
        {"rounding half to even", "12.5\n13.5\n-0.5\n255.4\n+7\n.5\n" + valuesText(6, 98),
         counting({{0, 12}, {1, 14}, {2, 0}, {3, 255}, {4, 7}, {5, 0}})},
        {"byte-order mark", "\xEF\xBB\xBF" + kStartUpFile, startUpFrame()},
        {"33 zeros", std::string(33, '0') + "\r\n" + valuesText(1, 98), counting()},
        {"longest value", " " + longest + " \r\n" + valuesText(1, 98), counting({{0, 12}})},
        {"line of 100000 blanks", std::string(100000, ' ') + valuesText(0, 98), counting()},
    };
    for (const auto& [name, text, expected] : rows) {
        const Result<Frame> frame = read(text);
        ASSERT_TRUE(frame.ok()) << name << ": " << describe(frame.problems());
        EXPECT_EQ(*frame, expected) << name;
    }
}

TEST(ProgrammingFile, RefusedFiles) {
    std::string withWord = valuesText(0, 98);
    withWord.replace(withWord.find("\n11\r"), 4, "\nundici\r"); // line 12
    const std::string rest = valuesText(0, 98);
    const std::pair<std::string, const char*> rows[] = {
        {"256\r\n" + rest, "riga 1"},
        {"0\r\n-1\r\n" + rest, "riga 2"},
        {"255.5\r\n" + rest, "riga 1"},
        {withWord, "riga 12"},
        {"1 2\r\n" + rest, "riga 1"},
        {"1e2\r\n" + rest, "riga 1"},
        {"-\r\n" + rest, "riga 1"},
        {"1.2.3\r\n" + rest, "riga 1"},
        {valuesText(0, 97), "riga 98"},
        {valuesText(0, 97, ","), "riga 1"},
        {"", "riga 1"},
        {"   ", "riga 1"},
        {"1\r\n0" + std::string(kLongestProgrammingFileValue, '0') + "\r\n" + rest, "riga 2"},
        {"0\r\n\xEF\xBB\xBF" + rest, "riga 2"},
        {"\xEF\xBB" + rest, "riga 1"},
    };
    for (const auto& [text, field] : rows) {
        const Result<Frame> frame = read(text);
        ASSERT_FALSE(frame.ok()) << text.substr(0, 20);
        EXPECT_EQ(frame.problems().at(0).field, field) << text.substr(0, 20);
    }
    EXPECT_EQ(read(withWord).problems().at(0).message, "Riga 12: \"undici\" non è un numero");
}

TEST(ProgrammingFile, ReadsNothingAfterThe98thValue) {
    for (const std::string separator : {"\r\n", ","}) {
        std::istringstream in(valuesText(0, 98, separator) + "rest");
        ASSERT_TRUE(readProgrammingFile(in).ok());
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "rest") << separator;
    }
}

#ifndef _WIN32
// Only a regular file is read, and a path that is anything else is refused at once:
// a named pipe without a writer would otherwise block the open until someone writes.
TEST(ProgrammingFile, LoadsOnlyRegularFilesAndNeverWaits) {
    const auto directory =
        std::filesystem::temp_directory_path() / ("velmora-core-" + std::to_string(::getpid()));
    std::filesystem::remove_all(directory);
    std::filesystem::create_directories(directory / "cartella");
    std::ofstream(directory / "unita.prg", std::ios::binary) << kStartUpFile;
    std::filesystem::create_symlink("unita.prg", directory / "collegamento.prg");
    ASSERT_EQ(::mkfifo((directory / "pipe.prg").c_str(), 0600), 0);
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (directory / "socket.prg").string();
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    // Should a load wait on the pipe, this writer ends the wait after two seconds, so that
    // the test fails on its clock instead of hanging.
    std::atomic<bool> done{false};
    std::thread unblocker([&] {
        for (int i = 0; i < 40 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!done)
            ::close(::open((directory / "pipe.prg").c_str(), O_RDWR | O_NONBLOCK));
    });
    const std::pair<std::filesystem::path, const char*> rows[] = {
        {directory / "unita.prg", nullptr},
        {directory / "collegamento.prg", nullptr},
        {directory / "pipe.prg", "è una pipe con nome (FIFO), non un file"},
        {directory / "socket.prg", "è un socket, non un file"},
        {directory / "cartella", "è una cartella, non un file"},
        {"/dev/zero", "è un dispositivo, non un file"},
        {directory / "assente.prg", "file o cartella inesistente"},
    };
    for (const auto& [path, cause] : rows) {
        const auto started = std::chrono::steady_clock::now();
        const Result<Frame> frame = loadProgrammingFile(path);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500))
            << path;
        if (!cause) {
            ASSERT_TRUE(frame.ok()) << path << ": " << describe(frame.problems());
            EXPECT_EQ(*frame, startUpFrame());
        } else {
            ASSERT_FALSE(frame.ok()) << path;
            EXPECT_EQ(frame.problems().at(0).message,
                      "Impossibile aprire il file \"" + path.string() + "\": " + cause);
        }
    }
    done = true;
    unblocker.join();
    ::close(listening);
    std::filesystem::remove_all(directory);
}
#endif // named pipes, sockets and character devices are POSIX files

} // namespace
} // namespace velmora
