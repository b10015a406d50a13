#include "link/open_failure.h"

#include "link/device_lock.h"
#include "link/device_naming.h"

#include <QFile>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <grp.h>
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

#endif

QString problemSentence(OpenProblem problem, const QString& device) {
    switch (problem) {
    case OpenProblem::Missing:
        return QStringLiteral("il dispositivo non esiste");
    case OpenProblem::NotSerial:
        return QStringLiteral("non è una porta seriale");
    case OpenProblem::InUse:
        if (const auto holder = lockHolder(device)) {
            const QString advice = holder->advice(device);
            return QStringLiteral("porta già in uso da un altro programma (%1)")
                       .arg(holder->owner()) +
                   (advice.isEmpty() ? QString() : QStringLiteral(". ") + advice);
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
    case OpenProblem::BrokenMap:
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
