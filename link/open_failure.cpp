#include "link/open_failure.h"

#include "link/device_naming.h"

#include <QFile>
#include <QStringList>

#include <charconv>
#include <string>

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velmora {
namespace {

#ifndef Q_OS_WIN
// Whether a character device is a terminal. Only asked after the serial layer has
// already opened the device and given up, so opening it once more disturbs nothing.
bool isTerminal(const QString& device) {
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return true;
    }
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal;
}

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

QString problemSentence(OpenProblem problem, const QString& device) {
    switch (problem) {
    case OpenProblem::Missing:
        return QStringLiteral("il dispositivo non esiste");
    case OpenProblem::NotSerial:
        return QStringLiteral("non è una porta seriale");
    case OpenProblem::InUse:
        if (const auto holder = lockHolder(device)) {
            return QStringLiteral("porta già in uso da un altro programma (%1)").arg(*holder);
        }
        return QStringLiteral("porta già in uso da un altro programma");
    case OpenProblem::NoRights:
        if (const QString group = groupWithAccess(device); !group.isEmpty()) {
            return QStringLiteral("permesso negato: l'utente deve far parte del gruppo \"%1\" "
                                  "(sudo usermod -aG %1 $USER, poi rientrare)")
                .arg(group);
        }
        return QStringLiteral("permesso negato: l'utente non ha il diritto di leggere e "
                              "scrivere il dispositivo, che nessun gruppo può usare; "
                              "rivolgersi all'amministratore");
    case OpenProblem::Other:
        break;
    }
    return QStringLiteral("errore del sistema");
}

OpenProblem classify(const QString& device, QSerialPort::SerialPortError error) {
#ifdef Q_OS_WIN
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return OpenProblem::Missing;
    case QSerialPort::PermissionError:
        return OpenProblem::InUse;
    default:
        return OpenProblem::Other;
    }
#else
    struct stat status {};
    if (error == QSerialPort::DeviceNotFoundError ||
        ::stat(QFile::encodeName(device).constData(), &status) != 0) {
        return OpenProblem::Missing;
    }
    if (!S_ISCHR(status.st_mode)) {
        return OpenProblem::NotSerial;
    }
    if (error == QSerialPort::PermissionError) {
        // Refused although the user may read and write it: a lock or an exclusive open
        // of another program.
        const bool mayUse = ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0;
        return mayUse || lockHolder(device) ? OpenProblem::InUse : OpenProblem::NoRights;
    }
    return isTerminal(device) ? OpenProblem::Other : OpenProblem::NotSerial;
#endif
}

} // namespace

OpenFailure describeOpenFailure(const QString& device, QSerialPort::SerialPortError error,
                                const QString& systemReason) {
    const QString file = canonicalDevice(device);
    const OpenProblem problem = classify(file, error);
    const QString name = file == device ? device : QStringLiteral("%1 (%2)").arg(device, file);
    return {problem,
            QStringLiteral("Impossibile aprire la porta %1: %2.")
                .arg(name, problemSentence(problem, file)),
            systemReason};
}

OpenFailure lockedByAnotherProgram(const QString& device) {
    return describeOpenFailure(
        device, QSerialPort::PermissionError,
        QStringLiteral("not opened: a lock file gives it to another program"));
}

std::optional<QString> lockHolder(const QString& device) {
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
            const auto pid = lockingProcess(QStringLiteral("%1/LCK..%2").arg(folder, name));
            if (!pid) {
                continue;
            }
            const QString program = processName(*pid);
            return program.isEmpty() ? QStringLiteral("PID %1").arg(*pid)
                                     : QStringLiteral("%1, PID %2").arg(program).arg(*pid);
        }
    }
    return std::nullopt;
#endif
}

QString groupWithAccess(const QString& device) {
#ifdef Q_OS_WIN
    Q_UNUSED(device);
    return {};
#else
    struct stat status {};
    if (::stat(QFile::encodeName(device).constData(), &status) != 0 ||
        (status.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP)) {
        return {};
    }
    if (const group* owner = ::getgrgid(status.st_gid)) {
        return QString::fromLocal8Bit(owner->gr_name);
    }
    return QString::number(status.st_gid);
#endif
}

} // namespace velmora
