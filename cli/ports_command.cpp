#include "cli/ports_command.h"

#include "cli/device_line.h"
#include "cli/json_text.h"
#include "cli/port_probe.h"
#include "link/device_lock.h"
#include "link/device_naming.h"
#include "link/file_name_bytes.h"
#include "link/port_map.h"
#include "link/port_mapping.h"
#include "link/serial_ports.h"

#include <QFileInfo>

#include <cstdio>
#include <optional>
#include <string>

namespace velmora::cli {
namespace {

// Ports 1 to 8 in order: each device, or why it cannot be told (a broken map).
using PortNumbers = std::vector<Result<ResolvedPort, OpenFailure>>;

// A device's name as its bytes are, whatever they are.
std::string text(const QString& value) {
    return bytesOfName(value).toStdString();
}

std::string orDash(const QString& value) {
    return value.isEmpty() ? "-" : text(value);
}

PortNumbers resolveAll() {
    PortNumbers resolved;
    for (int n = kFirstPort; n <= kLastPort; ++n)
        resolved.push_back(resolvePort(n));
    return resolved;
}

// The first port number that opens the port, if any.
std::optional<int> numberReaching(const PortNumbers& resolved, const QString& device) {
    for (int n = kFirstPort; n <= kLastPort; ++n)
        if (resolved[n - 1] && sameDevice(resolved[n - 1]->device, device))
            return n;
    return std::nullopt;
}

// A name in JSON, which holds only text: a byte that is not UTF-8 is written as the
// lone code unit that stands for it ("\udcff"), which Python reads back into the name.
std::string jsonName(const QString& name) {
    std::string quoted = "\"";
    QString run;
    const auto flush = [&] {
        const std::string part = jsonString(run.toStdString());
        quoted += part.substr(1, part.size() - 2);
        run.clear();
    };
    for (qsizetype at = 0; at < name.size(); ++at) {
        if (!isEscapedByte(name, at)) {
            run += name[at];
            continue;
        }
        flush();
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", name[at].unicode());
        quoted += escaped;
    }
    flush();
    return quoted + "\"";
}

std::string jsonOrNull(const QString& value) {
    return value.isEmpty() ? "null" : jsonName(value);
}

// The program whose lock file holds the device, and the file; empty when none does.
QString lockOf(const QString& device) {
    const auto holder = lockHolder(device);
    return holder ? holder->owner() : QString();
}

void listAsJson(const std::vector<SerialPortEntry>& ports, const PortNumbers& resolved,
                const QString& mapProblem, std::ostream& out) {
    out << "{\n  \"mapFile\": " << jsonString(text(PortMap::filePath()))
        << ",\n  \"mapProblem\": " << jsonOrNull(mapProblem) << ",\n  \"serialPorts\": [";
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const SerialPortEntry& port = ports[i];
        const auto number = numberReaching(resolved, port.systemPath);
        out << (i ? ",\n" : "\n") << "    {\"systemPath\": " << jsonName(port.systemPath)
            << ", \"stableName\": " << jsonOrNull(port.stableName)
            << ", \"description\": " << jsonOrNull(port.description)
            << ", \"maker\": " << jsonOrNull(port.maker)
            << ", \"usbId\": " << jsonOrNull(port.usbId)
            << ", \"serialNumber\": " << jsonOrNull(port.serialNumber)
            << ", \"portNumber\": " << (number ? std::to_string(*number) : "null")
            << ", \"lock\": " << jsonOrNull(lockOf(port.systemPath)) << "}";
    }
    out << (ports.empty() ? "],\n" : "\n  ],\n") << "  \"portNumbers\": [";
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        out << (n > kFirstPort ? ",\n" : "\n") << "    {\"number\": " << n;
        if (const auto& port = resolved[n - 1])
            out << ", \"device\": " << jsonName(port->device)
                << ", \"source\": " << jsonString(sourceName(port->source))
                << ", \"exists\": " << (deviceExists(port->device) ? "true" : "false")
                << ", \"lock\": " << jsonOrNull(lockOf(port->device));
        else
            out << ", \"device\": null, \"source\": \"map\", \"exists\": false, \"lock\": null";
        out << "}";
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
            << "\n    serial number  " << orDash(port.serialNumber) << "\n    lock           "
            << orDash(lockOf(port.systemPath)) << "\n    port number    "
            << (number ? std::to_string(*number) + " (" +
                             sourceName(resolved[*number - 1]->source) + ")"
                       : "-")
            << "\n";
    }
    out << "\nPort numbers (VELMORA_COM<n> when set, else the map in " << text(PortMap::filePath())
        << ", else the default):\n";
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        if (const auto& port = resolved[n - 1]) {
            const QString lock = lockOf(port->device);
            out << "  " << n << "  " << text(port->device) << "  (" << sourceName(port->source)
                << (deviceExists(port->device) ? "" : ", missing")
                << (lock.isEmpty() ? "" : ", held by " + text(lock)) << ")\n";
        } else
            out << "  " << n << "  ?  (the map cannot be used)\n";
    }
}

// A path as given (relative to the working folder), or the name of a serial port
// ("ttyUSB0") as the system lists it.
QString deviceNamed(const std::string& argument) {
    const QString given = nameFromBytes(QByteArray::fromStdString(argument));
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

// The saved map, or why it cannot be changed.
Step<PortMap> loadMap() {
    auto map = PortMap::load();
    if (!map)
        return badInput(text(map.error().sentence) + ": nothing changed");
    return std::move(*map);
}

void noteEnvironment(int number, std::ostream& out) {
    if (const auto port = resolvePort(number); port && port->source == PortSource::Environment)
        out << "VELMORA_COM" << number << " is set and comes before the map while it is\n";
}

ExitStatus mapPort(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.plain.size() != 3)
        return report(err, badInput("give map N DEVICE"));
    const auto number = portNumberOf(arguments.plain[1]);
    if (!number)
        return report(err, number.error());
    const QString device = deviceNamed(arguments.plain[2]);
    const bool exists = deviceExists(device);
    if (!exists && !arguments.has("--force"))
        return report(err, badInput("there is no device " + text(device) +
                                    " (plug the adapter in, or map it all the same with --force)"));
    // The by-id name stays with the adapter whichever socket it is plugged into.
    const QString stable = exists ? stableDeviceName(device) : QString();
    const QString stored = stable.isEmpty() ? device : stable;
    auto loaded = loadMap();
    if (!loaded)
        return report(err, loaded.error());
    PortMap& map = *loaded;
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
    auto map = loadMap();
    if (!map)
        return report(err, map.error());
    const bool mapped = map->device(*number).has_value();
    if (mapped) {
        map->remove(*number);
        if (const ExitStatus saved = saveMap(*map, err); saved != ExitStatus::Done)
            return saved;
    }
    const auto now = resolvePort(*number);
    out << "port " << *number << (mapped ? ": unmapped; now " : " was not mapped; it is ")
        << (now ? text(now->device) + " (" + sourceName(now->source) + ")"
                : text(now.error().text()))
        << "\n";
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
    const auto map = PortMap::load();
    const QString mapProblem = map ? QString() : map.error().sentence;
    if (arguments.has("--json"))
        listAsJson(ports, resolved, mapProblem, out);
    else
        listAsText(ports, resolved, out);
    if (map)
        return ExitStatus::Done;
    // The numbers the map may hold open nothing until it is mended.
    const QString detail = map.error().detail;
    return report(err, {ExitStatus::PortUnusable,
                        text(mapProblem) + (detail.isEmpty() ? "" : " [" + text(detail) + "]") +
                            ": port numbers not set by VELMORA_COM<n> cannot be resolved"});
}

} // namespace velmora::cli
