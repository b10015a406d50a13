#include "app/controller.h"
#include "protocol/config_image.h"
#include "protocol/range_check.h"

namespace velmora {

void Controller::program() {
    link_.holdForProgramming();
    resetOperationStatus();
    const ParameterSet parameters = model_.parameters();
    if (firstFailingRangePair(parameters)) {
        dialogs_.beep();
        dialogs_.show({QStringLiteral("Avviso"), QStringLiteral("Errore nei Range REP"), {}});
        return;
    }
    // A value the image cannot carry is named to the operator; nothing is sent and
    // the last frame stays what "Salva file" would write.
    const Result<Image> image = encodeImage(parameters);
    if (!image) {
        dialogs_.show(
            {QStringLiteral("Avviso"), QString::fromStdString(describe(image.problems())), {}});
        return;
    }
    // A frame that could not be sent is not kept: "Salva file" saves what the unit got.
    const Frame frame = programmingFrame(*image);
    if (!link_.sendProgramming(frame)) {
        showOperationFailure("Porta non disponibile");
        return;
    }
    txFrame_ = frame;
    frameSentOnThisOpening_ = true;
    model_.setEnabled(kSaveFileButton, true);
    if (history_ != nullptr)
        history_->sent(*image, link_.device());
}

void Controller::read() {
    resetOperationStatus();
    if (!link_.sendReadRequest()) {
        showOperationFailure("Porta non disponibile");
        return;
    }
    readSentOnThisOpening_ = true;
}

} // namespace velmora
