#include "cli/device_line.h"

#include "link/device_naming.h"
#include "link/file_name_bytes.h"
#include "link/port_mapping.h"
#include "link/serial_ports.h"

#include <QFileInfo>

#include <cstdio>

namespace velmora::cli {

namespace {

Step<LineChoice> chooseLine(const Arguments& arguments) {
    const auto port = arguments.options.find("--port");
    const auto device = arguments.options.find("--device");
    LineChoice line{{}, kDefaultTimeout};
    if ((port == arguments.options.end()) == (device == arguments.options.end()))
        return Failure{ExitStatus::BadInput, "give either --port N (1 to 8) or --device PATH"};
    if (port != arguments.options.end()) {
        const auto number = wholeNumber(port->second, 1, 8);
        if (!number)
            return Failure{ExitStatus::BadInput,
                           "--port takes a port number from 1 to 8, not \"" + port->second + "\""};
        line.port = static_cast<int>(*number);
        const auto resolved = deviceForPort(line.port);
        if (!resolved)
            return Failure{ExitStatus::PortUnusable, resolved.error().text().toStdString()};
        line.device = *resolved;
    } else {
        // A path relative to the working folder; a bare name is the serial layer's own.
        const QString path = nameFromBytes(QByteArray::fromStdString(device->second));
        line.device = deviceExists(path) ? QFileInfo(path).absoluteFilePath() : path;
    }
    const auto timeout = timeoutOption(arguments, kDefaultTimeout);
    if (!timeout)
        return Failure{ExitStatus::BadInput, describe(timeout.problems())};
    line.timeout = *timeout;
    return line;
}

} // namespace

Step<OpenLine> openLine(const Arguments& arguments, const Interruption& interruption) {
    auto chosen = chooseLine(arguments);
    if (!chosen)
        return chosen.error();
    OpenLine line{std::move(*chosen), nullptr};
    line.session = std::make_unique<UnitSession>(line.choice.timeout);
    line.session->stopOn(interruption);
    if (const auto opened = line.session->open(line.choice.device); !opened) {
        QString text = opened.error().text();
        // A port number that leads nowhere: say which ports there are and how to map one.
        if (opened.error().problem == OpenProblem::Missing && line.choice.port != 0)
            text += QStringLiteral("\n") + mappingAdvice(line.choice.port);
        return Failure{ExitStatus::PortUnusable, text.toStdString()};
    }
    return line;
}

Failure troubleFailure(UnitOutcome trouble, const LineChoice& line, const std::string& exchange) {
    const std::string device = line.device.toStdString();
    const auto sentence = [&]() -> std::string {
        switch (trouble) {
        case UnitOutcome::WrongAnswer:
            return "the unit on " + device + " gave the wrong answer to " + exchange;
        case UnitOutcome::PortLost:
            return "the line to " + device + " was lost";
        case UnitOutcome::Interrupted:
            return "interrupted while waiting for the unit on " + device + " to answer " + exchange;
        default:
            return "no complete answer from the unit on " + device + " to " + exchange +
                   " within " + std::to_string(line.timeout.count()) + " ms";
        }
    };
    return {exitStatusOf(trouble), sentence()};
}

ExitStatus report(const Failure& failure) {
    std::fprintf(stderr, "velmora-cli: %s\n", failure.message.c_str());
    return failure.status;
}

} // namespace velmora::cli
