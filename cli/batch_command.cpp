#include "cli/assignment.h"
#include "cli/batch_record.h"
#include "cli/device_commands.h"
#include "cli/device_line.h"
#include "cli/form_loading.h"
#include "cli/interruption.h"
#include "cli/production_line.h"
#include "link/device_naming.h"
#include "link/file_name_bytes.h"
#include "link/port_mapping.h"

#include <QFileInfo>

#include <sstream>
#include <string>
#include <vector>

namespace velmora::cli {
namespace {

constexpr long kHighestNumber = 9999;
constexpr const char* kUsage =
    "usage: velmora-cli batch FILE.prg (--port N[,N...] | --device PATH ...) --number-from N "
    "--count C [--verify] [--log FILE.csv] [--resume FILE.csv]";

struct BatchPlan {
    long first = 0;
    long count = 0;
    std::map<long, Frame> frames;
};

// Every frame of the batch, built as the window builds it after typing the number into
// `Txtnumero`; a number the window would not take stops the batch before it starts.
Step<BatchPlan> planOf(const Arguments& arguments) {
    const auto from = arguments.options.find("--number-from");
    const auto count = arguments.options.find("--count");
    if (arguments.plain.size() != 1 || from == arguments.options.end() ||
        count == arguments.options.end())
        return Failure{ExitStatus::BadInput, kUsage};
    const auto first = wholeNumber(from->second, 0, kHighestNumber);
    if (!first)
        return Failure{ExitStatus::BadInput, "--number-from takes a whole number from 0 to " +
                                                 std::to_string(kHighestNumber) + ", not \"" +
                                                 from->second + "\""};
    const long most = kHighestNumber - *first + 1;
    const auto units = wholeNumber(count->second, 1, most);
    if (!units)
        return Failure{ExitStatus::BadInput,
                       "--count takes a whole number from 1 to " + std::to_string(most) +
                           " (the numbers from --number-from " + std::to_string(*first) +
                           " stay within 0 to " + std::to_string(kHighestNumber) + "), not \"" +
                           count->second + "\""};
    const std::string& path = arguments.plain[0];
    Result<LoadedFile> loaded = loadConfiguration(path);
    if (!loaded)
        return Failure{ExitStatus::BadInput, path + ": " + describe(loaded.problems())};
    FormModel& form = loaded.value().form;
    BatchPlan plan{*first, *units, {}};
    for (long number = *first; number < *first + *units; ++number) {
        if (const Status typed = applyAssignment(form, "Txtnumero=" + std::to_string(number));
            !typed)
            return Failure{ExitStatus::BadInput, describe(typed.problems())};
        const Result<Frame> frame = frameOfForm(form);
        if (!frame)
            return Failure{ExitStatus::BadInput, path + ": " + describe(frame.problems())};
        plan.frames.emplace(number, *frame);
    }
    return plan;
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
            const auto device = deviceForPort(static_cast<int>(*number));
            if (!device)
                return Failure{ExitStatus::PortUnusable, device.error().text().toStdString()};
            places.push_back({"port " + word, *device});
        }
    } else {
        for (const std::string& path : arguments.repeated.at("--device")) {
            // A path relative to the working folder; a bare name is the serial layer's own.
            const QString file = nameFromBytes(QByteArray::fromStdString(path));
            places.push_back({"position " + std::to_string(places.size() + 1),
                              deviceExists(file) ? QFileInfo(file).absoluteFilePath() : file});
        }
    }
    // Two names of one device (a link and its target, two port numbers mapped alike)
    // would be two positions fighting over one line.
    for (std::size_t i = 0; i < places.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (sameDevice(places[i].device, places[j].device))
                return Failure{ExitStatus::BadInput,
                               "the same device is given twice: " + places[j].label + " (" +
                                   places[j].device.toStdString() + ") and " + places[i].label +
                                   " (" + places[i].device.toStdString() + ") are both " +
                                   canonicalDevice(places[i].device).toStdString()};
    if (places.empty())
        return Failure{ExitStatus::BadInput, kUsage};
    return places;
}

} // namespace

ExitStatus batchCommand(const Arguments& arguments) {
    auto planned = planOf(arguments);
    if (!planned)
        return report(planned.error());
    const auto placed = placesOf(arguments);
    if (!placed)
        return report(placed.error());
    const auto timeout = timeoutOption(arguments, kDefaultTimeout);
    if (!timeout)
        return report({ExitStatus::BadInput, describe(timeout.problems())});
    BatchPlan& plan = *planned;
    const auto& places = *placed;
    // Ctrl-C from here on ends the batch in order, whatever it is doing.
    Interruption interruption;
    // The record is held before any port is touched: a second batch on it stops here.
    auto recorded = openBatchRecord(arguments, arguments.plain[0], [&places](int position) {
        return places[static_cast<std::size_t>(position - 1)].label;
    });
    if (!recorded)
        return report(recorded.error());
    BatchRecord& record = *recorded;

    std::vector<ProductionLine::Position> positions;
    for (const JigPlace& place : places) {
        auto jig = std::make_unique<JigPosition>(static_cast<int>(positions.size() + 1), *timeout,
                                                 arguments.has("--verify"));
        if (const auto opened = jig->open(place.device); !opened)
            return report({ExitStatus::PortUnusable, opened.error().text().toStdString()});
        positions.push_back({place.label, std::move(jig)});
    }
    ProductionLine line(std::move(positions), std::move(plan.frames),
                        NumberDispenser(plan.first, plan.count, record.alreadySent),
                        BatchSummary(plan.first, plan.count, record.alreadySent, record.path),
                        std::move(record.recorder));
    QObject::connect(&interruption, &Interruption::interrupted, &line, &ProductionLine::interrupt);
    return line.run();
}

} // namespace velmora::cli
