#pragma once

// What the store's verbs share: values bound as the driver takes them, a write
// transaction around several statements, and a connection opened again after it failed.
// Included by the store's own files only.
#include "store/production_store.h"

#include <string>

namespace velmora::store {

inline QVariant text(const std::string& value) {
    return QString::fromStdString(value);
}

inline QVariant number(long value) {
    return static_cast<qlonglong>(value);
}

// Runs `steps` in one write transaction: committed when they succeed, rolled back when not.
template <typename Steps>
auto inTransaction(StoreConnection& db, Steps steps) -> decltype(steps()) {
    if (auto began = db.begin(); !began)
        return began.error();
    auto done = steps();
    if (!done) {
        db.rollback();
        return done;
    }
    if (auto committed = db.commit(); !committed) {
        db.rollback();
        return committed.error();
    }
    return done;
}

// How many numbers of the job are still free, `highest` being the highest one taken.
StoreResult<long> freeLeft(StoreConnection& db, const std::string& job, long highest);

// Runs `work` on the kept connection, opening it first when there is none. A connection
// that failed is dropped and opened again by the next verb, so that a server that
// restarted or a disk with room again is used as soon as it is back.
template <typename Work>
auto onConnection(std::unique_ptr<StoreConnection>& kept, const StoreLocation& location, Work work)
    -> decltype(work(std::declval<StoreConnection&>())) {
    if (!kept) {
        auto connection = StoreConnection::open(location);
        if (!connection)
            return connection.error();
        kept = std::move(*connection);
    }
    auto done = work(*kept);
    kept->finishAll();
    if (!done && !done.error().refused)
        kept.reset();
    return done;
}

template <typename Work>
auto ProductionStore::attempt(Work work) -> decltype(work(std::declval<StoreConnection&>())) {
    return onConnection(connection_, location_, work);
}

} // namespace velmora::store
