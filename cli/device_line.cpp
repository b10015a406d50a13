#include "cli/device_line.h"

#include "link/device_naming.h"
#include "link/file_name_bytes.h"
#include "link/port_mapping.h"
#include "link/serial_ports.h"

#include <QFileInfo>

#include <sstream>

namespace velmora::cli {

Step<std::vector<LinePlace>> linePlaces(const Arguments& arguments, bool several) {
    const bool byPort = arguments.options.contains("--port");
    if (byPort == arguments.options.contains("--device")) {
        const std::string ports = std::to_string(kFirstPort) + " to " + std::to_string(kLastPort);
        return Failure{ExitStatus::BadInput,
                       several ? "give either --port N[,N...] (" + ports +
                                     ") or --device PATH, repeated"
                               : "give either --port N (" + ports + ") or --device PATH"};
    }
    std::vector<LinePlace> places;
    if (byPort) {
        std::istringstream list(arguments.options.at("--port"));
        for (std::string word; std::getline(list, word, ',');) {
            const int number = static_cast<int>(wholeNumber(word, kFirstPort, kLastPort).value());
            const auto device = deviceForPort(number);
            if (!device)
                return Failure{ExitStatus::PortUnusable, device.error().text().toStdString()};
            places.push_back({"port " + word, *device, number});
        }
    } else {
        const auto given = arguments.repeated.find("--device");
        const std::vector<std::string> paths = given != arguments.repeated.end()
                                                   ? given->second
                                                   : std::vector{arguments.options.at("--device")};
        for (const std::string& path : paths) {
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
    return places;
}

Step<int> portNumberOf(const std::string& word) {
    if (const auto number = wholeNumber(word, kFirstPort, kLastPort))
        return static_cast<int>(*number);
    return Failure{ExitStatus::BadInput, "port numbers are " + std::to_string(kFirstPort) + " to " +
                                             std::to_string(kLastPort) + ", not \"" + word + "\""};
}

Step<OpenLine> openLine(const Arguments& arguments, const Interruption& interruption) {
    const auto places = linePlaces(arguments, false);
    if (!places)
        return places.error();
    const LinePlace& place = places->front();
    OpenLine line{{place.device, timeoutOf(arguments, kDefaultTimeout), place.port}, nullptr};
    line.session = std::make_unique<UnitSession>(line.choice.timeout);
    line.session->stopOn(interruption);
    if (const auto opened = line.session->open(line.choice.device); !opened)
        return openFailure(opened.error(), line.choice.port);
    return line;
}

Failure openFailure(const OpenFailure& failure, int port) {
    return {ExitStatus::PortUnusable,
            withMappingAdvice(failure, failure.text(), port).toStdString()};
}

Failure exchangeFailure(const ExchangeResult& result, const QString& device) {
    std::string message = "the unit on " + device.toStdString() + ": " + result.detail;
    // A frame that went out unanswered may still have been taken whole.
    if (result.outcome != UnitOutcome::Interrupted && result.step == ExchangeStep::Program &&
        result.frameSent)
        message += "; the programming frame went out, so the unit may hold the new "
                   "configuration; read it before trusting it";
    if (result.outcome == UnitOutcome::Interrupted) {
        switch (result.step) {
        case ExchangeStep::Read:
            message += "; nothing was saved";
            break;
        case ExchangeStep::Program:
            message += result.frameSent
                           ? "; the programming frame had been sent, so the unit may hold the "
                             "new configuration; read it before trusting it"
                           : "; the unit is unchanged";
            break;
        case ExchangeStep::ReadBack:
            message += "; it acknowledged the programming frame but is not verified";
            break;
        }
    }
    return {exchange::exitStatusOf(result.outcome), message};
}

} // namespace velmora::cli
