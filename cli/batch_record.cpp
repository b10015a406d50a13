#include "cli/batch_record.h"

#include "cli/production_record.h"

#include <memory>

namespace velmora::cli {
namespace {

QString pathOf(const std::string& text) {
    return QString::fromLocal8Bit(text.c_str());
}

} // namespace

Step<BatchRecord> openBatchRecord(const Arguments& arguments, const std::string& configurationFile,
                                  std::function<std::string(int)> labelOf) {
    BatchRecord batch{{}, [](const UnitReport&) { return Step<void>{}; }, {}};
    const auto resume = arguments.options.find("--resume");
    const auto log = arguments.options.find("--log");
    if (resume != arguments.options.end()) {
        auto sent = sentNumbers(pathOf(resume->second));
        if (!sent)
            return sent.error();
        batch.alreadySent = std::move(*sent);
    }
    const auto target = log != arguments.options.end() ? log : resume;
    if (target == arguments.options.end())
        return batch;
    auto digest = sha256OfFile(pathOf(configurationFile));
    if (!digest)
        return digest.error();
    auto opened = ProductionRecord::open(pathOf(target->second));
    if (!opened)
        return opened.error();
    batch.path = target->second;
    std::shared_ptr<ProductionRecord> record = std::move(*opened);
    batch.recorder = [record, labelOf = std::move(labelOf), file = pathOf(configurationFile),
                      sha256 = *digest](const UnitReport& unit) -> Step<void> {
        RecordRow row;
        row.position = labelOf(unit.position);
        row.device = stableDeviceName(unit.device);
        row.number = std::to_string(unit.number);
        row.configurationFile = file;
        row.configurationSha256 = sha256;
        row.result = unit.outcome;
        row.detail = unit.detail;
        row.frameSent = unit.frameSent;
        row.image = unit.image;
        return record->append(row);
    };
    return batch;
}

} // namespace velmora::cli
