#include "cli/assignment.h"
#include "cli/batch_record.h"
#include "cli/device_commands.h"
#include "cli/device_line.h"
#include "cli/form_loading.h"
#include "cli/interruption.h"
#include "cli/production_line.h"
#include "cli/production_record.h"
#include "link/port_mapping.h"
#include "store/store_location.h"

#include <QFileInfo>
#include <QSysInfo>

#include <sstream>
#include <string>
#include <vector>

namespace velmora::cli {
namespace {

constexpr long kHighestNumber = 9999;
constexpr const char* kUsage =
    "usage: velmora-cli batch (FILE.prg --number-from N --count C [--job NAME] | --job NAME) "
    "(--port N[,N...] | --device PATH ...) [--verify] [--store URL|FILE.sqlite] "
    "[--station NAME] [--operator NAME] [--log FILE.csv]";

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
            return Failure{ExitStatus::BadInput, kUsage};
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
        return Failure{ExitStatus::BadInput, kUsage};
    const auto first = wholeNumber(from->second, 0, kHighestNumber);
    const auto units = wholeNumber(count->second, 1, kHighestNumber + 1);
    if (!first || !units || *first + *units - 1 > kHighestNumber)
        return Failure{ExitStatus::BadInput, "--number-from and --count must keep the numbers "
                                             "within 0 to 9999"};
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

struct JigPlace {
    std::string label;
    QString device;
};

// The jig's positions in the order given: "--port 1,2,3" or "--device A --device B".
Step<std::vector<JigPlace>> placesOf(const Arguments& arguments) {
    const bool byPort = arguments.options.contains("--port");
    if (byPort == arguments.options.contains("--device"))
        return Failure{ExitStatus::BadInput,
                       "give either --port N[,N...] (1 to 8) or --device PATH, repeated"};
    std::vector<JigPlace> places;
    if (byPort) {
        std::istringstream list(arguments.options.at("--port"));
        for (std::string word; std::getline(list, word, ',');) {
            const auto number = wholeNumber(word, 1, 8);
            if (!number)
                return Failure{ExitStatus::BadInput, "--port takes port numbers from 1 to 8 "
                                                     "separated by commas, not \"" +
                                                         arguments.options.at("--port") + "\""};
            places.push_back({"port " + word, deviceForPort(static_cast<int>(*number))});
        }
    } else {
        for (const std::string& path : arguments.repeated.at("--device")) {
            // A path relative to the working folder; a bare name is the serial layer's own.
            const QFileInfo file(QString::fromLocal8Bit(path.c_str()));
            places.push_back({"position " + std::to_string(places.size() + 1),
                              file.exists() ? file.absoluteFilePath() : file.filePath()});
        }
    }
    for (std::size_t i = 0; i < places.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (places[i].device == places[j].device)
                return Failure{ExitStatus::BadInput,
                               places[i].device.toStdString() + " is given twice"};
    if (places.empty())
        return Failure{ExitStatus::BadInput, kUsage};
    return places;
}

} // namespace

ExitStatus batchCommand(const Arguments& arguments) {
    if (arguments.options.contains("--resume"))
        return report({ExitStatus::BadInput,
                       "--resume is gone: the production store knows which numbers are free; "
                       "give a job a range that starts after the numbers an old record holds"});
    const auto placed = placesOf(arguments);
    if (!placed)
        return report(placed.error());
    const auto timeout = timeoutOption(arguments, kDefaultTimeout);
    if (!timeout)
        return report({ExitStatus::BadInput, describe(timeout.problems())});
    const auto location = store::storeLocationOf(optionOr(arguments, "--store", {}));
    if (!location)
        return report(storeFailure(location.error()));
    auto started = store::StoreThread::start(*location);
    if (!started)
        return report(storeFailure(started.error()));
    store::StoreThread& store = **started;
    const std::string station =
        optionOr(arguments, "--station", QSysInfo::machineHostName().toStdString());
    const std::string who = optionOr(arguments, "--operator", operatorName().toStdString());
    auto job = jobOf(arguments, store, station, who);
    if (!job)
        return report(job.error());
    auto frames = framesOf(*job);
    if (!frames)
        return report(frames.error());
    const auto& places = *placed;
    // Ctrl-C from here on ends the batch in order, whatever it is doing.
    Interruption interruption;
    // The CSV copy is held before any port is touched: a second batch on it stops here.
    auto mirror = openBatchMirror(
        arguments, job->configurationFile, job->configurationSha256,
        [&places](int position) { return places[static_cast<std::size_t>(position - 1)].label; });
    if (!mirror)
        return report(mirror.error());

    std::vector<ProductionLine::Position> positions;
    std::vector<std::string> devices;
    for (const JigPlace& place : places) {
        auto jig = std::make_unique<JigPosition>(static_cast<int>(positions.size() + 1), *timeout,
                                                 arguments.has("--verify"));
        if (const auto opened = jig->open(place.device); !opened)
            return report({ExitStatus::PortUnusable, opened.error().text().toStdString()});
        devices.push_back(jig->device().toStdString());
        positions.push_back({place.label, std::move(jig)});
    }
    // This station's numbers left in flight on the devices it now holds went out with no
    // outcome (a batch killed or a power cut): their units are to be checked.
    auto swept = store.run<store::StoreResult<std::vector<std::pair<std::string, long>>>>(
        [&](store::ProductionStore& s) { return s.markInFlightToCheck(station, devices); });
    if (!swept)
        return report(storeFailure(swept.error()));
    for (const auto& [name, number] : *swept)
        std::printf("left in flight by an earlier batch, now to check: job %s, number %ld\n",
                    name.c_str(), number);
    auto counts = store.run<store::StoreResult<std::vector<store::StateCount>>>(
        [&](store::ProductionStore& s) { return s.counts(job->name); });
    if (!counts)
        return report(storeFailure(counts.error()));
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
