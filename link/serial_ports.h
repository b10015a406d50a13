#pragma once

#include "link/open_failure.h"

#include <QString>

#include <vector>

namespace velmora {

// A serial port the system knows, as an installer tells one adapter from another.
struct SerialPortEntry {
    QString name;         // ttyUSB0
    QString systemPath;   // /dev/ttyUSB0
    QString stableName;   // /dev/serial/by-id/usb-FTDI_..., empty when there is none
    QString description;  // FT232R USB UART
    QString maker;        // FTDI
    QString usbId;        // 0403:6001, empty for a port that is not on USB
    QString serialNumber; // A50285BI
};

std::vector<SerialPortEntry> serialPorts();

// For a port number whose device does not exist: the serial ports that do, and how to
// give one of them that number.
QString mappingAdvice(int portNumber);

// The failure's `sentence` (the window's box) or `text()` (a command line's message),
// followed by the mapping advice when the device behind port `portNumber` does not
// exist; a device named directly (port number 0) gets no advice.
QString withMappingAdvice(const OpenFailure& failure, const QString& sentence, int portNumber);

} // namespace velmora
