#include "app/controller.h"
#include "link/port_mapping.h"
#include "model/text_value.h"

namespace velmora {

void Controller::startUp() {
    model_.selectStartBand();
    link_.clearReceiveBuffer();
    for (;;) {
        const double answer = textValue(dialogs_.askPort().value_or(QString()).toStdString());
        // Fractions are allowed: the number is rounded to the port, so 8.4 opens port 8
        // while 8.6 and 0.9 are refused.
        if (!(answer >= 1 && roundHalfEven(answer) <= 8)) {
            dialogs_.beep();
            continue;
        }
        const QString device = deviceForPort(static_cast<int>(roundHalfEven(answer)));
        if (const auto failure = link_.open(device)) {
            dialogs_.show({QStringLiteral("Selezione seriale"), *failure, {}});
            continue;
        }
        break;
    }
    link_.resumePolling();
    model_.setComboRow(0);
}

} // namespace velmora
