#include "link/serial_ports.h"

#include "link/device_naming.h"

#include <QSerialPortInfo>
#include <QStringList>

namespace velmora {

std::vector<SerialPortEntry> serialPorts() {
    std::vector<SerialPortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialPortEntry entry{info.portName(),    info.systemLocation(), {},
                              info.description(), info.manufacturer(),   {},
                              info.serialNumber()};
        entry.stableName = stableDeviceName(entry.systemPath);
        if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            entry.usbId = QStringLiteral("%1:%2")
                              .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                              .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
        }
        ports.push_back(entry);
    }
    return ports;
}

QString mappingAdvice(int portNumber) {
    QStringList present;
    for (const SerialPortEntry& port : serialPorts()) {
        const QString name = port.stableName.isEmpty() ? port.systemPath : port.stableName;
        present << (port.description.isEmpty()
                        ? name
                        : QStringLiteral("%1 (%2)").arg(name, port.description));
    }
    const QString how = QStringLiteral("velmora-cli ports map %1 DISPOSITIVO").arg(portNumber);
    if (present.isEmpty()) {
        return QStringLiteral("Non c'è nessuna porta seriale: collegare l'adattatore, poi "
                              "assegnarlo alla porta %1 con %2.")
            .arg(QString::number(portNumber), how);
    }
    return QStringLiteral("Porte seriali presenti: %1.\nPer assegnarne una alla porta %2: %3.")
        .arg(present.join(QStringLiteral(", ")), QString::number(portNumber), how);
}

QString withMappingAdvice(const OpenFailure& failure, const QString& sentence, int portNumber) {
    if (failure.problem != OpenProblem::Missing || portNumber == 0)
        return sentence;
    return sentence + QStringLiteral("\n") + mappingAdvice(portNumber);
}

} // namespace velmora
