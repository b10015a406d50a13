#pragma once

#include "values/result.h"

#include <QString>

#include <map>
#include <optional>

namespace velmora {

// Why the saved map cannot be used: the sentence names the file and what is wrong with
// it ("il file delle porte \"…\" è una cartella, non un file"); the detail is the
// system's own text, or the line that cannot be read.
struct BrokenPortMap {
    QString sentence;
    QString detail;
};

// The port numbers a user has tied to devices, kept between runs in the INI file
// velmora/velmora.conf of the user's configuration folder ($XDG_CONFIG_HOME, by default
// ~/.config), group [ports], one "n=device" line per mapped number.
class PortMap {
public:
    static QString filePath();
    // The saved map; empty when there is no file yet. A file that is there but is a
    // folder, cannot be read or is not an INI file is never taken for an empty map: a
    // number it may hold must not open another device.
    static Result<PortMap, BrokenPortMap> load();

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
