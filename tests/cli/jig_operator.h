#pragma once

#include "cli_process.h"

#include <QRegularExpression>

#include <algorithm>
#include <map>
#include <optional>
#include <set>

namespace velmora::cli_test {

// The programming frames the unit at a position took, read requests left out.
inline std::vector<Bytes> programmingFrames(SimulatedUnit& unit) {
    std::vector<Bytes> frames;
    for (const Bytes& frame : framesIn(unit.received()))
        if (frame != bytesOf(readRequest()))
            frames.push_back(frame);
    return frames;
}

// When the unit at a position took each poll "U", and each frame's first bytes.
struct LineTimes {
    std::vector<double> polls;
    std::vector<double> frames;
};
inline LineTimes lineTimes(const SimulatedUnit& unit) {
    LineTimes times;
    std::size_t frameLeft = 0; // a frame's own end byte "U" is no poll
    for (const auto& [ms, bytes] : unit.timedChunks("rx")) {
        if (frameLeft == 0 && bytes == Bytes{kPollByte}) {
            times.polls.push_back(ms);
            continue;
        }
        if (frameLeft == 0 && bytes.front() == kFrameStart) {
            times.frames.push_back(ms);
            frameLeft = kFrameSize;
        }
        frameLeft -= std::min(frameLeft, bytes.size());
    }
    return times;
}

// The operator at the jig, reading the batch's plain event lines: takes away the unit
// a position is done with, puts the next one in once the position waits, and can give
// the next unit at a position a fault ("noack on") or act while it is being programmed.
class JigOperator {
public:
    struct Plan {
        int position;
        int unit;                // 1 for the first unit put into that position
        QString whenPresent;     // control line for the unit as it is put in
        QString whenProgramming; // control line once the position says "programming"
        int holdMs = 0;          // left in the cradle this long after "take the unit away"
    };

    // `inChild` runs in the batch's process before it starts (a resource limit).
    JigOperator(SimulatedJig& jig, const QStringList& arguments, std::vector<Plan> plans = {},
                const std::function<void()>& inChild = {})
        : jig_(jig), plans_(std::move(plans)), arrivals_(jig.size() + 1, 1),
          swapping_(jig.size() + 1, false), takeAwayAt_(jig.size() + 1) {
        SimulatedUnit::ensureApplication();
        clock_.start();
        if (inChild)
            cli_.setChildProcessModifier(inChild);
        cli_.start(QStringLiteral(VELMORA_CLI), arguments);
        for (const Plan& plan : plans_)
            if (plan.unit == 1 && !plan.whenPresent.isEmpty())
                jig_[static_cast<std::size_t>(plan.position - 1)].control(plan.whenPresent);
    }
    ~JigOperator() {
        if (cli_.state() != QProcess::NotRunning) {
            cli_.kill();
            cli_.waitForFinished(1000);
        }
    }

    // Serves the jig until the batch ends or an event line matches `until` for the
    // `times`-th time.
    bool serve(int limitMs, const QRegularExpression& until = {}, int times = 1) {
        int seen = 0;
        return QTest::qWaitFor(
            [&] {
                takeAwayDueUnits();
                cli_.waitForReadyRead(10);
                out_ += cli_.readAllStandardOutput().toStdString();
                pending_ += cli_.readAllStandardError().toStdString();
                for (std::size_t end; (end = pending_.find('\n')) != std::string::npos;) {
                    const std::string line = pending_.substr(0, end);
                    pending_.erase(0, end + 1);
                    err_ += line + "\n";
                    react(line);
                    if (!until.pattern().isEmpty() &&
                        until.match(QString::fromStdString(line)).hasMatch() && ++seen == times)
                        return true;
                }
                return cli_.state() == QProcess::NotRunning;
            },
            limitMs);
    }
    int finish(int limitMs) {
        if (!serve(limitMs))
            return -1;
        cli_.waitForFinished(2000);
        out_ += cli_.readAllStandardOutput().toStdString();
        err_ += pending_ + cli_.readAllStandardError().toStdString();
        return cli_.exitStatus() == QProcess::NormalExit ? cli_.exitCode() : -1;
    }
    bool interrupt() { return signalChild(cli_, SIGINT); }
    bool killNow() { return signalChild(cli_, SIGKILL); }
    // The reader of standard output goes away, as `| head` does.
    void closeOutput() { cli_.closeReadChannel(QProcess::StandardOutput); }
    const std::string& out() const { return out_; }
    const std::string& err() const { return err_; }
    // How many units were put into the position's cradle, the first one included.
    int unitsPutIn(std::size_t position) const { return arrivals_[position]; }

private:
    const Plan* planFor(std::size_t position) const {
        for (const Plan& plan : plans_)
            if (plan.position == static_cast<int>(position) && plan.unit == arrivals_[position])
                return &plan;
        return nullptr;
    }
    void takeAwayDueUnits() {
        for (std::size_t p = 1; p < takeAwayAt_.size(); ++p) {
            if (!takeAwayAt_[p] || *takeAwayAt_[p] > clock_.elapsed())
                continue;
            takeAwayAt_[p].reset();
            SimulatedUnit& unit = jig_[p - 1];
            unit.control("silent on");
            unit.control("noack off");
            unit.control("misstore off");
        }
    }

    void react(const std::string& line) {
        static const QRegularExpression event(
            R"(^\S+ (?:\[\d+/\d+\] )?position (\d+)(?: \d+)?: (.*)$)");
        const auto match = event.match(QString::fromStdString(line));
        if (!match.hasMatch())
            return;
        const auto p = static_cast<std::size_t>(match.captured(1).toInt());
        const QString state = match.captured(2);
        SimulatedUnit& unit = jig_[p - 1];
        const Plan* plan = planFor(p);
        if (state.contains("take the unit away") && !swapping_[p]) {
            swapping_[p] = true;
            takeAwayAt_[p] = clock_.elapsed() + (plan ? plan->holdMs : 0);
            takeAwayDueUnits();
        } else if (state.startsWith("waiting") && swapping_[p]) {
            swapping_[p] = false;
            ++arrivals_[p];
            if (const Plan* next = planFor(p); next && !next->whenPresent.isEmpty())
                unit.control(next->whenPresent);
            unit.control("silent off");
        } else if (state == "programming" && plan && !plan->whenProgramming.isEmpty()) {
            unit.control(plan->whenProgramming);
        }
    }

    SimulatedJig& jig_;
    std::vector<Plan> plans_;
    std::vector<int> arrivals_;
    std::vector<bool> swapping_;
    std::vector<std::optional<qint64>> takeAwayAt_;
    QElapsedTimer clock_;
    QProcess cli_;
    std::string out_;
    std::string err_;
    std::string pending_;
};

inline FormModel site(long number) {
    return windowAfter([&](FormModel& form) {
        form.setComboRow(3);
        form.setText("Txtgruppo"_control, "4");
        form.setText("Txtnumero"_control, std::to_string(number));
    });
}

// Which number each programming frame carried, by comparing it with the window's frame
// for each number of the batch.
inline std::multiset<long> numbersSent(SimulatedJig& jig, long first, long count) {
    std::map<Bytes, long> byFrame;
    for (long number = first; number < first + count; ++number)
        byFrame[bytesOf(windowFrame(site(number)))] = number;
    std::multiset<long> sent;
    for (std::size_t p = 0; p < jig.size(); ++p)
        for (const Bytes& frame : programmingFrames(jig[p])) {
            const auto found = byFrame.find(frame);
            sent.insert(found == byFrame.end() ? -1 : found->second);
        }
    return sent;
}

inline std::multiset<long> range(long first, long count) {
    std::multiset<long> numbers;
    for (long number = first; number < first + count; ++number)
        numbers.insert(number);
    return numbers;
}

} // namespace velmora::cli_test
