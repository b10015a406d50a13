#include "app/controller.h"

#include "protocol/image_decode.h"

#include <QtGlobal>

#include <array>
#include <functional>
#include <optional>

namespace velmora {
namespace {

struct CommandEntry {
    ControlId control;
    void (Controller::*run)();
};

constexpr std::array kCommands{
    CommandEntry{kProgramButton, &Controller::program},
    CommandEntry{kReadButton, &Controller::read},
    CommandEntry{kSaveFileButton, &Controller::saveFile},
    CommandEntry{kImportFileButton, &Controller::importFile},
};

} // namespace

Controller::Controller(FormModel& model, SerialLink& link, OperatorDialogs& dialogs,
                       QObject* parent)
    : QObject(parent), model_(model), link_(link), dialogs_(dialogs) {
    connect(&link_, &SerialLink::linkStatusChanged, this, &Controller::showLinkStatus);
    connect(&link_, &SerialLink::acknowledged, this, &Controller::showAcknowledgement);
    connect(&link_, &SerialLink::imageReceived, this, &Controller::writeReceivedImage);
    connect(&link_, &SerialLink::recovered, this, [this] { model_.setImageLoading(false); });
    connect(&link_, &SerialLink::readUnanswered, this,
            [this] { showOperationFailure("Errore lettura"); });
    connect(&link_, &SerialLink::portLost, this, [this](const QString& reason) {
        model_.setImageLoading(false);
        frameSentOnThisOpening_ = false;
        readSentOnThisOpening_ = false;
        qWarning("Porta %s persa (%s): nuovo tentativo ogni mezzo secondo",
                 qUtf8Printable(link_.device()), qUtf8Printable(reason));
    });
}

void Controller::runCommand(const QString& name) {
    const std::optional<ControlId> clicked = findControl(name.toStdString());
    for (const CommandEntry& command : kCommands) {
        if (clicked == command.control) {
            std::invoke(command.run, this);
            return;
        }
    }
}

void Controller::keepHistory(WindowHistory& history) {
    history_ = &history;
    // Told once, in a box: the window goes on without the history.
    connect(&history, &WindowHistory::unavailable, this, [this](const QString& reason) {
        dialogs_.show({QStringLiteral("Avviso"),
                       QStringLiteral("Storico non disponibile: le configurazioni inviate e "
                                      "lette non vengono conservate"),
                       reason});
    });
}

void Controller::showLinkStatus(bool connected) {
    if (connected) {
        model_.setCaption(kLinkStatus, "Connesso", Background::Green);
    } else {
        model_.setCaption(kLinkStatus, "Sconnesso", Background::Red);
    }
}

void Controller::showAcknowledgement() {
    if (!frameSentOnThisOpening_) {
        qWarning("Conferma di programmazione non richiesta: ignorata");
        return;
    }
    model_.setCaption(kOperationStatus, "Programmato", Background::Green);
    if (history_ != nullptr)
        history_->acknowledged();
}

void Controller::resetOperationStatus() {
    model_.setCaption(kOperationStatus, "", Background::ButtonFace);
}

void Controller::showOperationFailure(const char* caption) {
    model_.setCaption(kOperationStatus, caption, Background::Red);
}

// An image that does not decode leaves the window as it was: the operator sees the
// failed read instead of a half-written form.
void Controller::writeReceivedImage(const Image& image) {
    if (!readSentOnThisOpening_) {
        qWarning("Immagine non richiesta: ignorata");
        return;
    }
    const Result<DecodedImage> decoded = decodeImage(image, ImageSource::DeviceReply);
    if (!decoded) {
        showOperationFailure("Errore lettura");
        qWarning("Immagine letta non valida: %s", describe(decoded.problems()).c_str());
    } else {
        model_.applyDecodedImage(*decoded, ImageSource::DeviceReply);
    }
    if (history_ != nullptr)
        history_->read(image, decoded.ok(), link_.device());
}

} // namespace velmora
