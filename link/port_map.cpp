#include "link/port_map.h"

#include "link/device_naming.h"
#include "link/file_name_bytes.h"
#include "link/port_mapping.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>

namespace velmora {
namespace {

const QString kGroup = QStringLiteral("ports");

BrokenPortMap broken(const QString& path, const QString& what, const QString& detail) {
    return {QStringLiteral("il file delle porte \"%1\" %2").arg(path, what), detail};
}

// The first line that is neither blank, a comment, a [section] nor a key=value pair,
// counted from 1; 0 when every line is one of those.
int firstBadLine(const QString& text) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        const bool good = line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
                          line.startsWith(QLatin1Char('#')) ||
                          (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) ||
                          line.indexOf(QLatin1Char('=')) > 0;
        if (!good) {
            return i + 1;
        }
    }
    return 0;
}

// Whether the file under the map's name can be taken as a map, and why not.
Result<void, BrokenPortMap> usable(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir()) {
        return broken(path, QStringLiteral("è una cartella, non un file"), {});
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return broken(path,
                      !info.isReadable() ? QStringLiteral("non si può leggere (permesso negato)")
                                         : QStringLiteral("non si può leggere"),
                      file.errorString());
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(file.readAll());
    if (utf8.hasError() || file.error() != QFileDevice::NoError) {
        return broken(path, QStringLiteral("non è un file di testo leggibile"),
                      file.error() != QFileDevice::NoError ? file.errorString()
                                                           : QStringLiteral("not UTF-8 text"));
    }
    if (const int line = firstBadLine(text)) {
        return broken(path, QStringLiteral("non è un file di impostazioni (riga %1)").arg(line),
                      text.split(QLatin1Char('\n')).at(line - 1).trimmed().left(80));
    }
    return {};
}

} // namespace

QString PortMap::filePath() {
    // Built from the configuration folder on every call rather than through QSettings'
    // own user scope, which is fixed at its first use for the rest of the process.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/velmora/velmora.conf");
}

Result<PortMap, BrokenPortMap> PortMap::load() {
    PortMap map;
    const QString path = filePath();
    if (!QFileInfo::exists(path)) {
        return map;
    }
    if (auto problem = usable(path); !problem) {
        return problem.error();
    }
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        return broken(path, QStringLiteral("non è un file di impostazioni"),
                      QStringLiteral("QSettings status %1").arg(settings.status()));
    }
    settings.beginGroup(kGroup);
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        // A name that is not UTF-8 is kept as bytes (see save).
        const QVariant value = settings.value(QString::number(n));
        const QString device = value.typeId() == QMetaType::QByteArray
                                   ? nameFromBytes(value.toByteArray())
                                   : value.toString();
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
        const QByteArray bytes = bytesOfName(device);
        if (nameFromBytes(bytes) == QString::fromUtf8(bytes)) {
            settings.setValue(QString::number(number), device);
        } else {
            settings.setValue(QString::number(number), bytes);
        }
    }
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        return QStringLiteral("cannot write %1").arg(path);
    }
    return {};
}

} // namespace velmora
