#include "app/controller.h"
#include "progfile/programming_file.h"
#include "progfile/programming_file_saving.h"
#include "protocol/image_decode.h"

#include <QFile>

namespace velmora {
namespace {

std::filesystem::path pathOf(const QString& name) {
    return std::filesystem::path(QFile::encodeName(name).toStdString());
}

} // namespace

void Controller::saveFile() {
    if (!txFrame_) {
        return;
    }
    const QString name = dialogs_.chooseSaveFile(lastFileName_);
    if (name.isEmpty()) {
        return;
    }
    lastFileName_ = name;
    const Result<SavedFile> saved = saveProgrammingFile(pathOf(name), *txFrame_);
    if (!saved) {
        dialogs_.show({QStringLiteral("Avviso"), QStringLiteral("Errore nel salvataggio del file"),
                       QString::fromStdString(describe(saved.problems()))});
        return;
    }
    model_.setEnabled(kSaveFileButton, false);
    if (!saved->notKept.empty()) {
        dialogs_.show({QStringLiteral("Avviso"),
                       QStringLiteral("File salvato senza alcuni attributi del file precedente"),
                       QString::fromStdString(describeNotKept(*saved))});
    }
}

// The whole file and its image are checked before the window is touched, so a bad
// file leaves every control as it was.
void Controller::importFile() {
    const QString name = dialogs_.chooseImportFile(lastFileName_);
    if (name.isEmpty()) {
        return;
    }
    lastFileName_ = name;
    link_.clearReceiveBuffer();
    const Result<Frame> frame = loadProgrammingFile(pathOf(name));
    if (!frame) {
        refuseFile(QString::fromStdString(describe(frame.problems())));
        return;
    }
    const Result<DecodedImage> decoded = decodeImage(imageOfFrame(*frame), ImageSource::FileImport);
    if (!decoded) {
        refuseFile(QString::fromStdString(describe(decoded.problems())));
        return;
    }
    model_.applyDecodedImage(*decoded, ImageSource::FileImport);
    link_.clearReceiveBuffer();
}

void Controller::refuseFile(const QString& detail) {
    link_.clearReceiveBuffer();
    dialogs_.show({QStringLiteral("Avviso"), QStringLiteral("File non valido"), detail});
}

} // namespace velmora
