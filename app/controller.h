#pragma once

#include "app/operator_dialogs.h"
#include "app/window_history.h"
#include "link/serial_link.h"
#include "model/form_model.h"
#include "protocol/frames.h"

#include <QObject>
#include <QString>

#include <optional>

namespace velmora {

// Runs the window's commands and start-up over the model and the serial link, and
// shows what the link reports in `kLinkStatus` and `kOperationStatus`. `TxFrame`, the last
// programming frame sent, lives here.
class Controller : public QObject {
    Q_OBJECT

public:
    Controller(FormModel& model, SerialLink& link, OperatorDialogs& dialogs,
               QObject* parent = nullptr);

    // Before the window is first shown: VHF, `RxBuffer` empty, the port asked for until
    // one from 1 to 8 opens, polling, "Notone".
    void startUp();

    // The button named: `kProgramButton`, `kReadButton`, `kSaveFileButton` or
    // `kImportFileButton`; the window signals it by its object name.
    void runCommand(const QString& name);

    // Keeps every frame sent and every image read in `history` from now on.
    void keepHistory(WindowHistory& history);

    void program();
    void read();
    void saveFile();
    void importFile();

    const std::optional<Frame>& txFrame() const { return txFrame_; }
    const QString& lastFileName() const { return lastFileName_; }

private:
    void showLinkStatus(bool connected);
    void showAcknowledgement();
    void writeReceivedImage(const Image& image);
    void resetOperationStatus();
    void showOperationFailure(const char* caption);
    void refuseFile(const QString& detail);

    FormModel& model_;
    SerialLink& link_;
    OperatorDialogs& dialogs_;
    WindowHistory* history_ = nullptr;
    std::optional<Frame> txFrame_;
    // What this program asked of the unit since the port last opened: a reply to nothing
    // asked (bytes that were on their way before the port opened) is nobody's.
    bool frameSentOnThisOpening_ = false;
    bool readSentOnThisOpening_ = false;
    QString lastFileName_; // offered again by both file dialogs
};

} // namespace velmora
