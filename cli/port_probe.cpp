#include "cli/port_probe.h"

#include "cli/device_line.h"
#include "link/device_naming.h"
#include "link/port_mapping.h"
#include "link/serial_link.h"
#include "link/serial_ports.h"
#include "protocol/frames.h"

#include <QElapsedTimer>
#include <QSerialPort>

#include <algorithm>

namespace velmora::cli {
namespace {

constexpr int kTries = 3;
constexpr int kWatchdogMs = SerialLink::kWatchdogMs; // the window's wait for a poll's answer

struct Target {
    std::string label;
    QString device;
};

std::string labelFor(int number, const QString& device) {
    return "port " + std::to_string(number) + " (" + device.toStdString() + ")";
}

// The ports named, or else every port number resolved from the environment or the
// map and then every port the system lists that none of them reaches.
Result<std::vector<Target>, ExitStatus> targets(const std::vector<std::string>& numbers,
                                                std::ostream& err) {
    std::vector<Target> chosen;
    for (const std::string& word : numbers) {
        const auto number = portNumberOf(word);
        if (!number)
            return report(err, number.error());
        const auto device = deviceForPort(*number);
        if (!device)
            return report(err, {ExitStatus::PortUnusable, device.error().text().toStdString()});
        chosen.push_back({labelFor(*number, *device), *device});
    }
    if (!numbers.empty())
        return chosen;
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        const auto port = resolvePort(n);
        if (!port)
            return report(err, {ExitStatus::PortUnusable, port.error().text().toStdString()});
        if (port->source != PortSource::Default)
            chosen.push_back({labelFor(n, port->device), port->device});
    }
    for (const SerialPortEntry& port : serialPorts()) {
        const auto reached = std::find_if(chosen.begin(), chosen.end(), [&](const Target& target) {
            return sameDevice(target.device, port.systemPath);
        });
        if (reached == chosen.end())
            chosen.push_back({port.systemPath.toStdString(), port.systemPath});
    }
    return chosen;
}

std::string hex(const QByteArray& bytes) {
    return bytes.toHex(' ').toStdString();
}

// Everything that arrives within the watchdog time after the poll.
QByteArray answerTo(QSerialPort& port) {
    QElapsedTimer clock;
    clock.start();
    const char poll = static_cast<char>(kPollByte);
    port.write(&poll, 1);
    port.flush();
    QByteArray answer;
    for (qint64 left = kWatchdogMs; left > 0; left = kWatchdogMs - clock.elapsed()) {
        port.waitForReadyRead(static_cast<int>(left));
        answer += port.readAll();
    }
    return answer;
}

// One port: the sentence for the operator, and whether a unit answered.
std::pair<std::string, bool> probe(const QString& device) {
    QSerialPort port;
    if (const auto opened = openSerialLine(port, device); !opened)
        return {opened.error().text().toStdString(), false};
    QByteArray other;
    for (int attempt = 1; attempt <= kTries; ++attempt) {
        // Nothing that was waiting, or that came late to an earlier try, is an answer.
        port.clear(QSerialPort::Input);
        port.readAll();
        const QByteArray answer = answerTo(port);
        if (answer == QByteArray(1, static_cast<char>(kConnectReply)))
            return {"a unit answers (\"V\" to poll " + std::to_string(attempt) + ")", true};
        if (!answer.isEmpty())
            other = answer;
    }
    if (other.isEmpty())
        return {"no answer to " + std::to_string(kTries) + " polls", false};
    return {"no unit: other bytes than \"V\" came back (last: " + hex(other) + ")", false};
}

} // namespace

ExitStatus probePorts(const std::vector<std::string>& numbers, std::ostream& out,
                      std::ostream& err) {
    const auto chosen = targets(numbers, err);
    if (!chosen)
        return chosen.error();
    if (chosen->empty()) {
        out << "nothing to probe: no port number is mapped and the system lists no serial port\n";
        return ExitStatus::NoAnswer;
    }
    int answered = 0;
    for (const Target& target : *chosen) {
        const auto [sentence, unit] = probe(target.device);
        out << target.label << ": " << sentence << "\n" << std::flush;
        answered += unit ? 1 : 0;
    }
    out << answered << " of " << chosen->size() << " ports with a unit answering\n";
    return answered > 0 ? ExitStatus::Done : ExitStatus::NoAnswer;
}

} // namespace velmora::cli
