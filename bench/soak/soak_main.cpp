// velmora-soak: the real program, headless, against a simulated unit that misbehaves
// at random (garbage, cut replies, long gaps, silent spells, hang-ups, missing
// acknowledgements) while "Programma" and "Leggi" are clicked again and again. After
// each spell the line is left alone for a moment and then both commands are tried on a
// clean line. Ends with the figures the program is held to: no crash, polling back
// within 1 s of every recovery of the unit, "Programmato" for every acknowledgement the
// unit sent whole and never without one, "Connesso" gone within 1.5 s of the unit's
// last byte whenever it fell silent or hung up, and resident memory within 1 MB of
// where it stood after the first minute.
//
//   velmora-soak [--minutes M] [--seed S] [--program PATH] [--unit PATH]
#include "harness/process_stats.h"
#include "harness/session.h"
#include "harness/statistics.h"
#include "soak/fault_plan.h"
#include "soak/soak_judgement.h"
#include "support/command_options.h"
#include "support/monotonic_clock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace velmora;
using namespace velmora::bench;

constexpr int kStartTimeoutMs = 10000;
constexpr int kReplyTimeoutMs = 2000;
constexpr int kQuietAfterSpellMs = 1500;
constexpr int kSliceMs = 250;
constexpr int kCleanClickPauseMs = 20;
constexpr double kSampleEveryMs = 5000;
constexpr double kBaselineAfterMs = 60000;
constexpr long kMemoryDriftLimitKb = 1024;

struct Options {
    double minutes = 10;
    unsigned seed = static_cast<unsigned>(std::time(nullptr));
    std::string program = VELMORA_PROGRAM;
    std::string unit = VELMORA_UNIT_SIM;
};

constexpr const char* kUsage =
    "usage: velmora-soak [--minutes M] [--seed S] [--program PATH] [--unit PATH]\n";

Result<Options> parseOptions(int argc, char** argv) {
    const Accepted accepted{{"--minutes", "--seed", "--program", "--unit"}, {}, {}, 0};
    return readOptions(
        {argv + 1, argv + argc}, accepted, Options{}, [](OptionValues& values, Options& options) {
            values.decimal("--minutes", options.minutes, 0.01, 10080);
            values.whole("--seed", options.seed, 0, std::numeric_limits<unsigned>::max());
            values.text("--program", options.program);
            values.text("--unit", options.unit);
        });
}

class Soak {
public:
    Soak(Session& session, unsigned seed) : session_(session), plan_(seed) {}

    bool start() {
        if (const Started started = session_.start(); !started) {
            std::fprintf(stderr, "%s\n", started.error().c_str());
            return false;
        }
        startMs_ = session_.spawnedMs();
        return session_.events().waitFor("connected", kStartTimeoutMs).has_value();
    }

    // Spells until `minutes` have passed or the program has died.
    void run(double minutes) {
        const double endMs = startMs_ + minutes * 60000;
        // A first programming starts the timer that resumes polling every 500 ms.
        cleanCommand("Command1", "programmed");
        while (monotonicMs() < endMs && alive())
            spell();
    }

    void report(const std::string& eventsPath) {
        const bool crashed = !alive();
        const std::string ending =
            crashed ? session_.program().exitDescription() : std::string("none");
        const double endMs = monotonicMs();
        session_.stopProgram();
        session_.unit().stop();
        int notices = 0;
        std::ofstream events(eventsPath);
        for (const ProgramEvent& event : session_.events().seen()) {
            events << std::fixed << event.ms << ' ' << event.what << ' ' << event.detail << '\n';
            notices += event.what == "notice";
        }
        const SoakJudgement judgement =
            judgeSoak(session_.unitLog(), session_.events().seen(), endMs);
        const auto memory = memoryDrift(memorySamples_, startMs_ + kBaselineAfterMs);

        std::printf("velmora soak: %.1f min\nspells:", (endMs - startMs_) / 60000);
        for (const auto& [name, count] : spells_)
            std::printf(" %s %d,", name.c_str(), count);
        std::printf("\nclicks: Programma %d, Leggi %d; message boxes closed %d\n",
                    clicks_["Command1"], clicks_["Command4"], notices);

        const bool ackOk =
            judgement.unshownAcknowledgements.empty() && judgement.unexpectedProgrammed.empty();
        const auto& delays = judgement.resumeDelays;
        const long late = std::count_if(delays.begin(), delays.end(),
                                        [](double delay) { return delay > kResumeLimitMs; });
        const bool resumeOk = late == 0 && judgement.neverResumed == 0;
        const bool linkShownOk = judgement.connectedTooLong.empty();
        const bool memoryOk =
            memory && std::labs(memory->finalKb - memory->baselineKb) <= kMemoryDriftLimitKb;
        std::printf("%-9s crash: %s\n", crashed ? "FAILED" : "ok", ending.c_str());
        std::printf("%-9s acknowledgements the program had to take: %d (%d more where a click"
                    " came too close to a chunk to tell), without \"Programmato\": %zu;"
                    " \"Programmato\" shown %d times, without an acknowledgement: %zu\n",
                    ackOk ? "ok" : "FAILED", judgement.certainAcknowledgements,
                    judgement.uncertainAcknowledgements, judgement.unshownAcknowledgements.size(),
                    judgement.programmedShown, judgement.unexpectedProgrammed.size());
        std::printf("%-9s clean-line commands without their result: %d\n",
                    cleanFailures_ == 0 ? "ok" : "FAILED", cleanFailures_);
        std::printf("%-9s recoveries of the unit: %d; polling back after median %.0f ms,"
                    " p99 %.0f ms, max %.0f ms; later than 1 s: %ld; never: %d\n",
                    resumeOk ? "ok" : "FAILED", judgement.recoveries, median(delays),
                    percentile(delays, 0.99), percentile(delays, 1.0), late,
                    judgement.neverResumed);
        std::printf("%-9s silences and hang-ups of the unit: %d; \"Connesso\" still shown 1.5 s"
                    " after its last byte: %zu\n",
                    linkShownOk ? "ok" : "FAILED", judgement.quietSpellsJudged,
                    judgement.connectedTooLong.size());
        for (const double at : judgement.connectedTooLong)
            std::fprintf(stderr,
                         "%.0f ms: the unit fell quiet, \"Connesso\" still shown 1.5 s later\n",
                         at - startMs_);
        if (memory)
            std::printf("%-9s resident memory: %.2f MB after the first minute, %.2f MB at the end"
                        " (%+ld kB; widest drift %ld kB)\n",
                        memoryOk ? "ok" : "FAILED", memory->baselineKb / 1024.0,
                        memory->finalKb / 1024.0, memory->finalKb - memory->baselineKb,
                        memory->widestDriftKb);
        else
            std::printf("FAILED    resident memory: no sample after the first minute\n");
        passed_ = !crashed && ackOk && cleanFailures_ == 0 && resumeOk && linkShownOk && memoryOk;
        std::printf("verdict: %s\n", passed_ ? "passed" : "FAILED");
    }

    bool passed() const { return passed_; }

private:
    bool alive() { return session_.program().running(); }

    void spell() {
        const FaultSpell spell = plan_.nextSpell();
        ++spells_[spell.name];
        if (!spell.switchOn.empty() && !session_.controlUnit(spell.switchOn))
            std::fprintf(stderr, "the unit refused \"%s\"\n", spell.switchOn.c_str());
        const double spellEndMs = monotonicMs() + spell.durationMs;
        for (double left = spell.durationMs; left > 0 && alive();
             left = spellEndMs - monotonicMs()) {
            click(plan_.nextButton());
            waitAndWatch(std::min(static_cast<double>(plan_.nextClickPauseMs()), left));
        }
        if (!spell.switchOff.empty())
            session_.controlUnit(spell.switchOff);
        waitAndWatch(kQuietAfterSpellMs);
        // On a clean line both commands must work: the read also repairs a form that a
        // garbage reply filled with values that cannot be programmed.
        cleanCommand("Command4", "image-handled");
        cleanCommand("Command1", "programmed");
    }

    void click(const char* button) {
        ++clicks_[button];
        session_.click(button);
    }

    void cleanCommand(const char* button, const char* result) {
        // Clear of the last reply's final chunk, so the judgement knows the order.
        waitAndWatch(kCleanClickPauseMs);
        click(button);
        if (!session_.events().waitFor(result, kReplyTimeoutMs)) {
            ++cleanFailures_;
            std::fprintf(stderr, "%.0f ms: %s on a clean line gave no %s\n",
                         monotonicMs() - startMs_, button, result);
        }
    }

    // Lets `ms` pass while reading the program's events, sampling its memory.
    void waitAndWatch(double ms) {
        const double untilMs = monotonicMs() + ms;
        for (double left = ms; left > 0 && alive(); left = untilMs - monotonicMs()) {
            session_.events().pump(static_cast<int>(std::min(left, double{kSliceMs})) + 1);
            if (monotonicMs() >= nextSampleMs_) {
                if (const auto kb = residentKb(session_.program().pid()))
                    memorySamples_.emplace_back(monotonicMs(), *kb);
                nextSampleMs_ = monotonicMs() + kSampleEveryMs;
            }
        }
    }

    Session& session_;
    FaultPlan plan_;
    double startMs_ = 0;
    double nextSampleMs_ = 0;
    std::vector<std::pair<double, long>> memorySamples_;
    std::map<std::string, int> spells_;
    std::map<std::string, int> clicks_;
    int cleanFailures_ = 0;
    bool passed_ = false;
};

} // namespace

int main(int argc, char** argv) {
    const auto parsed = parseOptions(argc, argv);
    if (!parsed)
        return refuseArguments("velmora-soak", parsed.problems(), kUsage);
    const Options& options = *parsed;
    char folder[] = "/tmp/velmora-soak-XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    std::fprintf(stderr,
                 "soak of %.1f min, seed %u; the unit's log and the program's events go to %s\n",
                 options.minutes, options.seed, folder);
    Session session({options.program, options.unit, folder});
    Soak soak(session, options.seed);
    if (!soak.start()) {
        std::fprintf(stderr, "the program did not start polling\n");
        return 1;
    }
    soak.run(options.minutes);
    soak.report(std::string(folder) + "/events.log");
    return soak.passed() ? 0 : 1;
}
