#include "link/port_map.h"

#include "link/device_naming.h"
#include "link/port_mapping.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace velmora {
namespace {

const QString kGroup = QStringLiteral("ports");

} // namespace

QString PortMap::filePath() {
    // Built from the configuration folder on every call rather than through QSettings'
    // own user scope, which is fixed at its first use for the rest of the process.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/velmora/velmora.conf");
}

PortMap PortMap::load() {
    PortMap map;
    QSettings settings(filePath(), QSettings::IniFormat);
    settings.beginGroup(kGroup);
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        const QString device = settings.value(QString::number(n)).toString();
        if (!device.isEmpty()) {
            map.entries_[n] = device;
        }
    }
    return map;
}

std::optional<QString> PortMap::device(int portNumber) const {
    const auto entry = entries_.find(portNumber);
    if (entry == entries_.end()) {
        return std::nullopt;
    }
    return entry->second;
}

std::optional<int> PortMap::numberOf(const QString& device) const {
    for (const auto& [number, mapped] : entries_) {
        if (mapped == device || sameDevice(mapped, device)) {
            return number;
        }
    }
    return std::nullopt;
}

Result<void, QString> PortMap::save() const {
    const QString path = filePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return QStringLiteral("cannot create the folder of %1").arg(path);
    }
    QSettings settings(path, QSettings::IniFormat);
    settings.remove(kGroup);
    settings.beginGroup(kGroup);
    for (const auto& [number, device] : entries_) {
        settings.setValue(QString::number(number), device);
    }
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        return QStringLiteral("cannot write %1").arg(path);
    }
    return {};
}

} // namespace velmora
