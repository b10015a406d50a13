#include "cli/ports_command.h"

#include "cli/device_line.h"
#include "cli/json_text.h"
#include "cli/port_probe.h"
#include "link/device_naming.h"
#include "link/port_map.h"
#include "link/port_mapping.h"
#include "link/serial_ports.h"

#include <QFileInfo>

#include <array>
#include <optional>
#include <string>

namespace velmora::cli {
namespace {

using PortNumbers = std::array<ResolvedPort, kLastPort>;

std::string text(const QString& value) {
    return value.toStdString();
}

std::string orDash(const QString& value) {
    return value.isEmpty() ? "-" : text(value);
}

PortNumbers resolveAll() {
    PortNumbers resolved;
    for (int n = kFirstPort; n <= kLastPort; ++n)
        resolved[n - 1] = resolvePort(n);
    return resolved;
}

// The first port number that opens the port, if any.
std::optional<int> numberReaching(const PortNumbers& resolved, const QString& device) {
    for (int n = kFirstPort; n <= kLastPort; ++n)
        if (sameDevice(resolved[n - 1].device, device))
            return n;
    return std::nullopt;
}

std::string jsonOrNull(const QString& value) {
    return value.isEmpty() ? "null" : jsonString(text(value));
}

void listAsJson(const std::vector<SerialPortEntry>& ports, const PortNumbers& resolved,
                std::ostream& out) {
    out << "{\n  \"mapFile\": " << jsonString(text(PortMap::filePath()))
        << ",\n  \"serialPorts\": [";
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const SerialPortEntry& port = ports[i];
        const auto number = numberReaching(resolved, port.systemPath);
        out << (i ? ",\n" : "\n") << "    {\"systemPath\": " << jsonString(text(port.systemPath))
            << ", \"stableName\": " << jsonOrNull(port.stableName)
            << ", \"description\": " << jsonOrNull(port.description)
            << ", \"maker\": " << jsonOrNull(port.maker)
            << ", \"usbId\": " << jsonOrNull(port.usbId)
            << ", \"serialNumber\": " << jsonOrNull(port.serialNumber)
            << ", \"portNumber\": " << (number ? std::to_string(*number) : "null") << "}";
    }
    out << (ports.empty() ? "],\n" : "\n  ],\n") << "  \"portNumbers\": [";
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        const ResolvedPort& port = resolved[n - 1];
        out << (n > kFirstPort ? ",\n" : "\n") << "    {\"number\": " << n
            << ", \"device\": " << jsonString(text(port.device))
            << ", \"source\": " << jsonString(sourceName(port.source))
            << ", \"exists\": " << (QFileInfo::exists(port.device) ? "true" : "false") << "}";
    }
    out << "\n  ]\n}\n";
}

void listAsText(const std::vector<SerialPortEntry>& ports, const PortNumbers& resolved,
                std::ostream& out) {
    out << "Serial ports the system knows:\n";
    if (ports.empty())
        out << "  none\n";
    for (const SerialPortEntry& port : ports) {
        const auto number = numberReaching(resolved, port.systemPath);
        out << "  " << text(port.systemPath) << "\n    stable name    " << orDash(port.stableName)
            << "\n    description    " << orDash(port.description) << "\n    maker          "
            << orDash(port.maker) << "\n    USB id         " << orDash(port.usbId)
            << "\n    serial number  " << orDash(port.serialNumber) << "\n    port number    "
            << (number ? std::to_string(*number) + " (" + sourceName(resolved[*number - 1].source) +
                             ")"
                       : "-")
            << "\n";
    }
    out << "\nPort numbers (VELMORA_COM<n> when set, else the map in " << text(PortMap::filePath())
        << ", else the default):\n";
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        const ResolvedPort& port = resolved[n - 1];
        out << "  " << n << "  " << text(port.device) << "  (" << sourceName(port.source)
            << (QFileInfo::exists(port.device) ? "" : ", missing") << ")\n";
    }
}

// A path as given (relative to the working folder), or the name of a serial port
// ("ttyUSB0") as the system lists it.
QString deviceNamed(const std::string& argument) {
    const QString given = QString::fromLocal8Bit(argument.c_str());
    if (given.contains(QLatin1Char('/')))
        return QFileInfo(given).absoluteFilePath();
    for (const SerialPortEntry& port : serialPorts())
        if (port.name == given)
            return port.systemPath;
#ifdef Q_OS_WIN
    return given;
#else
    return QStringLiteral("/dev/") + given;
#endif
}

ExitStatus saveMap(const PortMap& map, std::ostream& err) {
    if (const auto saved = map.save(); !saved)
        return report(err, badInput(text(saved.error())));
    return ExitStatus::Done;
}

void noteEnvironment(int number, std::ostream& out) {
    if (resolvePort(number).source == PortSource::Environment)
        out << "VELMORA_COM" << number << " is set and comes before the map while it is\n";
}

ExitStatus mapPort(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.plain.size() != 3)
        return report(err, badInput("give map N DEVICE"));
    const auto number = portNumberOf(arguments.plain[1]);
    if (!number)
        return report(err, number.error());
    const QString device = deviceNamed(arguments.plain[2]);
    const bool exists = QFileInfo::exists(device);
    if (!exists && !arguments.has("--force"))
        return report(err, badInput("there is no device " + text(device) +
                                    " (plug the adapter in, or map it all the same with --force)"));
    // The by-id name stays with the adapter whichever socket it is plugged into.
    const QString stable = exists ? stableDeviceName(device) : QString();
    const QString stored = stable.isEmpty() ? device : stable;
    PortMap map = PortMap::load();
    if (const auto other = map.numberOf(stored); other && *other != *number)
        return report(err,
                      badInput(text(stored) + " is already port " + std::to_string(*other) +
                               " (velmora-cli ports unmap " + std::to_string(*other) + " first)"));
    map.set(*number, stored);
    if (const ExitStatus saved = saveMap(map, err); saved != ExitStatus::Done)
        return saved;
    out << "port " << *number << ": " << text(stored);
    if (stored != device)
        out << " (" << text(device) << ")";
    out << "\n";
    noteEnvironment(*number, out);
    return ExitStatus::Done;
}

ExitStatus unmapPort(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.plain.size() != 2)
        return report(err, badInput("give unmap N"));
    const auto number = portNumberOf(arguments.plain[1]);
    if (!number)
        return report(err, number.error());
    PortMap map = PortMap::load();
    const bool mapped = map.device(*number).has_value();
    if (mapped) {
        map.remove(*number);
        if (const ExitStatus saved = saveMap(map, err); saved != ExitStatus::Done)
            return saved;
    }
    const ResolvedPort now = resolvePort(*number);
    out << "port " << *number << (mapped ? ": unmapped; now " : " was not mapped; it is ")
        << text(now.device) << " (" << sourceName(now.source) << ")\n";
    return ExitStatus::Done;
}

} // namespace

ExitStatus portsCommand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const std::string action = arguments.plain.empty() ? "" : arguments.plain[0];
    if (action == "map")
        return mapPort(arguments, out, err);
    if (action == "unmap")
        return unmapPort(arguments, out, err);
    if (action == "probe")
        return probePorts({arguments.plain.begin() + 1, arguments.plain.end()}, out, err);
    if (!action.empty())
        return report(err, badInput("unknown action \"" + action +
                                    "\" (list with no action, map, unmap, probe)"));
    const auto ports = serialPorts();
    const PortNumbers resolved = resolveAll();
    if (arguments.has("--json"))
        listAsJson(ports, resolved, out);
    else
        listAsText(ports, resolved, out);
    return ExitStatus::Done;
}

} // namespace velmora::cli
