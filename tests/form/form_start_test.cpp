#include "form_test_support.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

struct StartRow {
    const char* name;
    ControlKind kind;
    const char* container;
    const char* text;
    bool value;
    bool enabled;
    bool visible;
};

using K = ControlKind;

// A sample of the window as created, before start-up: texts exactly as the controls
// show them, including the trailing blanks of some range labels.
const StartRow kStartRows[] = {
    {"txttx", K::TextBox, "Frame1", "160.000", false, true, true},
    {"txtrx", K::TextBox, "Frame1", "160.000", false, true, true},
    {"Option1", K::OptionButton, "Frame7", "VHF", false, true, true},
    {"Option2", K::OptionButton, "Frame7", "UHF", false, true, true},
    {"Option3", K::OptionButton, "Frame1", "", false, false, true},
    {"Option4", K::OptionButton, "Frame1", "", true, false, true},
    {"Check4", K::CheckBox, "Frame1", "Beep ON", true, true, false},
    {"Check1", K::CheckBox, "Frame1", "Funzione centralina", false, true, true},
    {"Check2", K::CheckBox, "Frame1", "Lo", false, true, true},
    {"Frame6", K::Frame, "Frame1", "", false, false, true},
    {"Check3(0)", K::CheckBox, "Frame6", "", false, true, true},
    {"Check3(5)", K::CheckBox, "Frame6", "", false, true, true},
    {"Optrete(0)", K::OptionButton, "Frame4", "", false, true, true},
    {"Optbatt(5)", K::OptionButton, "Frame2", "", false, true, true},
    {"Txtnumero", K::TextBox, "Frame1", "001", false, true, true},
    {"Txtgruppo", K::TextBox, "Frame1", "0", false, true, true},
    {"Txtcodatt", K::TextBox, "Frame1", "24", false, true, true},
    {"Textsincro", K::TextBox, "Frame1", "80", false, true, true},
    {"Text1", K::TextBox, "Frame1", "5", false, true, true},
    {"Textintert", K::TextBox, "Frame1", "5", false, true, true},
    {"Txtsir", K::TextBox, "Frame1", "5", false, false, true},
    {"txtin", K::TextBox, "Frame1", "0", false, false, true},
    {"Txtout", K::TextBox, "Frame1", "0", false, false, true},
    {"Label10", K::Label, "Frame1", "Tempo sirena", false, false, true},
    {"Label6", K::Label, "Frame1", "5 - 240 secondi", false, false, true},
    {"Label13", K::Label, "Frame1", "0 - 240 secondi", false, false, true},
    {"Label3", K::Label, "Frame1", "0 - 255  /  0 - 255", false, true, true},
    {"Label4", K::Label, "Frame1", "0 - 255  ", false, true, true},
    {"Label5", K::Label, "Frame1", "(0 - 255) * 10 ms  ", false, true, true},
    {"Label29", K::Label, "Frame1", "6 ...................... 1", false, true, true},
    {"Label22", K::Label, "Frame3", "Velmora Tessor  v 1.5", false, true, true},
    {"Combotono", K::ComboBox, "Frame1", "Notone", false, true, true},
    {"Command5", K::CommandButton, "", "Salva file", false, false, true},
    {"Command6", K::CommandButton, "Frame3", "Importa file", false, true, true},
    {"Command4", K::CommandButton, "Frame1", "Leggi", false, true, true},
    {"Command1", K::CommandButton, "Frame1", "Programma", false, true, true},
    {"Command2", K::CommandButton, "Frame1", "Annulla", false, true, true},
    {"Command8", K::CommandButton, "Frame5", "Clear", false, true, true},
    {"Label19", K::Label, "Frame3", "", false, true, true},
    {"Label20", K::Label, "Frame3", "Sconnesso", false, true, true},
    {"Label24(0)", K::Label, "Frame5", "Monodirezionali", false, true, true},
    {"Label24(1)", K::Label, "Frame5", "Bidirezionali", false, true, true},
    {"Label23(0)", K::Label, "Frame5", "Range 1", false, true, true},
    {"Label23(7)", K::Label, "Frame5", "Range 8", false, true, true},
    {"Label23(8)", K::Label, "Frame5", "Range 1", false, true, true},
    {"Label23(15)", K::Label, "Frame5", "Range 8", false, true, true},
    {"Text3(15)", K::TextBox, "Frame5", "0", false, true, true},
    {"Image1", K::Picture, "Frame3", "", false, true, true},
    {"Frame5", K::Frame, "", "", false, true, true},
};

TEST(FormStart, ControlsAreCreatedWithTheirStartStates) {
    const FormModel form;
    for (const StartRow& row : kStartRows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(form.has(row.name));
        EXPECT_EQ(form.kind(row.name), row.kind);
        EXPECT_EQ(form.container(row.name), row.container);
        EXPECT_EQ(form.text(row.name), row.text);
        EXPECT_EQ(form.value(row.name), row.value);
        EXPECT_EQ(form.enabled(row.name), row.enabled);
        EXPECT_EQ(form.visible(row.name), row.visible);
    }
    EXPECT_EQ(form.background("Label20"), Background::Red);
    EXPECT_EQ(form.background("Label19"), Background::ButtonFace);
    EXPECT_EQ(form.comboRow(), 0);
    EXPECT_FALSE(form.imageLoading());
}

TEST(FormStart, EveryArrayMemberExistsOnceAndNothingBeyond) {
    const FormModel form;
    for (const char* array : {"Optrete", "Optbatt", "Check3"}) {
        for (int i = 0; i < 6; ++i)
            EXPECT_TRUE(form.has(member(array, i))) << array << i;
        EXPECT_FALSE(form.has(member(array, 6))) << array;
    }
    for (const char* array : {"Text2", "Text3", "Label23"}) {
        for (int k = 0; k < 16; ++k)
            EXPECT_TRUE(form.has(member(array, k))) << array << k;
        EXPECT_FALSE(form.has(member(array, 16))) << array;
    }
    for (int n = 1; n <= 8; ++n)
        EXPECT_TRUE(form.has("Command" + std::to_string(n)));
    for (int n = 1; n <= 7; ++n)
        EXPECT_TRUE(form.has("Frame" + std::to_string(n)));
    const std::vector<std::string> names = form.controlNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        for (std::size_t j = i + 1; j < names.size(); ++j)
            EXPECT_NE(names[i], names[j]);
    EXPECT_THROW((void)form.text("Optrete(6)"), std::out_of_range);
}

TEST(FormStart, StartUpSelectsVhfAndWritesItsFrequencies) {
    FormModel form;
    ChangeLog log(form);
    form.selectStartBand();
    EXPECT_TRUE(form.value("Option1"));
    EXPECT_FALSE(form.value("Option2"));
    EXPECT_EQ(form.text("txttx"), "160.0000");
    EXPECT_EQ(form.text("txtrx"), "160.0000");
    EXPECT_EQ(log.names, (std::vector<std::string>{"Option1", "txttx", "txtrx"}));
}

TEST(FormStart, TheParametersAfterStartUpAreTheDefaultSet) {
    const FormModel form = startedForm();
    EXPECT_EQ(form.parameters(), ParameterSet{});
    EXPECT_EQ(rowValues(form, "Optrete"), "......");
    EXPECT_EQ(rowValues(form, "Optbatt"), "......");
    EXPECT_EQ(rowValues(form, "Check3"), "......");
}

TEST(FormStart, ParametersFollowTheControlsWhateverTheirState) {
    FormModel form = startedForm();
    form.setText("Txtsir", "17");
    form.setValue("Check1", true);
    form.setValue("Option3", true);
    form.setValue("Optrete(2)", true);
    form.setValue("Check3(4)", true);
    form.setComboRow(18);
    form.setText("Text3(9)", "1200");
    const ParameterSet set = form.parameters();
    EXPECT_EQ(set.txtsir, "17");
    EXPECT_TRUE(set.check1);
    EXPECT_TRUE(set.option3);
    EXPECT_FALSE(set.option4);
    EXPECT_TRUE(set.optrete[2]);
    EXPECT_TRUE(set.check3[4]);
    EXPECT_TRUE(set.check4); // hidden until now, still ticked
    EXPECT_EQ(set.combotonoRow, 18);
    EXPECT_EQ(form.text("Combotono"), "123");
    EXPECT_EQ(set.text3[9], "1200");
}

TEST(FormOptions, SelectingAMemberDeselectsOnlyItsOwnGroup) {
    FormModel form = startedForm();
    form.setValue("Optrete(2)", true);
    form.setValue("Optbatt(4)", true);
    form.setValue("Optrete(3)", true);
    EXPECT_EQ(rowValues(form, "Optrete"), "...x..");
    EXPECT_EQ(rowValues(form, "Optbatt"), "....x.");
    EXPECT_TRUE(form.value("Option1"));
    EXPECT_TRUE(form.value("Option4"));
    form.setValue("Optrete(3)", false);
    EXPECT_EQ(rowValues(form, "Optrete"), "......"); // a group may have none selected
}

TEST(FormListener, ReportsOnlyRealChanges) {
    FormModel form = startedForm();
    ChangeLog log(form);
    form.setValue("Check2", false);
    form.setValue("Option1", true);
    form.setText("txttx", "160.0000");
    form.setEnabled("Command1", true);
    form.setComboRow(0);
    form.setCaption("Label20", "Sconnesso", Background::Red);
    EXPECT_TRUE(log.names.empty());

    form.setCaption("Label20", "Connesso", Background::Green);
    form.setCaption("Label19", "", Background::Green);
    form.setEnabled("Command5", true);
    form.setComboRow(1);
    form.setValue("Check2", true);
    EXPECT_EQ(log.names,
              (std::vector<std::string>{"Label20", "Label19", "Command5", "Combotono", "Check2"}));
    EXPECT_EQ(form.background("Label19"), Background::Green);
    EXPECT_EQ(form.text("Combotono"), "67");
}

TEST(FormListener, BandSwitchesOverwriteTypedFrequencies) {
    FormModel form = startedForm();
    form.setText("txttx", "165.1975");
    form.setText("txtrx", "170");
    ChangeLog log(form);
    form.setValue("Option2", true);
    EXPECT_EQ(form.text("txttx"), "460.0000");
    EXPECT_EQ(form.text("txtrx"), "460.0000");
    EXPECT_FALSE(form.value("Option1"));
    EXPECT_EQ(log.names, (std::vector<std::string>{"Option1", "Option2", "txttx", "txtrx"}));
    form.setText("txttx", "433");
    form.setValue("Option2", true); // already selected: no reaction
    EXPECT_EQ(form.text("txttx"), "433");
    form.setValue("Option1", true);
    EXPECT_EQ(form.text("txttx"), "160.0000");
}

TEST(FormListener, WrongKindsAndRowsAreRefused) {
    FormModel form;
    EXPECT_THROW(form.setValue("Txtnumero", true), std::invalid_argument);
    EXPECT_THROW(form.setText("Combotono", "67"), std::invalid_argument);
    EXPECT_THROW(form.setComboRow(33), std::out_of_range);
    EXPECT_THROW(form.setComboRow(-1), std::out_of_range);
    EXPECT_EQ(form.comboRow(), 0);
}

} // namespace
} // namespace velmora
