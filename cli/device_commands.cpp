#include "cli/device_commands.h"

#include "cli/device_line.h"
#include "cli/form_loading.h"
#include "cli/history_access.h"
#include "cli/interruption.h"
#include "cli/production_record.h"
#include "cli/verification.h"
#include "progfile/programming_file_saving.h"
#include "protocol/image_decode.h"
#include "store/exchange_history.h"

#include <memory>

namespace velmora::cli {
namespace {

using OptionalRecord = std::unique_ptr<ProductionRecord>;

// The record named by --log, held for the whole command; none without --log.
Step<OptionalRecord> recordOf(const Arguments& arguments) {
    const auto log = arguments.options.find("--log");
    if (log == arguments.options.end())
        return OptionalRecord{};
    auto opened = ProductionRecord::open(QString::fromLocal8Bit(log->second.c_str()));
    if (!opened)
        return opened.error();
    return std::move(*opened);
}

// Writes the attempt's row, then tells the operator how the command ended. A row that
// cannot be written outweighs every outcome but an interruption.
ExitStatus finish(ProductionRecord* record, const RecordRow& row, const Step<void>& ended,
                  std::ostream& err) {
    const Step<void> recorded = record != nullptr ? record->append(row) : Step<void>{};
    ExitStatus status = ended ? ExitStatus::Done : report(err, ended.error());
    if (!recorded && status != ExitStatus::Interrupted)
        status = report(err, recorded.error());
    else if (!recorded)
        report(err, recorded.error());
    return status;
}

std::string numberOf(const Image& image) {
    const Result<DecodedImage> decoded = decodeImage(image, ImageSource::FileImport);
    return decoded ? decoded->values.peripheralNumber : std::string{};
}

// A configuration the history could not keep is said, and the command goes on: the unit
// has it already.
void keepInHistory(CommandHistory& history, const std::string& action, const char* direction,
                   const QString& device, const Image& image, const char* outcome,
                   std::ostream& err) {
    if (const auto kept = history.keep(action, direction, device, image, outcome); !kept)
        err << "velmora-cli: not kept in the history: " << kept.error().message << "\n";
}

// Programs the unit and reads it back when asked; fills in the row's outcome and gives
// the failure for the operator, if any.
Step<void> programUnit(UnitSession& session, const LineChoice& line, const Programming& job,
                       CommandHistory& history, RecordRow& row, std::ostream& out,
                       std::ostream& err) {
    const std::string device = line.device.toStdString();
    const Image& image = job.image;
    const Result<void, UnitOutcome> programmed = session.program(programmingFrame(image));
    row.frameSent = session.frameSent();
    if (row.frameSent)
        keepInHistory(history, job.action, store::kSentToUnit, line.device, image,
                      programmed ? store::kAcknowledged : store::kUnanswered, err);
    if (!programmed) {
        row.result = programmed.error();
        if (row.result != UnitOutcome::Interrupted)
            return troubleFailure(row.result, line, "the programming frame");
        if (!row.frameSent)
            return Failure{ExitStatus::Interrupted, "interrupted before the programming frame "
                                                    "went to the unit on " +
                                                        device + ": the unit is unchanged"};
        row.detail = "the frame was sent, no acknowledgement yet";
        return Failure{ExitStatus::Interrupted,
                       "interrupted while programming the unit on " + device +
                           ": the programming frame had been sent, so the unit may hold the "
                           "new configuration; read it before trusting it"};
    }
    row.result = UnitOutcome::Programmed;
    if (!job.verify) {
        out << "programmed\n" << std::flush;
        return {};
    }
    const Result<Image, UnitOutcome> held = session.read();
    if (held)
        keepInHistory(
            history, "verify", store::kReadFromUnit, line.device, *held,
            decodeImage(*held, ImageSource::FileImport) ? store::kDecoded : store::kRefused, err);
    const auto checked =
        held ? Result<std::vector<Difference>, UnitOutcome>(compareReadBack(image, *held))
             : Result<std::vector<Difference>, UnitOutcome>(held.error());
    if (!checked) {
        row.result = checked.error();
        row.detail = "acknowledged, not verified";
        if (row.result == UnitOutcome::Interrupted)
            return Failure{ExitStatus::Interrupted,
                           "interrupted while reading back the unit on " + device +
                               ": it acknowledged the programming frame but is not verified"};
        return troubleFailure(row.result, line, "the read request after programming");
    }
    const std::vector<Difference>& found = *checked;
    if (found.empty()) {
        row.result = UnitOutcome::Verified;
        out << "programmed and verified\n" << std::flush;
        return {};
    }
    row.result = UnitOutcome::VerifyFailed;
    for (const Difference& difference : found) {
        out << describeReadBack(difference) << "\n" << std::flush;
        row.detail += (row.detail.empty() ? "" : "; ") + describeReadBack(difference);
    }
    return Failure{ExitStatus::Differs, "verify failed: the unit acknowledged but holds " +
                                            std::to_string(found.size()) + " different value(s)"};
}

// Reads what the unit holds and keeps it in the history before anything is sent to it;
// a unit that does not answer, or a history that cannot keep its bytes, is not programmed.
Step<void> keepBackup(UnitSession& session, const LineChoice& line, CommandHistory& history,
                      RecordRow& row, std::ostream& err) {
    const std::string device = line.device.toStdString();
    const std::string advice = "; nothing was sent: --no-backup programs it without a backup";
    const Result<Image, UnitOutcome> held = session.read();
    if (!held) {
        row.result = held.error();
        row.detail = "the backup read was not answered; nothing was sent";
        if (row.result == UnitOutcome::Interrupted)
            return Failure{ExitStatus::Interrupted, "interrupted while reading what the unit on " +
                                                        device + " holds; nothing was sent"};
        const Failure trouble = troubleFailure(row.result, line, "the backup read");
        return Failure{trouble.status, trouble.message + advice};
    }
    const bool loadable = decodeImage(*held, ImageSource::FileImport).ok();
    const auto kept = history.keep("backup", store::kReadFromUnit, line.device, *held,
                                   loadable ? store::kDecoded : store::kRefused);
    if (!kept) {
        row.result = UnitOutcome::Read;
        row.detail = "the backup could not be kept; nothing was sent";
        return Failure{ExitStatus::RecordFailed, "what the unit on " + device +
                                                     " holds could not be kept in the history (" +
                                                     kept.error().message + ")" + advice};
    }
    err << "velmora-cli: what the unit on " << device << " held is history entry " << *kept << "\n"
        << std::flush;
    return {};
}

} // namespace

ExitStatus readCommand(const Arguments& arguments, std::ostream&, std::ostream& err) {
    const auto target = arguments.options.find("-o");
    const bool saving = target != arguments.options.end();
    Interruption interruption;
    auto record = recordOf(arguments);
    if (!record)
        return report(err, record.error());
    ProductionRecord* log = record->get();
    auto history = CommandHistory::open(arguments);
    if (!history)
        return report(err, history.error());
    // A store that cannot be used is named when an entry cannot be kept.
    (*history)->removeExpired(err);
    const auto opened = openLine(arguments, interruption);
    if (!opened)
        return report(err, opened.error());
    const LineChoice& choice = opened->choice;
    UnitSession& session = *opened->session;
    const std::string device = choice.device.toStdString();
    RecordRow row;
    row.device = stableDeviceName(choice.device);
    row.result = UnitOutcome::Read;

    const Result<Image, UnitOutcome> held = session.read();
    if (!held) {
        row.result = held.error();
        if (row.result == UnitOutcome::Interrupted)
            return finish(log, row,
                          Failure{ExitStatus::Interrupted,
                                  "interrupted while reading the unit on " + device + ": " +
                                      (session.frameSent() ? "the read request had been sent"
                                                           : "nothing had been sent") +
                                      "; nothing was saved"},
                          err);
        return finish(log, row, troubleFailure(row.result, choice, "the read request"), err);
    }
    const Image& image = *held;
    row.image = image;
    row.number = numberOf(image);
    const Result<DecodedImage> decoded = decodeImage(image, ImageSource::FileImport);
    keepInHistory(**history, "read", store::kReadFromUnit, choice.device, image,
                  decoded ? store::kDecoded : store::kRefused, err);
    if (saving) {
        // The file keeps what the unit holds, even bytes the window would not import.
        const Result<SavedFile> saved =
            saveProgrammingFile(target->second, programmingFrame(image));
        if (!saved) {
            row.detail = "not saved: " + describe(saved.problems());
            return finish(log, row, Failure{ExitStatus::BadInput, describe(saved.problems())}, err);
        }
        if (!saved->notKept.empty())
            std::fprintf(stderr, "velmora-cli: %s: %s\n", target->second.c_str(),
                         describeNotKept(*saved).c_str());
    }
    if (decoded)
        return finish(log, row, {}, err);
    row.result = UnitOutcome::Unloadable;
    row.detail = describe(decoded.problems());
    return finish(log, row,
                  Failure{ExitStatus::NoAnswer,
                          "the unit on " + device +
                              " answered with bytes that are not a configuration the window "
                              "can load (" +
                              row.detail + "); " +
                              (saving ? "they are saved in " + target->second + " for diagnosis"
                                      : std::string("they are in the record"))},
                  err);
}

ExitStatus programCommand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const std::string& path = arguments.plain[0];
    const Result<LoadedFile> loaded = loadConfiguration(path);
    if (!loaded)
        return report(err, {ExitStatus::BadInput, path + ": " + describe(loaded.problems())});
    // The window programs only a form that passes its range check and encodes.
    if (const Result<Frame> checked = frameOfForm(loaded->form); !checked)
        return report(err, {ExitStatus::BadInput, path + ": " + describe(checked.problems())});
    auto history = CommandHistory::open(arguments);
    if (!history)
        return report(err, history.error());
    // A store that cannot be used is named when an entry cannot be kept.
    (*history)->removeExpired(err);
    // The file's own image, in a frame with the start and end bytes the unit expects.
    return programImage(arguments,
                        {imageOfFrame(loaded->frame), QString::fromLocal8Bit(path.c_str()),
                         "program", arguments.has("--verify")},
                        **history, out, err);
}

ExitStatus programImage(const Arguments& arguments, const Programming& job, CommandHistory& history,
                        std::ostream& out, std::ostream& err) {
    RecordRow row;
    row.number = numberOf(job.image);
    row.configurationFile = job.file;
    row.image = job.image;

    Interruption interruption;
    auto record = recordOf(arguments);
    if (!record)
        return report(err, record.error());
    ProductionRecord* log = record->get();
    if (log != nullptr) {
        const auto digest = sha256OfFile(job.file);
        if (!digest)
            return report(err, digest.error());
        row.configurationSha256 = *digest;
    }
    const auto opened = openLine(arguments, interruption);
    if (!opened)
        return report(err, opened.error());
    const LineChoice& choice = opened->choice;
    UnitSession& session = *opened->session;
    row.device = stableDeviceName(choice.device);
    if (!arguments.has("--no-backup"))
        if (const auto kept = keepBackup(session, choice, history, row, err); !kept)
            return finish(log, row, kept.error(), err);
    const auto failure = programUnit(session, choice, job, history, row, out, err);
    return finish(log, row, failure, err);
}

} // namespace velmora::cli
