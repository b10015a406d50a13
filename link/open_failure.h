#pragma once

#include <QSerialPort>
#include <QString>

namespace velmora {

// Why a device could not be opened, as the operator can act on it; BrokenMap: the port
// number could not even be resolved, the saved port map being unusable.
enum class OpenProblem { Missing, NotSerial, InUse, NoRights, BrokenMap, Other };

struct OpenFailure {
    OpenProblem problem;
    QString sentence; // Italian, for the operator: the device and what is wrong
    QString detail;   // the system's own text

    // On one line, the system's text in brackets when there is one.
    QString text() const {
        return detail.isEmpty() ? sentence
                                : sentence + QStringLiteral(" [") + detail + QStringLiteral("]");
    }
};

// The failure to open `device`, told from the serial layer's error and from the device
// file itself: whether it exists, is a terminal, is locked by another program, and which
// group, if any, may read and write it.
OpenFailure describeOpenFailure(const QString& device, QSerialPort::SerialPortError error,
                                const QString& systemReason);

// A device that the lock file of another program holds, told without opening it.
OpenFailure lockedByAnotherProgram(const QString& device);

// The group that may read and write a device file; empty when no group may.
QString groupWithAccess(const QString& device);

} // namespace velmora
