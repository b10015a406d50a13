#include "model/form_state.h"

#include <utility>

namespace velmora {

namespace {

using TextMember = std::string ParameterSet::*;
using ValueMember = bool ParameterSet::*;

constexpr std::pair<TextMember, std::string_view> kTexts[] = {
    {&ParameterSet::txtnumero, "Txtnumero"},   {&ParameterSet::txtgruppo, "Txtgruppo"},
    {&ParameterSet::txtmodif1, "Txtmodif1"},   {&ParameterSet::txtmodif2, "Txtmodif2"},
    {&ParameterSet::txtcodatt, "Txtcodatt"},   {&ParameterSet::textsincro, "Textsincro"},
    {&ParameterSet::textoutimp, "Textoutimp"}, {&ParameterSet::text1, "Text1"},
    {&ParameterSet::textintert, "Textintert"}, {&ParameterSet::txtsir, "Txtsir"},
    {&ParameterSet::txtin, "txtin"},           {&ParameterSet::txtout, "Txtout"},
    {&ParameterSet::txttx, "txttx"},           {&ParameterSet::txtrx, "txtrx"},
};

constexpr std::pair<ValueMember, std::string_view> kValues[] = {
    {&ParameterSet::option1, "Option1"}, {&ParameterSet::option2, "Option2"},
    {&ParameterSet::option3, "Option3"}, {&ParameterSet::option4, "Option4"},
    {&ParameterSet::check1, "Check1"},   {&ParameterSet::check2, "Check2"},
    {&ParameterSet::check4, "Check4"},
};

} // namespace

// The controls as the encoder reads them, whatever their enabled or visible state.
ParameterSet FormModel::parameters() const {
    const Impl& form = *impl_;
    ParameterSet set;
    for (const auto& [member, name] : kTexts)
        set.*member = form.at(name).text;
    for (const auto& [member, name] : kValues)
        set.*member = form.at(name).value;
    set.combotonoRow = form.comboRow;
    for (int i = 0; i < kPositionCount; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        set.optrete[slot] = form.at(Impl::arrays().optrete[i]).value;
        set.optbatt[slot] = form.at(Impl::arrays().optbatt[i]).value;
        set.check3[slot] = form.at(Impl::arrays().check3[i]).value;
    }
    for (int k = 0; k < kRangeCount; ++k) {
        const auto slot = static_cast<std::size_t>(k);
        set.text2[slot] = form.at(Impl::arrays().text2[k]).text;
        set.text3[slot] = form.at(Impl::arrays().text3[k]).text;
    }
    return set;
}

} // namespace velmora
