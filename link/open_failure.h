#pragma once

#include <QSerialPort>
#include <QString>

namespace velmora {

// The sentence shown when a port cannot be opened: the device and the system's
// reason; for a refused permission also the group the operator must belong to.
QString describeOpenFailure(const QString& device, QSerialPort::SerialPortError error,
                            const QString& systemReason);

// The group that owns a device file, empty when it cannot be told.
QString owningGroup(const QString& device);

} // namespace velmora
