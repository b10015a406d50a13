#pragma once

#include <QString>

#include <optional>

namespace velmora {

// The lock file by which another program holds a device, and that program.
struct LockHolder {
    QString lockFile; // /var/lock/LCK..ttyUSB0
    long pid = 0;
    QString program;               // minicom; empty when the system does not say
    std::optional<bool> hasItOpen; // whether that process has the device open; unknown
                                   // when its open files may not be looked at

    // "minicom, PID 812, file di blocco /var/lock/LCK..ttyUSB0"
    QString owner() const;
    // What the technician can do about the lock: nothing when the program really uses
    // the device, otherwise how to check that it does and which file to remove if not.
    QString advice(const QString& device) const;
};

// The other program holding the lock file of a device, when a lock file names a live
// process other than this one (for Qt's own lock files: one that holds the file locked).
// Lock files are looked for in the folder named by VELMORA_LOCK_FOLDER when it is set (a
// site whose serial programs lock elsewhere; tests keep their own locks there), then in
// /var/lock and /run/lock.
std::optional<LockHolder> lockHolder(const QString& device);

} // namespace velmora
