#pragma once

#include "protocol/wire_format.h"
#include "store/history_thread.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace velmora {

// What "Programma" sends and "Leggi" reads, kept in the history beside the commands:
// each entry is posted to the history's own thread, so the window's sequence and timing
// stay as they are. A history that cannot be written is reported once.
class WindowHistory : public QObject {
    Q_OBJECT

public:
    explicit WindowHistory(const store::StoreLocation& location, QObject* parent = nullptr);

    // Removes the entries older than the settings file allows.
    void removeExpired(const QString& settingsFile);
    // A programming frame went to the unit on `device`.
    void sent(const Image& image, const QString& device);
    // The unit confirmed the frame last sent.
    void acknowledged();
    // The unit answered a read with these bytes; `decoded`: the window took them.
    void read(const Image& image, bool decoded, const QString& device);

signals:
    // The first entry that could not be kept, and why; never again after it.
    void unavailable(const QString& reason);

private:
    void post(std::function<store::StoreResult<void>(store::ExchangeHistory&)> work);

    store::HistoryThread thread_;
    // The entry of the frame last sent; touched only on the history's thread.
    std::shared_ptr<std::optional<long>> lastSent_ = std::make_shared<std::optional<long>>();
    bool told_ = false;
};

} // namespace velmora
