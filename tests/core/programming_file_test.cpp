#include "progfile/programming_file.h"
#include "protocol/config_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace velmora {
namespace {

// The file saved right after programming the form as it stands after start-up.
const std::string kStartUpFile =
    " 170 \r\n 0 \r\n 0 \r\n 0 \r\n 1 \r\n 0 \r\n 0 \r\n 0 \r\n 255 \r\n 80 \r\n"
    " 0 \r\n 200 \r\n 0 \r\n 226 \r\n 96 \r\n 5 \r\n 5 \r\n 65 \r\n 63 \r\n 63 \r\n"
    " 0 \r\n 5 \r\n 0 \r\n 0 \r\n 24 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 65 \r\n 65 \r\n"
    " 65 \r\n 65 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    " 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    " 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    " 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    " 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    " 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    " 85 \r\n";

Frame startUpFrame() {
    return programmingFrame(*encodeImage(ParameterSet{}));
}

Frame countingFrame() {
    Frame frame{};
    for (std::size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<std::uint8_t>(i * 3 % 256);
    return frame;
}

// The values first..end-1, one per line, or each followed by `separator`.
std::string valuesText(int first, int end, const std::string& separator = "\r\n") {
    std::string text;
    for (int i = first; i < end; ++i)
        text += std::to_string(i) + separator;
    return text;
}

std::string valuesText(int count, const std::string& separator = "\r\n") {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += std::to_string(i) + separator;
    return text;
}

Frame firstValues(int count) {
    Frame frame{};
    for (int i = 0; i < count && i < kFrameSize; ++i)
        frame[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    return frame;
}

Result<Frame> read(const std::string& text) {
    std::istringstream in(text);
    return readProgrammingFile(in);
}

TEST(ProgrammingFile, WritesOneSpacedLinePerFrameByte) {
    const std::string text = formatProgrammingFile(startUpFrame());
    EXPECT_EQ(text, kStartUpFile);
    EXPECT_EQ(text.size(), 509u);
    Frame widest{};
    widest.fill(255);
    EXPECT_EQ(formatProgrammingFile(widest).size(), 98u * 7);
}

TEST(ProgrammingFile, ReadsWhatItWrites) {
    const Result<Frame> frame = read(kStartUpFile);
    ASSERT_TRUE(frame.ok()) << describe(frame.problems());
    EXPECT_EQ(*frame, startUpFrame());
    EXPECT_EQ(*read(formatProgrammingFile(countingFrame())), countingFrame());
}

TEST(ProgrammingFile, AcceptedShapes) {
    std::string changedEnds = kStartUpFile;
    changedEnds.replace(0, 5, " 0 ");
    changedEnds.replace(changedEnds.size() - 6, 4, " 0 ");
    Frame zeroEnds = startUpFrame();
    zeroEnds.front() = 0;
    zeroEnds.back() = 0;

    Frame shifted = firstValues(98);
    for (std::size_t i = 98; i-- > 4;)
        shifted[i] = shifted[i - 1];
    shifted[3] = 0;

    Frame rounded = firstValues(98);
    rounded[0] = 12;
    rounded[1] = 14;
    rounded[2] = 0;
    rounded[3] = 255;
    rounded[4] = 7;
    rounded[5] = 0;

    struct Row {
        const char* name;
        std::string text;
        Frame frame;
    };
    const Row rows[] = {
        {"one per line", valuesText(98), firstValues(98)},
        {"zero instead of start and end", changedEnds, zeroEnds},
        {"more than 98 values", valuesText(140), firstValues(98)},
        {"all on one line", valuesText(98, ","), firstValues(98)},
        {"commas and line ends mixed", valuesText(98, ",\r\n"), firstValues(98)},
        {"blanks around values", valuesText(98, " \t,  "), firstValues(98)},
        {"unix line ends", valuesText(98, "\n"), firstValues(98)},
        {"no line end after the last value", valuesText(97) + "97", firstValues(98)},
        {"blank line shifts the rest", valuesText(3) + "\r\n" + valuesText(3, 100), shifted},
        {"empty field between commas", "0,1,2,," + valuesText(3, 100, ","), shifted},
        {"rounding half to even", "12.5\n13.5\n-0.4\n255.4\n+7\n.4\n" + valuesText(6, 98), rounded},
    };
    for (const Row& row : rows) {
        const Result<Frame> frame = read(row.text);
        ASSERT_TRUE(frame.ok()) << row.name << ": " << describe(frame.problems());
        EXPECT_EQ(*frame, row.frame) << row.name;
    }
}

TEST(ProgrammingFile, RefusedFiles) {
    std::string withWord = valuesText(98);
    withWord.replace(withWord.find("\n11\r"), 4, "\nundici\r"); // line 12

    struct Row {
        const char* name;
        std::string text;
        const char* field;
    };
    const Row rows[] = {
        {"256", "256\r\n" + valuesText(98), "riga 1"},
        {"minus one", "0\r\n-1\r\n" + valuesText(98), "riga 2"},
        {"half rounds to 256", "255.5\r\n" + valuesText(98), "riga 1"},
        {"a word", withWord, "riga 12"},
        {"blank inside a value", "1 2\r\n" + valuesText(98), "riga 1"},
        {"exponent", "1e2\r\n" + valuesText(98), "riga 1"},
        {"sign only", "-\r\n" + valuesText(98), "riga 1"},
        {"two points", "1.2.3\r\n" + valuesText(98), "riga 1"},
        {"97 values", valuesText(97), "riga 98"},
        {"97 values and a trailing comma", valuesText(97, ","), "riga 1"},
        {"empty file", "", "riga 1"},
        {"blanks only", "   ", "riga 1"},
        {"value too long", std::string(33, '0') + "1\r\n" + valuesText(98), "riga 1"},
        {"line too long", "1\r\n" + std::string(5000, ' ') + "2\r\n" + valuesText(98), "riga 2"},
    };
    for (const Row& row : rows) {
        const Result<Frame> frame = read(row.text);
        ASSERT_FALSE(frame.ok()) << row.name;
        EXPECT_EQ(frame.problems().at(0).field, row.field) << row.name;
    }
    EXPECT_EQ(read(withWord).problems().at(0).message, "Riga 12: \"undici\" non è un numero");
}

TEST(ProgrammingFile, ReadsNothingAfterThe98thValue) {
    for (const std::string separator : {"\r\n", ","}) {
        std::istringstream in(valuesText(98, separator) + "rest");
        ASSERT_TRUE(readProgrammingFile(in).ok());
        const std::string rest(std::istreambuf_iterator<char>(in), {});
        EXPECT_EQ(rest, "rest") << separator;
    }
    std::istringstream wide(valuesText(98) + std::string(10000, 'x'));
    EXPECT_TRUE(readProgrammingFile(wide).ok());
}

class ProgrammingFileOnDisk : public testing::Test {
protected:
    void SetUp() override {
        directory_ = std::filesystem::temp_directory_path() /
                     ("velmora-core-" +
                      std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(directory_);
        std::filesystem::create_directories(directory_);
    }
    void TearDown() override { std::filesystem::remove_all(directory_); }

    std::size_t entries() const {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(directory_),
                          std::filesystem::directory_iterator{}));
    }

    std::filesystem::path directory_;
};

TEST_F(ProgrammingFileOnDisk, SaveReplacesTheTargetWhole) {
    const std::filesystem::path target = directory_ / "unita.prg";
    {
        std::ofstream old(target, std::ios::binary);
        old << std::string(4000, '9');
    }
    ASSERT_TRUE(saveProgrammingFile(target, startUpFrame()).ok());
    std::ifstream in(target, std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(text, kStartUpFile);
    EXPECT_EQ(entries(), 1u);

    const Result<Frame> loaded = loadProgrammingFile(target);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(*loaded, startUpFrame());
}

TEST_F(ProgrammingFileOnDisk, FailedSaveLeavesNothing) {
    const Result<bool> missingDirectory =
        saveProgrammingFile(directory_ / "manca" / "unita.prg", startUpFrame());
    EXPECT_FALSE(missingDirectory.ok());
    EXPECT_FALSE(std::filesystem::exists(directory_ / "manca"));

    const std::filesystem::path occupied = directory_ / "cartella";
    std::filesystem::create_directory(occupied);
    EXPECT_FALSE(saveProgrammingFile(occupied, startUpFrame()).ok());
    EXPECT_TRUE(std::filesystem::is_directory(occupied));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(ProgrammingFileOnDisk, LoadFailures) {
    EXPECT_FALSE(loadProgrammingFile(directory_ / "assente.prg").ok());
    const std::filesystem::path shortFile = directory_ / "corto.prg";
    std::ofstream(shortFile, std::ios::binary) << valuesText(97);
    const Result<Frame> loaded = loadProgrammingFile(shortFile);
    ASSERT_FALSE(loaded.ok());
    EXPECT_EQ(loaded.problems().at(0).field, "riga 98");
}

} // namespace
} // namespace velmora
