#include "link/device_naming.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

QString canonicalDevice(const QString& device) {
    const QString resolved = QFileInfo(device).canonicalFilePath();
    return resolved.isEmpty() ? device : resolved;
}

QString stableNameFolder() {
    const QString chosen = qEnvironmentVariable("VELMORA_SERIAL_BY_ID");
    return chosen.isEmpty() ? QStringLiteral("/dev/serial/by-id") : chosen;
}

QString stableDeviceName(const QString& device) {
    const QDir folder(stableNameFolder());
    const QFileInfo given(device);
    if (given.exists() && QDir(given.absolutePath()) == folder) {
        return given.absoluteFilePath();
    }
    const QString target = canonicalDevice(device);
    for (const QFileInfo& link : folder.entryInfoList(QDir::System | QDir::Files, QDir::Name)) {
        if (link.isSymLink() && canonicalDevice(link.absoluteFilePath()) == target) {
            return link.absoluteFilePath();
        }
    }
    return {};
}

bool sameDevice(const QString& first, const QString& second) {
    return canonicalDevice(first) == canonicalDevice(second);
}

} // namespace velmora
