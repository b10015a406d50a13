#include "store/history_image.h"

#include "protocol/image_decode.h"

#include <QByteArray>
#include <QSysInfo>

#include <algorithm>
#include <cctype>

namespace velmora::store {

HistoryEntry entryOnThisHost(const char* program, const std::string& action, const char* direction,
                             const std::string& device) {
    HistoryEntry entry;
    entry.host = QSysInfo::machineHostName().toStdString();
    entry.operatorName = accountOperator();
    entry.program = program;
    entry.action = action;
    entry.direction = direction;
    entry.device = device;
    return entry;
}

void keepImage(HistoryEntry& entry, const Image& image) {
    const QByteArray bytes(reinterpret_cast<const char*>(image.data()),
                           static_cast<qsizetype>(image.size()));
    entry.image = bytes.toHex().toUpper().toStdString();
    const Result<DecodedImage> decoded = decodeImage(image, ImageSource::FileImport);
    entry.number = decoded ? decoded->values.peripheralNumber : std::string{};
}

std::optional<Image> imageOfEntry(const HistoryEntry& entry) {
    const QByteArray hex = QByteArray::fromStdString(entry.image);
    if (hex.size() != 2 * kImageSize || !std::all_of(hex.begin(), hex.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c));
        }))
        return std::nullopt;
    const QByteArray bytes = QByteArray::fromHex(hex);
    Image image{};
    std::copy(bytes.begin(), bytes.end(), image.begin());
    return image;
}

} // namespace velmora::store
