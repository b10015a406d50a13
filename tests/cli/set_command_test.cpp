#include "cli/file_commands.h"
#include "cli_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora::cli {
namespace {

using cli_test::Folder;
using cli_test::windowAfter;

cli_test::CommandRun runSet(const std::filesystem::path& file, std::vector<std::string> assignments,
                            const std::filesystem::path& target) {
    assignments.insert(assignments.begin(), file.string());
    return cli_test::run(setCommand, assignments, {{"-o", target.string()}});
}

// The same changes made by an operator at the window and by `set`: the file written
// must be the file the window saves after "Programma".
TEST(SetCommand, WritesTheFrameTheWindowBuildsForTheSameChanges) {
    struct Case {
        const char* name;
        cli_test::WindowChanges start; // the window that saved the input file
        std::vector<std::string> assignments;
        cli_test::WindowChanges operatorDoes;
        const char* firstChangePrinted;
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
         },
         "Numero periferico: 1 -> 101\n"},
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
         },
         "Posizione manca rete: nessuna -> 3\n"},
        {"a frequency of a UHF file",
         [](FormModel& form) { form.setValue("Option2", true); },
         {"txttx=401.0125"},
         [](FormModel& form) { form.setText("txttx", "401.0125"); },
         "Frequenza TX: 460.0000 -> 401.0125\n"},
        {"ranges and a cancelled position",
         [](FormModel& form) { form.setValue("Optrete(1)", true); },
         {"Text2(3)=300", "Text3(3)=1200", "Optrete(1)=0", "Optbatt(1)=1"},
         [](FormModel& form) {
             form.setText("Text2(3)", "300");
             form.setText("Text3(3)", "1200");
             form.press("Command2");
             form.setValue("Optbatt(1)", true);
         },
         "Posizione manca rete: 5 -> nessuna\n"},
    };
    for (const Case& test : cases) {
        Folder folder;
        FormModel window = windowAfter(test.start);
        const auto input = folder.save("in.prg", window);
        const cli_test::CommandRun done = runSet(input, test.assignments, folder / "out.prg");
        ASSERT_EQ(done.status, ExitStatus::Done) << test.name << ": " << done.err;
        EXPECT_EQ(done.out.substr(0, done.out.find('\n') + 1), test.firstChangePrinted);
        test.operatorDoes(window);
        EXPECT_EQ(cli_test::fileText(folder / "out.prg"), cli_test::windowFileText(window))
            << test.name;
    }
}

// What the window would not let an operator do is refused, named, and nothing is written.
TEST(SetCommand, RefusesWhatTheWindowRefusesAndWritesNothing) {
    struct Case {
        std::vector<std::string> assignments;
        const char* named;
    };
    const std::vector<Case> cases{
        {{"Text1=0"}, "Text1: 0 is out of range for \"Numero ripetizioni\""},
        {{"Txtcodatt=256"}, "Txtcodatt"},
        {{"Txtcodatt=12a"}, "'a' cannot be typed"},
        {{"Txtnumero=12345"}, "at most 4 characters"},
        {{"txttx=433.5"}, "in VHF"},
        {{"Option2=1", "txtrx=174"}, "in UHF"},
        {{"Txtsir=30"}, "Txtsir: disabled"},
        {{"Check3(1)=1"}, "Frame6 is disabled"},
        {{"Check4=1"}, "Check4: hidden"},
        {{"Check1=1", "Optrete(5)=1"}, "Optrete(5): disabled"},
        {{"Combotono=124"}, "no tone \"124\""},
        {{"Option1=0"}, "select the other option"},
        {{"Nothing=1"}, "no such control"},
        {{"Text2(0)=5"}, "Errore nei Range REP: Monodirezionali Range 1 (5 - 0)"},
    };
    for (const Case& test : cases) {
        Folder folder;
        const cli_test::CommandRun refused =
            runSet(folder.save("in.prg", windowAfter()), test.assignments, folder / "out.prg");
        EXPECT_EQ(refused.status, ExitStatus::BadInput) << test.named;
        EXPECT_NE(refused.err.find(test.named), std::string::npos) << refused.err;
        EXPECT_FALSE(std::filesystem::exists(folder / "out.prg")) << test.named;
    }
}

} // namespace
} // namespace velmora::cli
