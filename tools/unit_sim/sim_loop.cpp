#include "unit_sim/sim_loop.h"

#include "support/monotonic_clock.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace velmora::sim {
namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) {
    stopRequested = 1;
}

void installStopHandlers() {
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: the wait returns at once
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

// The paced chunks should leave on time rather than when the kernel finds it handy.
void tightenTimerSlack() {
    prctl(PR_SET_TIMERSLACK, 50000UL);
}

void say(const std::string& line) {
    std::fputs((line + '\n').c_str(), stdout);
    std::fflush(stdout);
}

timespec waitFor(double ms) {
    const double clamped = std::max(0.0, ms);
    const auto whole = static_cast<long>(clamped / 1000.0);
    return timespec{whole, static_cast<long>((clamped - whole * 1000.0) * 1e6)};
}

} // namespace

SimLoop::SimLoop(SimOptions options, const Image& image)
    : options_(std::move(options)), startImage_(image), unit_(image), pacer_(options_.chunkMs) {}

int SimLoop::run() {
    installStopHandlers();
    tightenTimerSlack();
    if (!options_.logPath.empty() && !log_.open(options_.logPath)) {
        std::fprintf(stderr, "velmora-unit-sim: cannot write %s\n", options_.logPath.c_str());
        return 1;
    }
    if (!openLine()) {
        return 1;
    }
    if (options_.hangup) {
        scheduledHangupAtMs_ = monotonicMs() + options_.hangup->afterMs;
    }
    if (!options_.presence.empty()) {
        startPresenceStep(0, monotonicMs());
    }
    while (stopRequested == 0) {
        pollfd watched[2] = {{line_.masterFd(), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        watched[1].fd = controlOpen_ ? STDIN_FILENO : -1;
        const auto wake = nextWakeMs();
        const timespec timeout = waitFor(wake ? *wake - monotonicMs() : 0);
        const int ready = ppoll(watched, 2, wake ? &timeout : nullptr, nullptr);
        if (ready < 0 && errno != EINTR) {
            std::perror("velmora-unit-sim: ppoll");
            return 1;
        }
        const double now = monotonicMs();
        if (scheduledHangupAtMs_ && now >= *scheduledHangupAtMs_) {
            scheduledHangupAtMs_.reset();
            hangUp(options_.hangup->downMs);
        }
        if (presenceStepEndsMs_ && now >= *presenceStepEndsMs_) {
            startPresenceStep(presenceStep_ + 1, *presenceStepEndsMs_);
        }
        if (reopenAtMs_ && now >= *reopenAtMs_) {
            reopenAtMs_.reset();
            if (!openLine()) {
                return 1;
            }
        }
        if (ready > 0 && line_.isOpen() && (watched[0].revents & POLLIN) != 0) {
            readLine();
        }
        if (ready > 0 && (watched[1].revents & (POLLIN | POLLHUP)) != 0) {
            readControl();
        }
        sendDueBytes();
    }
    line_.close();
    if (!options_.linkPath.empty()) {
        ::unlink(options_.linkPath.c_str());
    }
    return 0;
}

bool SimLoop::openLine() {
    Status opened = line_.open();
    if (opened && !options_.linkPath.empty()) {
        opened = pointLink(options_.linkPath, line_.slavePath());
    }
    if (!opened) {
        std::fprintf(stderr, "velmora-unit-sim: %s\n", describe(opened.problems()).c_str());
        return false;
    }
    log_.note(monotonicMs(), "open " + line_.slavePath());
    say(line_.slavePath());
    return true;
}

void SimLoop::hangUp(int downMs) {
    // While the line is down the link leads nowhere: the number of the closed
    // pseudo-terminal may be handed to someone else's in the meantime.
    if (!options_.linkPath.empty()) {
        ::unlink(options_.linkPath.c_str());
    }
    line_.close();
    pacer_.clear();
    unit_.forgetPartialFrame();
    reopenAtMs_ = monotonicMs() + downMs;
    log_.note(monotonicMs(), "hangup");
}

void SimLoop::readLine() {
    std::uint8_t buffer[4096];
    const ssize_t count = ::read(line_.masterFd(), buffer, sizeof buffer);
    if (count <= 0) {
        return;
    }
    const double now = monotonicMs();
    const std::span<const std::uint8_t> chunk(buffer, static_cast<std::size_t>(count));
    log_.received(now, chunk);
    if (!present_) {
        return; // nobody in the cradle: the bytes go nowhere
    }
    for (const std::uint8_t byte : chunk) {
        if (const auto reply = unit_.receive(byte)) {
            if (reply->kind == ReplyKind::Acknowledgement && options_.faults.misstore)
                unit_.spoilStoredImage();
            // A bouncing connector: every other poll is lost on the way.
            if (reply->kind == ReplyKind::Connect && options_.faults.bounce) {
                pollHeard_ = !pollHeard_;
                if (!pollHeard_)
                    continue;
            }
            pacer_.queue(*reply, options_.faults, now);
        }
    }
}

void SimLoop::readControl() {
    char buffer[512];
    const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (count <= 0) {
        controlOpen_ = false; // no control channel: the unit keeps running as it is
        return;
    }
    controlPending_.append(buffer, static_cast<std::size_t>(count));
    for (auto end = controlPending_.find('\n'); end != std::string::npos;
         end = controlPending_.find('\n')) {
        const std::string line = controlPending_.substr(0, end);
        controlPending_.erase(0, end + 1);
        handleControl(line);
    }
}

void SimLoop::startPresenceStep(std::size_t index, double nowMs) {
    presenceStepEndsMs_.reset();
    if (index >= options_.presence.size()) {
        return; // the last step holds
    }
    presenceStep_ = index;
    const PresenceStep& step = options_.presence[index];
    setPresent(step.present);
    if (step.ms) {
        presenceStepEndsMs_ = nowMs + *step.ms;
    }
}

void SimLoop::setPresent(bool present) {
    if (present == present_) {
        return;
    }
    present_ = present;
    if (present) {
        unit_ = UnitBehaviour(startImage_); // a new unit, fresh from its box
    } else {
        pacer_.clear(); // taken away mid-reply: the rest never comes
        unit_.forgetPartialFrame();
    }
    log_.note(monotonicMs(), present ? "present" : "absent");
}

void SimLoop::handleControl(const std::string& line) {
    if (line == "absent" || line == "present") {
        setPresent(line == "present");
        say("ok");
        return;
    }
    const ControlOutcome outcome = applyControl(options_.faults, line);
    if (!outcome.accepted) {
        say("error: " + outcome.error);
        return;
    }
    log_.note(monotonicMs(), line);
    if (outcome.hangupMs) {
        hangUp(*outcome.hangupMs);
    }
    say("ok");
}

void SimLoop::sendDueBytes() {
    if (!line_.isOpen()) {
        return;
    }
    const double now = monotonicMs();
    const Bytes chunk = pacer_.takeDue(now);
    if (chunk.empty()) {
        return;
    }
    const ssize_t written = ::write(line_.masterFd(), chunk.data(), chunk.size());
    if (written > 0) {
        log_.sent(now, std::span(chunk.data(), static_cast<std::size_t>(written)));
    }
    if (written != static_cast<ssize_t>(chunk.size())) {
        log_.note(now, "line full, bytes dropped");
    }
}

std::optional<double> SimLoop::nextWakeMs() const {
    std::optional<double> wake = line_.isOpen() ? pacer_.nextWakeMs() : std::nullopt;
    for (const auto& moment : {reopenAtMs_, scheduledHangupAtMs_, presenceStepEndsMs_}) {
        if (moment && (!wake || *moment < *wake)) {
            wake = moment;
        }
    }
    return wake;
}

} // namespace velmora::sim
