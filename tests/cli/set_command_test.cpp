#include "cli/file_commands.h"
#include "cli_test_support.h"
#include "model/tone_table.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace velmora::cli {
namespace {

using cli_test::Folder;
using cli_test::startedWindow;
using cli_test::windowAfter;

struct SetRun {
    ExitStatus status;
    std::string out;
    std::string err;
};

SetRun runSet(const std::filesystem::path& file, std::vector<std::string> assignments,
              const std::filesystem::path& target) {
    std::vector<std::string> plain{file.string()};
    plain.insert(plain.end(), assignments.begin(), assignments.end());
    std::ostringstream out;
    std::ostringstream err;
    const ExitStatus status = setCommand({plain, {{"-o", target.string()}}, {}}, out, err);
    return {status, out.str(), err.str()};
}

// The same changes made by an operator at the window and by `set`: the file written
// must be the file the window saves after "Programma".
TEST(SetCommand, WritesTheFrameTheWindowBuildsForTheSameChanges) {
    struct Case {
        const char* name;
        cli_test::WindowChanges start; // the window that saved the input file
        std::vector<std::string> assignments;
        cli_test::WindowChanges operatorDoes;
    };
    const std::vector<Case> cases{
        {"identity and tone",
         [](FormModel&) {},
         {"Txtnumero=0101", "Txtgruppo=3", "Txtmodif2=255", "Combotono=123", "Textintert=20"},
         [](FormModel& form) {
             form.setText("Txtnumero", "0101");
             form.setText("Txtgruppo", "3");
             form.setText("Txtmodif2", "255");
             form.setComboRow(18);
             form.setText("Textintert", "20");
         }},
        {"control panel and positions",
         [](FormModel&) {},
         {"Optbatt(2)=1", "Check1=1", "Optrete(3)=1", "Check3(2)=1", "Txtsir=240", "Check4=0"},
         [](FormModel& form) {
             form.setValue("Optbatt(2)", true);
             form.setValue("Check1", true);
             form.setValue("Optrete(3)", true);
             form.setValue("Check3(2)", true);
             form.setText("Txtsir", "240");
             form.setValue("Check4", false);
         }},
        {"band switch then frequencies",
         [](FormModel&) {},
         {"Option2=1", "txttx=433.9187", "txtrx=470"},
         [](FormModel& form) {
             form.setValue("Option2", true);
             form.setText("txttx", "433.9187");
             form.setText("txtrx", "470");
         }},
        {"a frequency of a UHF file",
         [](FormModel& form) { form.setValue("Option2", true); },
         {"txttx=401.0125"},
         [](FormModel& form) { form.setText("txttx", "401.0125"); }},
        {"ranges and a cancelled position",
         [](FormModel& form) { form.setValue("Optrete(1)", true); },
         {"Text2(3)=300", "Text3(3)=1200", "Optrete(1)=0", "Optbatt(1)=1"},
         [](FormModel& form) {
             form.setText("Text2(3)", "300");
             form.setText("Text3(3)", "1200");
             form.press("Command2");
             form.setValue("Optbatt(1)", true);
         }},
        {"Ins/DIS position 6",
         [](FormModel& form) { form.setValue("Check1", true); },
         {"Option3=1", "Optrete(4)=1", "Check3(5)=1"},
         [](FormModel& form) {
             form.setValue("Option3", true);
             form.setValue("Optrete(4)", true);
             form.setValue("Check3(5)", true);
         }},
    };
    for (const Case& test : cases) {
        Folder folder;
        FormModel window = windowAfter(test.start);
        const auto input = folder.save("in.prg", window);
        const SetRun done = runSet(input, test.assignments, folder / "out.prg");
        ASSERT_EQ(done.status, ExitStatus::Done) << test.name << ": " << done.err;
        test.operatorDoes(window);
        EXPECT_EQ(cli_test::fileText(folder / "out.prg"), cli_test::windowFileText(window))
            << test.name;
    }
}

TEST(SetCommand, PrintsWhatChangedAsTheSavedFileShowsIt) {
    Folder folder;
    const auto input = folder.save("in.prg", startedWindow());
    const SetRun done = runSet(input, {"Txtnumero=0042", "Check2=1"}, folder / "out.prg");
    ASSERT_EQ(done.status, ExitStatus::Done);
    EXPECT_EQ(done.out, "Numero periferico: 1 -> 42\nLo: no -> sì\n");
}

// What the window would not let an operator do is refused, named, and nothing is written.
TEST(SetCommand, RefusesWhatTheWindowRefusesAndWritesNothing) {
    struct Case {
        std::vector<std::string> assignments;
        const char* named;
    };
    const std::vector<Case> cases{
        {{"Text1=0"}, "Text1: 0 is out of range for \"Numero ripetizioni\""},
        {{"Text1=9", "Textintert=4"}, "Textintert"},
        {{"Txtcodatt=256"}, "Txtcodatt"},
        {{"Txtcodatt=12a"}, "'a' cannot be typed"},
        {{"Txtmodif1=-1"}, "'-' cannot be typed"},
        {{"Txtnumero=12345"}, "at most 4 characters"},
        {{"Text2(3)=10000"}, "at most 4 characters"},
        {{"txttx=433.5"}, "in VHF"},
        {{"Option2=1", "txtrx=174"}, "in UHF"},
        {{"txttx=16O"}, "'O' cannot be typed"},
        {{"Txtsir=30"}, "Txtsir: disabled"},
        {{"Check3(1)=1"}, "Frame6 is disabled"},
        {{"Check4=1"}, "Check4: hidden"},
        {{"Check1=1", "Optrete(5)=1"}, "Optrete(5): disabled"},
        {{"Combotono=124"}, "no tone \"124\""},
        {{"Option1=0"}, "select the other option"},
        {{"Check1=2"}, "takes 1 or 0"},
        {{"Nothing=1"}, "no such control"},
        {{"Label19=Programmato"}, "holds no parameter"},
        {{"Txtnumero"}, "expected NAME=VALUE"},
        {{"Text2(0)=5"}, "Errore nei Range REP: Monodirezionali Range 1 (5 - 0)"},
        {{"Text2(9)=9", "Text3(9)=8"}, "Errore nei Range REP: Bidirezionali Range 2 (9 - 8)"},
    };
    for (const Case& test : cases) {
        Folder folder;
        const SetRun refused =
            runSet(folder.save("in.prg", startedWindow()), test.assignments, folder / "out.prg");
        EXPECT_EQ(refused.status, ExitStatus::BadInput) << test.named;
        EXPECT_NE(refused.err.find(test.named), std::string::npos) << refused.err;
        EXPECT_FALSE(std::filesystem::exists(folder / "out.prg")) << test.named;
    }
}

TEST(SetCommand, EveryToneOfTheListCanBeChosenByItsText) {
    Folder folder;
    const auto input = folder.save("in.prg", startedWindow());
    for (std::size_t row = 0; row < kToneTable.size(); ++row) {
        const SetRun done =
            runSet(input, {std::string("Combotono=") + kToneTable[row].text}, folder / "out.prg");
        ASSERT_EQ(done.status, ExitStatus::Done) << kToneTable[row].text;
        const std::string text = cli_test::fileText(folder / "out.prg");
        // Line 9 carries the tone code.
        std::size_t line = 0;
        for (int skip = 0; skip < 8; ++skip)
            line = text.find('\n', line) + 1;
        EXPECT_EQ(text.substr(line, text.find('\n', line) - line),
                  " " + std::to_string(kToneTable[row].code) + " \r")
            << kToneTable[row].text;
    }
}

} // namespace
} // namespace velmora::cli
