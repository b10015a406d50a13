#pragma once

#include <QSerialPort>
#include <QString>

#include <optional>

namespace velmora {

// Why a device could not be opened, as the operator can act on it.
enum class OpenProblem { Missing, NotSerial, InUse, NoRights, Other };

struct OpenFailure {
    OpenProblem problem;
    QString sentence; // Italian, for the operator: the device and what is wrong
    QString detail;   // the system's own text

    // On one line, the system's text in brackets.
    QString text() const { return sentence + QStringLiteral(" [") + detail + QStringLiteral("]"); }
};

// The failure to open `device`, told from the serial layer's error and from the device
// file itself: whether it exists, is a terminal, is locked by another program, and which
// group, if any, may read and write it.
OpenFailure describeOpenFailure(const QString& device, QSerialPort::SerialPortError error,
                                const QString& systemReason);

// A device that the lock file of another program holds, told without opening it.
OpenFailure lockedByAnotherProgram(const QString& device);

// The other program holding the lock file of a device ("minicom, PID 812"), when a
// lock file names a live process other than this one. Lock files are looked for in the
// folder named by VELMORA_LOCK_FOLDER, when it is set (a site whose serial programs lock
// elsewhere; tests keep their own locks there), then in /var/lock and /run/lock.
std::optional<QString> lockHolder(const QString& device);

// The group that may read and write a device file; empty when no group may.
QString groupWithAccess(const QString& device);

} // namespace velmora
