#include "cli/batch_record.h"

#include "production/production_record.h"

#include <memory>

namespace velmora::cli {

// The verbs drive the engines below them.
using namespace exchange;
using namespace production;

Step<UnitRecorder> openBatchMirror(const Arguments& arguments, const std::string& configurationFile,
                                   const std::string& sha256,
                                   std::function<std::string(int)> labelOf) {
    const auto log = arguments.options.find("--log");
    if (log == arguments.options.end())
        return UnitRecorder{};
    auto opened = ProductionRecord::open(QString::fromLocal8Bit(log->second.c_str()));
    if (!opened)
        return opened.error();
    std::shared_ptr<ProductionRecord> record = std::move(*opened);
    return UnitRecorder{[record, labelOf = std::move(labelOf),
                         file = QString::fromStdString(configurationFile),
                         sha256 = QString::fromStdString(sha256)](const UnitReport& unit) {
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
    }};
}

} // namespace velmora::cli
