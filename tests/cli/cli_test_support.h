#pragma once

#include "cli/file_commands.h"
#include "model/form_model.h"
#include "progfile/programming_file.h"
#include "protocol/config_image.h"
#include "protocol/frames.h"
#include "tests/common/text_checks.h"

#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace velmora::cli_test {

// What "Programma" sends for the form as it stands.
inline Frame windowFrame(const FormModel& form) {
    const Result<Image> image = encodeImage(form.parameters());
    EXPECT_TRUE(image.ok()) << (image.ok() ? "" : describe(image.problems()));
    return programmingFrame(image.ok() ? *image : Image{});
}

// The window's "Salva file" after programming the form: the file's exact text.
inline std::string windowFileText(const FormModel& form) {
    return formatProgrammingFile(windowFrame(form));
}

inline std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A folder of its own for each test, removed afterwards.
class Folder {
public:
    Folder() {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("velmora-cli-" + std::string(test->name()) + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
        // The production store of the programs a test starts lives in the folder too.
        ::setenv("XDG_DATA_HOME", path_.c_str(), 1);
    }
    ~Folder() { std::filesystem::remove_all(path_); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Saves the form as the window would, under `name`; returns the path.
    std::filesystem::path save(const std::string& name, const FormModel& form) const {
        writeText(path_ / name, windowFileText(form));
        return path_ / name;
    }

private:
    std::filesystem::path path_;
};

// Window sessions used by several tests: each changes a started window as an operator.
using WindowChanges = std::function<void(FormModel&)>;

inline FormModel windowAfter(const WindowChanges& changes = {}) {
    FormModel form;
    form.selectStartBand();
    if (changes)
        changes(form);
    return form;
}

// What an operator does at the window, one control at a time: "Txtnumero=0101" types
// into a box, "Check1=1" ticks a box or selects an option ("=0" unticks), "Combotono=18"
// picks the list's row, "Command2" presses the button.
using OperatorActions = std::vector<std::string>;

inline void act(FormModel& form, const OperatorActions& actions) {
    for (const std::string& action : actions) {
        const std::size_t equals = action.find('=');
        const ControlId id = findControl(action.substr(0, equals)).value();
        const std::string value = equals == std::string::npos ? "" : action.substr(equals + 1);
        int row = 0;
        std::from_chars(value.data(), value.data() + value.size(), row);
        const ControlKind kind = kindOf(id);
        if (kind == ControlKind::TextBox)
            form.setText(id, value);
        else if (kind == ControlKind::ComboBox)
            form.setComboRow(row);
        else if (kind == ControlKind::CommandButton)
            form.press(id);
        else
            form.setValue(id, value == "1");
    }
}

inline FormModel windowAfter(const OperatorActions& actions) {
    return windowAfter([&](FormModel& form) { act(form, actions); });
}

// A control-panel configuration on UHF with positions, tone, direct inputs and a range.
inline const OperatorActions kBusyWindow{
    "Txtnumero=0101", "Combotono=18", "Option2=1",    "txttx=433.5", "Check1=1",
    "Option3=1",      "Optrete(3)=1", "Optbatt(1)=1", "Check3(5)=1", "Check3(4)=1",
    "Txtsir=30",      "Text2(9)=300", "Text3(9)=1200"};

struct CommandRun {
    cli::ExitStatus status;
    std::string out;
    std::string err;
};

// Runs a file command in-process: plain words, "-o"-style options, switches.
inline CommandRun run(cli::ExitStatus (*command)(const Arguments&, std::ostream&, std::ostream&),
                      std::vector<std::string> plain,
                      std::map<std::string, std::string> options = {},
                      std::set<std::string> switches = {}) {
    std::ostringstream out;
    std::ostringstream err;
    const cli::ExitStatus status =
        command({std::move(plain), std::move(options), std::move(switches)}, out, err);
    return {status, out.str(), err.str()};
}

} // namespace velmora::cli_test
