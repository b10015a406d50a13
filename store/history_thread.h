#pragma once

#include "store/exchange_history.h"
#include "store/owned_thread.h"

namespace velmora::store {

// The history on a thread of its own: the window and the commands post entries and are
// called back with the outcome.
class HistoryThread : public OwnedThread<ExchangeHistory> {
public:
    explicit HistoryThread(const StoreLocation& location)
        : OwnedThread("history", std::make_unique<ExchangeHistory>(location)) {}
};

} // namespace velmora::store
