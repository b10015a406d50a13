#pragma once

#include "protocol/wire_format.h"
#include "store/exchange_history.h"

#include <optional>
#include <string>

namespace velmora::store {

// An entry of this host and operator: what `program` did (`action`) on `device`.
HistoryEntry entryOnThisHost(const char* program, const std::string& action, const char* direction,
                             const std::string& device);

// Puts the 96 bytes into the entry, and the peripheral number they carry when the decoder
// reads one.
void keepImage(HistoryEntry& entry, const Image& image);

// The entry's 96 bytes; none when the record does not hold 192 hexadecimal digits.
std::optional<Image> imageOfEntry(const HistoryEntry& entry);

} // namespace velmora::store
