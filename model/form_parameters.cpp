#include "model/form_state.h"

namespace velmora {

// The controls as the encoder reads them, whatever their enabled or visible state.
ParameterSet FormModel::parameters() const {
    const Impl& form = *impl_;
    const auto text = [&form](std::string_view name) { return form.at(name).text; };
    const auto value = [&form](std::string_view name) { return form.at(name).value; };

    ParameterSet set;
    set.txtnumero = text("Txtnumero");
    set.txtgruppo = text("Txtgruppo");
    set.txtmodif1 = text("Txtmodif1");
    set.txtmodif2 = text("Txtmodif2");
    set.txtcodatt = text("Txtcodatt");
    set.combotonoRow = form.comboRow;
    set.textsincro = text("Textsincro");
    set.textoutimp = text("Textoutimp");
    set.text1 = text("Text1");
    set.textintert = text("Textintert");
    set.txtsir = text("Txtsir");
    set.txtin = text("txtin");
    set.txtout = text("Txtout");
    set.option1 = value("Option1");
    set.option2 = value("Option2");
    set.txttx = text("txttx");
    set.txtrx = text("txtrx");
    for (int i = 0; i < kPositionCount; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        set.optrete[slot] = value(indexedName("Optrete", i));
        set.optbatt[slot] = value(indexedName("Optbatt", i));
        set.check3[slot] = value(indexedName("Check3", i));
    }
    set.option3 = value("Option3");
    set.option4 = value("Option4");
    set.check1 = value("Check1");
    set.check2 = value("Check2");
    set.check4 = value("Check4");
    for (int k = 0; k < kRangeCount; ++k) {
        const auto slot = static_cast<std::size_t>(k);
        set.text2[slot] = text(indexedName("Text2", k));
        set.text3[slot] = text(indexedName("Text3", k));
    }
    return set;
}

} // namespace velmora
