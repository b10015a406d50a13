#include "cli/assignment.h"
#include "cli/batch_record.h"
#include "cli/device_commands.h"
#include "cli/device_line.h"
#include "cli/form_loading.h"
#include "cli/interruption.h"
#include "cli/production_line.h"
#include "cli/verb_table.h"

#include <string>
#include <vector>

namespace velmora::cli {
namespace {

struct BatchPlan {
    long first = 0;
    long count = 0;
    std::map<long, Frame> frames;
};

// Every frame of the batch, built as the window builds it after typing the number into
// `Txtnumero`; a number the window would not take stops the batch before it starts.
Step<BatchPlan> planOf(const Arguments& arguments) {
    const auto first =
        wholeNumber(arguments.options.at("--number-from"), 0, kHighestPeripheralNumber);
    const long most = kHighestPeripheralNumber - *first + 1;
    const auto units = wholeNumber(arguments.options.at("--count"), 1, most);
    if (!units)
        return Failure{ExitStatus::BadInput,
                       "--count takes a whole number from 1 to " + std::to_string(most) +
                           " (the numbers from --number-from " + std::to_string(*first) +
                           " stay within 0 to " + std::to_string(kHighestPeripheralNumber) +
                           "), not \"" + arguments.options.at("--count") + "\""};
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

} // namespace

ExitStatus batchCommand(const Arguments& arguments, std::ostream&, std::ostream& err) {
    auto planned = planOf(arguments);
    if (!planned)
        return report(err, planned.error());
    const auto placed = linePlaces(arguments, true);
    if (!placed)
        return report(err, placed.error());
    if (placed->empty())
        return report(err, {ExitStatus::BadInput, usageOf(*findVerb("batch"))});
    const auto timeout = timeoutOf(arguments, kDefaultTimeout);
    BatchPlan& plan = *planned;
    const auto& places = *placed;
    // Ctrl-C from here on ends the batch in order, whatever it is doing.
    Interruption interruption;
    // The record is held before any port is touched: a second batch on it stops here.
    auto recorded = openBatchRecord(arguments, arguments.plain[0], [&places](int position) {
        return places[static_cast<std::size_t>(position - 1)].label;
    });
    if (!recorded)
        return report(err, recorded.error());
    BatchRecord& record = *recorded;

    std::vector<ProductionLine::Position> positions;
    for (const LinePlace& place : places) {
        auto jig = std::make_unique<JigPosition>(static_cast<int>(positions.size() + 1), timeout,
                                                 arguments.has("--verify"));
        if (const auto opened = jig->open(place.device); !opened)
            return report(err, openFailure(opened.error(), place.port));
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
