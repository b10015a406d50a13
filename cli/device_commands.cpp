#include "cli/device_commands.h"

#include "cli/device_line.h"
#include "exchange/form_loading.h"
#include "exchange/interruption.h"
#include "exchange/verification.h"
#include "production/production_record.h"
#include "progfile/programming_file_saving.h"
#include "protocol/image_decode.h"

#include <memory>

namespace velmora::cli {

// The verbs drive the engines below them.
using namespace exchange;
using namespace production;
namespace {

using exchange::describeReadBack;
using exchange::Difference;
using production::ProductionRecord;
using production::RecordRow;

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

// Programs the unit and reads it back when asked; fills in the row's outcome and gives
// the failure for the operator, if any.
Step<void> programUnit(UnitSession& session, const QString& device, const Image& image, bool verify,
                       RecordRow& row, std::ostream& out) {
    std::vector steps{ExchangeStep::Program};
    if (verify)
        steps.push_back(ExchangeStep::ReadBack);
    const ExchangeResult result = session.run(std::move(steps), image);
    row.frameSent = result.frameSent;
    row.result = result.outcome;
    row.detail = result.detail;
    if (exchange::succeeded(result.outcome)) {
        out << (verify ? "programmed and verified\n" : "programmed\n") << std::flush;
        return {};
    }
    if (result.outcome != UnitOutcome::VerifyFailed)
        return exchangeFailure(result, device);
    for (const Difference& difference : result.differences)
        out << describeReadBack(difference) << "\n" << std::flush;
    return Failure{ExitStatus::Differs, "verify failed: the unit acknowledged but holds " +
                                            std::to_string(result.differences.size()) +
                                            " different value(s)"};
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
    const auto opened = openLine(arguments, interruption);
    if (!opened)
        return report(err, opened.error());
    const LineChoice& choice = opened->choice;
    UnitSession& session = *opened->session;
    const std::string device = choice.device.toStdString();
    RecordRow row;
    row.device = stableDeviceName(choice.device);
    row.result = UnitOutcome::Read;

    const ExchangeResult held = session.run({ExchangeStep::Read});
    if (!held.held) {
        row.result = held.outcome;
        row.detail = held.detail;
        return finish(log, row, exchangeFailure(held, choice.device), err);
    }
    const Image& image = *held.held;
    row.image = image;
    row.number = numberOf(image);
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
    const Result<DecodedImage> decoded = decodeImage(image, ImageSource::FileImport);
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
    // The file's own image, in a frame with the start and end bytes the unit expects.
    const Image image = imageOfFrame(loaded->frame);
    const QString file = QString::fromLocal8Bit(path.c_str());
    RecordRow row;
    row.number = numberOf(image);
    row.configurationFile = file;
    row.image = image;

    Interruption interruption;
    auto record = recordOf(arguments);
    if (!record)
        return report(err, record.error());
    ProductionRecord* log = record->get();
    if (log != nullptr) {
        const auto digest = sha256OfFile(file);
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
    const auto failure =
        programUnit(session, choice.device, image, arguments.has("--verify"), row, out);
    return finish(log, row, failure, err);
}

} // namespace velmora::cli
