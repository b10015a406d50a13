#include "cli/assignment.h"
#include "cli/device_commands.h"
#include "cli/device_line.h"
#include "cli/form_loading.h"
#include "cli/progress_line.h"
#include "cli/verification.h"

#include <cstdio>
#include <string>
#include <vector>

namespace velmora::cli {
namespace {

// Two polls in a row decide: a connector that bounces is neither taken nor let go.
constexpr int kPollsToDecide = 2;
constexpr long kHighestNumber = 9999;

struct Unit {
    long number;
    Frame frame;
};

// Every frame of the batch, built as the window builds it after typing the number
// into `Txtnumero`; a number the window would not take stops the batch before it starts.
std::variant<std::vector<Unit>, Failure> unitsOfBatch(const Arguments& arguments) {
    const auto from = arguments.options.find("--number-from");
    const auto count = arguments.options.find("--count");
    if (arguments.plain.size() != 1 || from == arguments.options.end() ||
        count == arguments.options.end())
        return Failure{ExitStatus::BadInput,
                       "usage: velmora-cli batch (--port N | --device PATH) FILE.prg "
                       "--number-from N --count C [--verify]"};
    const auto first = wholeNumber(from->second, 0, kHighestNumber);
    const auto units = wholeNumber(count->second, 1, kHighestNumber + 1);
    if (!first || !units || *first + *units - 1 > kHighestNumber)
        return Failure{ExitStatus::BadInput, "--number-from and --count must keep the numbers "
                                             "within 0 to 9999"};
    const std::string& path = arguments.plain[0];
    Result<LoadedFile> loaded = loadConfiguration(path);
    if (!loaded)
        return Failure{ExitStatus::BadInput, path + ": " + describe(loaded.problems())};
    FormModel& form = loaded.value().form;
    std::vector<Unit> batch;
    for (long number = *first; number < *first + *units; ++number) {
        if (const auto problem = applyAssignment(form, "Txtnumero=" + std::to_string(number)))
            return Failure{ExitStatus::BadInput, problem->message};
        const Result<Frame> frame = frameOfForm(form);
        if (!frame)
            return Failure{ExitStatus::BadInput, path + ": " + describe(frame.problems())};
        batch.push_back({number, *frame});
    }
    return batch;
}

class Batch {
public:
    Batch(UnitSession& session, const LineChoice& line, bool verify)
        : session_(session), line_(line), verify_(verify), progress_(stderr, stdout) {}

    ExitStatus run(const std::vector<Unit>& units) {
        std::size_t next = 0;
        while (next < units.size()) {
            show(next, units.size(), std::to_string(units[next].number) + ": connect a unit");
            if (session_.awaitUnit(true, kPollsToDecide))
                return lost(units.size());
            const UnitResult result = programOne(next, units.size(), units[next]);
            if (result == UnitResult::PortLost)
                return lost(units.size());
            if (result == UnitResult::Done) {
                done_.push_back(units[next].number);
                ++next;
            }
            if (next == units.size())
                break;
            show(next, units.size(), "disconnect the unit just programmed");
            if (session_.awaitUnit(false, kPollsToDecide))
                return lost(units.size());
        }
        summarise(units.size());
        return failures_.empty() ? ExitStatus::Done : ExitStatus::Differs;
    }

private:
    enum class UnitResult { Done, Failed, PortLost };

    void show(std::size_t index, std::size_t total, const std::string& what) {
        progress_.show("[" + std::to_string(index + 1) + "/" + std::to_string(total) + "] " + what);
    }

    // Programs and, when asked, verifies one unit. A failure leaves the number for the
    // next unit; only a lost port ends the batch.
    UnitResult programOne(std::size_t index, std::size_t total, const Unit& unit) {
        const std::string number = std::to_string(unit.number);
        show(index, total, number + ": programming");
        if (const auto trouble = session_.program(unit.frame))
            return fail(number, *trouble, "the programming frame");
        if (verify_) {
            show(index, total, number + ": verifying");
            const auto checked = readBack(session_, imageOfFrame(unit.frame));
            if (const auto* trouble = std::get_if<LineTrouble>(&checked))
                return fail(number, *trouble, "the read request");
            const auto& found = std::get<std::vector<Difference>>(checked);
            if (!found.empty()) {
                std::string detail = "verify failed";
                for (const Difference& difference : found)
                    detail += "; " + describeReadBack(difference);
                return fail(number, detail);
            }
        }
        progress_.record(number + (verify_ ? ": programmed and verified" : ": programmed"));
        return UnitResult::Done;
    }

    UnitResult fail(const std::string& number, LineTrouble trouble, const std::string& exchange) {
        if (trouble == LineTrouble::PortLost)
            return UnitResult::PortLost;
        return fail(number, troubleFailure(trouble, line_, exchange).message);
    }

    UnitResult fail(const std::string& number, const std::string& why) {
        failures_.push_back(number + " (" + why + ")");
        progress_.record(number + ": FAILED, " + why + "; the number goes to the next unit");
        return UnitResult::Failed;
    }

    ExitStatus lost(std::size_t total) {
        summarise(total);
        return report(troubleFailure(LineTrouble::PortLost, line_, {}));
    }

    void summarise(std::size_t total) {
        std::string line =
            std::to_string(done_.size()) + " of " + std::to_string(total) + " unit(s) programmed";
        for (std::size_t i = 0; i < done_.size(); ++i)
            line += (i == 0 ? ": " : ", ") + std::to_string(done_[i]);
        progress_.clear();
        progress_.record(line);
        for (const std::string& failure : failures_)
            progress_.record("failed: " + failure);
    }

    UnitSession& session_;
    const LineChoice& line_;
    bool verify_;
    ProgressLine progress_;
    std::vector<long> done_;
    std::vector<std::string> failures_;
};

} // namespace

ExitStatus batchCommand(const Arguments& arguments) {
    const auto units = unitsOfBatch(arguments);
    if (const auto* failure = std::get_if<Failure>(&units))
        return report(*failure);
    const auto opened = openLine(arguments);
    if (const auto* failure = std::get_if<Failure>(&opened))
        return report(*failure);
    const OpenLine& line = std::get<OpenLine>(opened);
    Batch batch(*line.session, line.choice, arguments.has("--verify"));
    return batch.run(std::get<std::vector<Unit>>(units));
}

} // namespace velmora::cli
