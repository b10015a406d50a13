#include "cli/file_commands.h"
#include "cli_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora::cli {
namespace {

using namespace cli_test;

TEST(ShowCommand, ListsAWindowSavedFileByCaption) {
    Folder folder;
    const auto file = folder.save("busy.prg", windowAfter(kBusyWindow));
    const CommandRun shown = run(showCommand, {file.string()});
    ASSERT_EQ(shown.status, ExitStatus::Done) << shown.err;
    for (const char* line :
         {"Numero periferico: 101\n", "Tono subaudio: 123\n", "Frequenza TX: 433.5000\n",
          "Frequenza RX: 460\n", "Posizione manca rete: 3\n", "Posizione batt.scar.: 5\n",
          "Funzione centralina: sì\n", "Beep ON: sì\n", "Posizione Ins/DIS: 6\n",
          "Tempo sirena: 30\n", "Input DIRETTI: 2 1\n", "Monodirezionali Range 1: 0 - 0\n",
          "Bidirezionali Range 2: 300 - 1200\n", "Modificatori: 0 / 0\n"})
        EXPECT_TRUE(holds(shown.out, line));
    EXPECT_EQ(std::count(shown.out.begin(), shown.out.end(), '\n'), 21 + 16);

    const CommandRun json = run(showCommand, {file.string()}, {}, {"--json"});
    EXPECT_TRUE(holds(json.out, R"({"caption": "Numero periferico", "controls": ["Txtnumero"], )"
                                R"("value": "101"})"));
    EXPECT_TRUE(holds(json.out, R"("image": [0, 1, 0, 1, 0, 0, 0, 17, )"));
}

// Every command that reads a file takes it as the window's import does and refuses what
// the import refuses, with its reason; which files those are is the core's to prove.
TEST(FileCommands, RefuseWhatTheWindowRefusesWithItsReason) {
    Folder folder;
    const std::string good = windowFileText(windowAfter());
    writeText(folder / "short.prg", good.substr(0, good.rfind(" 85 ")));
    writeText(folder / "tone.prg", std::string(good).replace(good.find(" 255 "), 5, " 254 "));
    std::filesystem::create_directory(folder / "folder.prg");
    const std::string goodFile = folder.save("good.prg", windowAfter()).string();
    const std::pair<CommandRun, const char*> runs[] = {
        {run(showCommand, {(folder / "short.prg").string()}), "ne servono 98"},
        {run(showCommand, {(folder / "tone.prg").string()}),
         "Tono subaudio: codice 254 sconosciuto"},
        {run(showCommand, {(folder / "missing.prg").string()}), "inesistente"},
        {run(diffCommand, {goodFile, "/dev/zero"}), "\": è un dispositivo"},
        {run(setCommand, {(folder / "folder.prg").string(), "Txtgruppo=3"},
             {{"-o", (folder / "out.prg").string()}}),
         "\": è una cartella"},
    };
    for (const auto& [refused, reason] : runs) {
        EXPECT_EQ(refused.status, ExitStatus::BadInput) << reason;
        EXPECT_TRUE(refused.out.empty()) << reason;
        EXPECT_TRUE(holds(refused.err, reason));
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "out.prg"));
}

TEST(DiffCommand, NamesOnlyTheDifferingParametersWithBothValues) {
    Folder folder;
    const auto a = folder.save("a.prg", windowAfter());
    const auto b = folder.save(
        "b.prg", windowAfter({"Txtnumero=7", "Combotono=1", "Text2(0)=5", "Text3(0)=9"}));
    const CommandRun equal = run(diffCommand, {a.string(), folder.save("a2.prg", windowAfter())});
    EXPECT_EQ(equal.status, ExitStatus::Done);
    EXPECT_EQ(equal.out, "");

    const CommandRun differ = run(diffCommand, {a.string(), b.string()});
    EXPECT_EQ(differ.status, ExitStatus::Differs);
    EXPECT_EQ(differ.out, "Numero periferico: 1 -> 7\n"
                          "Tono subaudio: Notone -> 67\n"
                          "Monodirezionali Range 1: 0 - 0 -> 5 - 9\n");

    // Bytes that no parameter shows are named by their number.
    Frame frame = windowFrame(windowAfter());
    frame[17] = 0x42; // the marker, image byte 17
    frame[20] = 8;    // the mode byte: a bit nothing reads
    writeText(folder / "c.prg", formatProgrammingFile(frame));
    const CommandRun bytes = run(diffCommand, {a.string(), (folder / "c.prg").string()});
    EXPECT_EQ(bytes.status, ExitStatus::Differs);
    EXPECT_EQ(bytes.out, "image byte 17: 65 -> 66\nimage byte 20: 0 -> 8\n");
}

} // namespace
} // namespace velmora::cli
