#include "app/window_history.h"

#include "store/history_image.h"
#include "store/history_retention.h"

namespace velmora {

using store::ExchangeHistory;
using store::StoreResult;

WindowHistory::WindowHistory(const store::StoreLocation& location, QObject* parent)
    : QObject(parent), thread_(location) {}

void WindowHistory::post(std::function<StoreResult<void>(ExchangeHistory&)> work) {
    thread_.ask<StoreResult<void>>(std::move(work), this, [this](StoreResult<void> done) {
        if (done || told_)
            return;
        told_ = true;
        emit unavailable(QString::fromStdString(done.error().message));
    });
}

void WindowHistory::removeExpired(const QString& settingsFile) {
    const auto cutoff = store::retentionCutoff(settingsFile);
    if (!cutoff) {
        qWarning("Storico: %s", cutoff.error().c_str());
        return;
    }
    post([before = *cutoff](ExchangeHistory& history) {
        auto removed = history.removeOlderThan(before);
        if (!removed)
            return StoreResult<void>(removed.error());
        return StoreResult<void>{};
    });
}

void WindowHistory::sent(const Image& image, const QString& device) {
    post([image, device = device.toStdString(), last = lastSent_](ExchangeHistory& history) {
        store::HistoryEntry entry =
            store::entryOnThisHost(store::kWindowProgram, "Programma", store::kSentToUnit, device);
        store::keepImage(entry, image);
        entry.outcome = store::kUnanswered;
        auto added = history.add(entry);
        last->reset();
        if (!added)
            return StoreResult<void>(added.error());
        *last = *added;
        return StoreResult<void>{};
    });
}

void WindowHistory::acknowledged() {
    post([last = lastSent_](ExchangeHistory& history) {
        if (!*last)
            return StoreResult<void>{};
        return history.setOutcome(**last, store::kAcknowledged);
    });
}

void WindowHistory::read(const Image& image, bool decoded, const QString& device) {
    post([image, decoded, device = device.toStdString()](ExchangeHistory& history) {
        store::HistoryEntry entry =
            store::entryOnThisHost(store::kWindowProgram, "Leggi", store::kReadFromUnit, device);
        store::keepImage(entry, image);
        entry.outcome = decoded ? store::kDecoded : store::kRefused;
        auto added = history.add(entry);
        if (!added)
            return StoreResult<void>(added.error());
        return StoreResult<void>{};
    });
}

} // namespace velmora
