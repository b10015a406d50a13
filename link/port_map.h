#pragma once

#include "values/result.h"

#include <QString>

#include <map>
#include <optional>

namespace velmora {

// The port numbers a user has tied to devices, kept between runs in the INI file
// velmora/velmora.conf of the user's configuration folder ($XDG_CONFIG_HOME, by default
// ~/.config), group [ports], one "n=device" line per mapped number.
class PortMap {
public:
    static QString filePath();
    // The saved map; empty when there is no file yet.
    static PortMap load();

    std::optional<QString> device(int portNumber) const;
    // The number mapped to the same device file, if any.
    std::optional<int> numberOf(const QString& device) const;
    const std::map<int, QString>& entries() const { return entries_; }

    void set(int portNumber, const QString& device) { entries_[portNumber] = device; }
    void remove(int portNumber) { entries_.erase(portNumber); }
    // Writes the whole map; on failure why.
    Result<void, QString> save() const;

private:
    std::map<int, QString> entries_;
};

} // namespace velmora
