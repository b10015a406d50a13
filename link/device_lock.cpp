#include "link/device_lock.h"

#include "link/device_naming.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <charconv>
#include <string>

#ifndef Q_OS_WIN
#include <cerrno>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace velmora {
namespace {

#ifndef Q_OS_WIN
bool processAlive(long pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

QString processName(long pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

// Whether the process has `device` open, told from its open files; unknown when they
// belong to another user.
std::optional<bool> holdsOpen(long pid, const QString& device) {
    const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(pid));
    if (!QFileInfo(descriptors.path()).isReadable()) {
        return std::nullopt;
    }
    for (const QFileInfo& descriptor : descriptors.entryInfoList(QDir::AllEntries | QDir::System)) {
        if (descriptor.symLinkTarget() == device) {
            return true;
        }
    }
    return false;
}

// The live process named by a lock file. Qt writes the PID, the program and the host
// on lines of their own and keeps an flock on the file for as long as it holds the
// port; the UUCP convention writes only the PID, right-aligned in ten characters.
std::optional<long> lockingProcess(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QList<QByteArray> lines = file.read(4096).trimmed().split('\n');
    const std::string first = lines.value(0).trimmed().toStdString();
    long pid = 0;
    const auto [end, error] = std::from_chars(first.data(), first.data() + first.size(), pid);
    if (error != std::errc{} || end != first.data() + first.size() || pid <= 0 ||
        pid == ::getpid()) {
        return std::nullopt;
    }
    if (lines.size() > 1) {
        const bool held = ::flock(file.handle(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        return held ? std::optional<long>(pid) : std::nullopt;
    }
    return processAlive(pid) ? std::optional<long>(pid) : std::nullopt;
}
#endif

} // namespace

QString LockHolder::owner() const {
    const QString process = program.isEmpty() ? QStringLiteral("PID %1").arg(pid)
                                              : QStringLiteral("%1, PID %2").arg(program).arg(pid);
    return QStringLiteral("%1, file di blocco %2").arg(process, lockFile);
}

QString LockHolder::advice(const QString& device) const {
    if (hasItOpen == true) {
        return {};
    }
    if (hasItOpen == false) {
        return QStringLiteral("Il processo %1 non ha aperto %2: il file di blocco è rimasto da "
                              "un programma che non usa più la porta; rimuoverlo con: sudo rm %3")
            .arg(QString::number(pid), device, lockFile);
    }
    return QStringLiteral("Per sapere se il processo %1 usa davvero la porta: sudo ls -l "
                          "/proc/%1/fd | grep %2; se non la usa, rimuovere il file di blocco "
                          "con: sudo rm %3")
        .arg(QString::number(pid), device, lockFile);
}

std::optional<LockHolder> lockHolder(const QString& device) {
#ifdef Q_OS_WIN
    Q_UNUSED(device);
    return std::nullopt;
#else
    const QString file = canonicalDevice(device);
    // Qt names the lock after the path below /dev with its slashes turned into
    // underscores; other programs after the device's own name.
    QString qtName = file.startsWith(QStringLiteral("/dev/")) ? file.mid(5) : file;
    qtName.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString plainName = file.section(QLatin1Char('/'), -1);
    QStringList folders{QStringLiteral("/var/lock"), QStringLiteral("/run/lock")};
    if (const QString chosen = qEnvironmentVariable("VELMORA_LOCK_FOLDER"); !chosen.isEmpty()) {
        folders.prepend(chosen);
    }
    for (const QString& folder : folders) {
        for (const QString& name : {qtName, plainName}) {
            const QString lockFile = QStringLiteral("%1/LCK..%2").arg(folder, name);
            if (const auto pid = lockingProcess(lockFile)) {
                return LockHolder{lockFile, *pid, processName(*pid), holdsOpen(*pid, file)};
            }
        }
    }
    return std::nullopt;
#endif
}

} // namespace velmora
