#include "model/form_state.h"

namespace velmora {

// The controls as the encoder reads them, whatever their enabled or visible state.
ParameterSet FormModel::parameters() const {
    const Impl& form = *impl_;
    ParameterSet set;
    for (const ParameterControl& parameter : kParameterControls) {
        using Holds = ParameterControl::Holds;
        switch (parameter.holds) {
        case Holds::Text:
            set.*parameter.text = form.text(parameter.control);
            break;
        case Holds::Flag:
            set.*parameter.flag = form.at(parameter.control).value;
            break;
        case Holds::ToneRow:
            set.*parameter.row = form.comboRow;
            break;
        case Holds::PositionRow:
            for (std::size_t i = 0; i < kPositionCount; ++i)
                (set.*parameter.flags)[i] = form.at((*parameter.positions)[i]).value;
            break;
        case Holds::RangeColumn:
            for (std::size_t k = 0; k < kRangeCount; ++k)
                (set.*parameter.texts)[k] = form.text((*parameter.column)[k]);
            break;
        }
    }
    return set;
}

} // namespace velmora
