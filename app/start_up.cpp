#include "app/controller.h"
#include "link/port_mapping.h"
#include "link/serial_ports.h"
#include "values/text_value.h"

namespace velmora {

void Controller::startUp() {
    model_.selectStartBand();
    link_.clearReceiveBuffer();
    for (;;) {
        const double answer = textValue(dialogs_.askPort().value_or(QString()).toStdString());
        // Fractions are allowed: the number is rounded to the port, so 8.4 opens port 8
        // while 8.6 and 0.9 are refused.
        if (!(answer >= kFirstPort && roundHalfEven(answer) <= kLastPort)) {
            dialogs_.beep();
            continue;
        }
        const int port = static_cast<int>(roundHalfEven(answer));
        const auto device = deviceForPort(port);
        const auto opened =
            device ? link_.open(*device) : Result<void, OpenFailure>(device.error());
        if (!opened) {
            const OpenFailure& failure = opened.error();
            dialogs_.show({QStringLiteral("Selezione seriale"),
                           withMappingAdvice(failure, failure.sentence, port), failure.detail});
            continue;
        }
        break;
    }
    link_.resumePolling();
    model_.setComboRow(0);
}

} // namespace velmora
