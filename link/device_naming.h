#pragma once

#include <QString>

namespace velmora {

// The device file behind a name, every symbolic link resolved (/dev/serial/by-id/...,
// a link to a pseudo-terminal), so that all names of one device open, and lock, the
// same file. A name that leads nowhere is returned as it is, for the serial layer to
// report.
QString canonicalDevice(const QString& device);

// Whether a name leads to an existing file, its bytes taken as they are.
bool deviceExists(const QString& device);

// The folder of the names that stay with an adapter whichever socket it is plugged
// into: /dev/serial/by-id, or the folder named by VELMORA_SERIAL_BY_ID (tests point it
// at links of their own).
QString stableNameFolder();

// The stable name of a device: itself when it already is one, otherwise the link in
// the stable-name folder that leads to the same device file; empty when there is none.
QString stableDeviceName(const QString& device);

// Whether two names lead to the same device file.
bool sameDevice(const QString& first, const QString& second);

} // namespace velmora
