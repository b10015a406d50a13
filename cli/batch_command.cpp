#include "cli/assignment.h"
#include "cli/batch_record.h"
#include "cli/device_commands.h"
#include "cli/device_line.h"
#include "cli/verb_table.h"
#include "exchange/form_loading.h"
#include "exchange/interruption.h"
#include "production/production_line.h"
#include "production/production_record.h"
#include "store/store_location.h"

#include <QFileInfo>
#include <QSysInfo>

#include <string>
#include <vector>

namespace velmora::cli {

// The verbs drive the engines below them.
using namespace exchange;
using namespace production;
namespace {

std::string batchUsage() {
    return usageOf(*findVerb("batch"));
}

std::string optionOr(const Arguments& arguments, const char* option, std::string otherwise) {
    const auto found = arguments.options.find(option);
    return found == arguments.options.end() ? otherwise : found->second;
}

Failure storeFailure(const store::StoreError& error) {
    return {error.refused ? ExitStatus::BadInput : ExitStatus::RecordFailed, error.message};
}

// The job the batch works on: the one named, or the open job with the file's image and
// the range given, created when there is none.
Step<store::Job> jobOf(const Arguments& arguments, store::StoreThread& store,
                       const std::string& station, const std::string& operatorName) {
    const auto named = arguments.options.find("--job");
    const auto from = arguments.options.find("--number-from");
    const auto count = arguments.options.find("--count");
    if (arguments.plain.empty()) {
        if (named == arguments.options.end() || from != arguments.options.end() ||
            count != arguments.options.end())
            return Failure{ExitStatus::BadInput, batchUsage()};
        auto found = store.run<store::StoreResult<std::optional<store::Job>>>(
            [&named](store::ProductionStore& s) { return s.findJob(named->second); });
        if (!found)
            return storeFailure(found.error());
        if (!*found)
            return Failure{ExitStatus::BadInput, "no job is named \"" + named->second + "\""};
        if ((*found)->closedAt)
            return Failure{ExitStatus::BadInput, "the job \"" + named->second + "\" is closed"};
        return **found;
    }
    if (arguments.plain.size() != 1 || from == arguments.options.end() ||
        count == arguments.options.end())
        return Failure{ExitStatus::BadInput, batchUsage()};
    const auto first = wholeNumber(from->second, 0, kHighestPeripheralNumber);
    const long most = kHighestPeripheralNumber - *first + 1;
    const auto units = wholeNumber(count->second, 1, most);
    if (!units)
        return Failure{ExitStatus::BadInput,
                       "--count takes a whole number from 1 to " + std::to_string(most) +
                           " (the numbers from --number-from " + std::to_string(*first) +
                           " stay within 0 to " + std::to_string(kHighestPeripheralNumber) +
                           "), not \"" + count->second + "\""};
    const std::string& path = arguments.plain[0];
    Result<LoadedFile> loaded = loadConfiguration(path);
    if (!loaded)
        return Failure{ExitStatus::BadInput, path + ": " + describe(loaded.problems())};
    auto digest = sha256OfFile(QString::fromLocal8Bit(path.c_str()));
    if (!digest)
        return digest.error();
    store::JobSpec spec;
    spec.configurationFile = path;
    spec.configurationSha256 = digest->toStdString();
    spec.image = hexOf(imageOfFrame(loaded.value().frame));
    spec.firstNumber = *first;
    spec.lastNumber = *first + *units - 1;
    spec.name =
        named != arguments.options.end()
            ? named->second
            : QFileInfo(QString::fromLocal8Bit(path.c_str())).completeBaseName().toStdString() +
                  " " + std::to_string(spec.firstNumber) + "-" + std::to_string(spec.lastNumber);
    auto joined = store.run<store::StoreResult<store::Job>>([&](store::ProductionStore& s) {
        return s.joinOrCreateJob(spec, named != arguments.options.end(), station, operatorName);
    });
    if (!joined)
        return storeFailure(joined.error());
    if (joined->closedAt)
        return Failure{ExitStatus::BadInput, "the job \"" + joined->name + "\" is closed"};
    return *joined;
}

// Every frame of the job, built as the window builds it after typing the number into
// `Txtnumero`; a number the window would not take stops the batch before it starts.
Step<std::map<long, Frame>> framesOf(const store::Job& job) {
    const QByteArray bytes = QByteArray::fromHex(QByteArray::fromStdString(job.image));
    Image image{};
    if (static_cast<std::size_t>(bytes.size()) != image.size())
        return Failure{ExitStatus::BadInput, "the job \"" + job.name + "\" holds no image"};
    std::copy(bytes.begin(), bytes.end(), image.begin());
    Result<FormModel> form = formFromImage(image);
    if (!form)
        return Failure{ExitStatus::BadInput, job.name + ": " + describe(form.problems())};
    std::map<long, Frame> frames;
    for (long number = job.firstNumber; number <= job.lastNumber; ++number) {
        if (const Status typed = applyAssignment(*form, "Txtnumero=" + std::to_string(number));
            !typed)
            return Failure{ExitStatus::BadInput, describe(typed.problems())};
        const Result<Frame> frame = frameOfForm(*form);
        if (!frame)
            return Failure{ExitStatus::BadInput, job.name + ": " + describe(frame.problems())};
        frames.emplace(number, *frame);
    }
    return frames;
}

} // namespace

ExitStatus batchCommand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const auto placed = linePlaces(arguments, true);
    if (!placed)
        return report(err, placed.error());
    if (placed->empty())
        return report(err, badInput(batchUsage()));
    const auto timeout = timeoutOf(arguments, kDefaultTimeout);
    const auto location = store::storeLocationOf(optionOr(arguments, "--store", {}));
    if (!location)
        return report(err, storeFailure(location.error()));
    auto started = store::StoreThread::start(*location);
    if (!started)
        return report(err, storeFailure(started.error()));
    store::StoreThread& store = **started;
    const std::string station =
        optionOr(arguments, "--station", QSysInfo::machineHostName().toStdString());
    const std::string who = optionOr(arguments, "--operator", operatorName().toStdString());
    auto job = jobOf(arguments, store, station, who);
    if (!job)
        return report(err, job.error());
    auto frames = framesOf(*job);
    if (!frames)
        return report(err, frames.error());
    const auto& places = *placed;
    // Ctrl-C from here on ends the batch in order, whatever it is doing.
    Interruption interruption;
    // The CSV copy is held before any port is touched: a second batch on it stops here.
    auto mirror = openBatchMirror(
        arguments, job->configurationFile, job->configurationSha256,
        [&places](int position) { return places[static_cast<std::size_t>(position - 1)].label; });
    if (!mirror)
        return report(err, mirror.error());

    std::vector<ProductionLine::Position> positions;
    std::vector<std::string> devices;
    for (const LinePlace& place : places) {
        auto jig = std::make_unique<JigPosition>(static_cast<int>(positions.size() + 1), timeout,
                                                 arguments.has("--verify"));
        if (const auto opened = jig->open(place.device); !opened)
            return report(err, openFailure(opened.error(), place.port));
        devices.push_back(jig->device().toStdString());
        positions.push_back({place.label, std::move(jig)});
    }
    // This station's numbers left in flight on the devices it now holds went out with no
    // outcome (a batch killed or a power cut): their units are to be checked.
    auto swept = store.run<store::StoreResult<std::vector<std::pair<std::string, long>>>>(
        [&](store::ProductionStore& s) { return s.markInFlightToCheck(station, devices); });
    if (!swept)
        return report(err, storeFailure(swept.error()));
    for (const auto& [name, number] : *swept)
        out << "left in flight by an earlier batch, now to check: job " << name << ", number "
            << number << "\n";
    auto counts = store.run<store::StoreResult<std::vector<store::StateCount>>>(
        [&](store::ProductionStore& s) { return s.counts(job->name); });
    if (!counts)
        return report(err, storeFailure(counts.error()));
    long free = 0;
    for (const store::StateCount& count : *counts)
        free += count.state == store::kFree ? count.count : 0;
    ProductionLine line(
        std::move(positions), std::move(*frames), LineStore{&store, job->name, station, who, free},
        BatchSummary(job->name, job->firstNumber, job->lastNumber), std::move(*mirror));
    QObject::connect(&interruption, &Interruption::interrupted, &line, &ProductionLine::interrupt);
    const ExitStatus status = line.run();
    if (line.storeBusy())
        // A frozen server holds the store's thread: the process ends without waiting on it.
        (void)started->release();
    return status;
}

} // namespace velmora::cli
