#include "link/device_naming.h"

#include "link/file_name_bytes.h"

#include <QDir>
#include <QFileInfo>

#include <cstdlib>
#include <memory>

#ifndef Q_OS_WIN
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace velmora {

#ifndef Q_OS_WIN

// Through the system's own calls on the name's bytes: Qt's file classes take names as
// UTF-8 text and miss a device whose name is not.
QString canonicalDevice(const QString& device) {
    const std::unique_ptr<char, decltype(&std::free)> resolved(
        ::realpath(bytesOfName(device).constData(), nullptr), &std::free);
    return resolved ? nameFromBytes(QByteArray(resolved.get())) : device;
}

bool deviceExists(const QString& device) {
    struct stat status {};
    return ::stat(bytesOfName(device).constData(), &status) == 0;
}

namespace {

// The symbolic links in a folder, by their full names.
QStringList linksIn(const QString& folder) {
    QStringList links;
    const QByteArray path = bytesOfName(folder);
    DIR* listing = ::opendir(path.constData());
    if (listing == nullptr) {
        return links;
    }
    while (const dirent* entry = ::readdir(listing)) {
        const QByteArray name = path + '/' + entry->d_name;
        struct stat status {};
        if (::lstat(name.constData(), &status) == 0 && S_ISLNK(status.st_mode)) {
            links << nameFromBytes(name);
        }
    }
    ::closedir(listing);
    links.sort();
    return links;
}

} // namespace

#else

QString canonicalDevice(const QString& device) {
    const QString resolved = QFileInfo(device).canonicalFilePath();
    return resolved.isEmpty() ? device : resolved;
}

bool deviceExists(const QString& device) {
    return QFileInfo::exists(device);
}

namespace {

QStringList linksIn(const QString& folder) {
    QStringList links;
    for (const QFileInfo& link :
         QDir(folder).entryInfoList(QDir::System | QDir::Files, QDir::Name)) {
        if (link.isSymLink()) {
            links << link.absoluteFilePath();
        }
    }
    return links;
}

} // namespace

#endif

QString stableNameFolder() {
    const QByteArray chosen = qgetenv("VELMORA_SERIAL_BY_ID");
    return chosen.isEmpty() ? QStringLiteral("/dev/serial/by-id") : nameFromBytes(chosen);
}

QString stableDeviceName(const QString& device) {
    const QString folder = canonicalDevice(stableNameFolder());
    const QString given = canonicalDevice(device.section(QLatin1Char('/'), 0, -2));
    if (deviceExists(device) && !given.isEmpty() && given == folder) {
        return QFileInfo(device).absoluteFilePath();
    }
    const QString target = canonicalDevice(device);
    for (const QString& link : linksIn(stableNameFolder())) {
        if (canonicalDevice(link) == target) {
            return link;
        }
    }
    return {};
}

bool sameDevice(const QString& first, const QString& second) {
    return canonicalDevice(first) == canonicalDevice(second);
}

} // namespace velmora
