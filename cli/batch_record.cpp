#include "cli/batch_record.h"

#include "cli/production_record.h"

#include <memory>

namespace velmora::cli {
namespace {

RecordResult resultOf(UnitOutcome outcome) {
    switch (outcome) {
    case UnitOutcome::Programmed:
        return RecordResult::Programmed;
    case UnitOutcome::Verified:
        return RecordResult::Verified;
    case UnitOutcome::VerifyFailed:
        return RecordResult::VerifyFailed;
    case UnitOutcome::NoAnswer:
        return RecordResult::NoAnswer;
    case UnitOutcome::WrongAnswer:
        return RecordResult::WrongAnswer;
    case UnitOutcome::PortLost:
        return RecordResult::PortLost;
    case UnitOutcome::Interrupted:
        break;
    }
    return RecordResult::Interrupted;
}

QString pathOf(const std::string& text) {
    return QString::fromLocal8Bit(text.c_str());
}

} // namespace

std::variant<BatchRecord, Failure> openBatchRecord(const Arguments& arguments,
                                                   const std::string& configurationFile,
                                                   std::function<std::string(int)> labelOf) {
    BatchRecord batch{{}, [](const UnitReport&) { return std::optional<std::string>(); }, {}};
    const auto resume = arguments.options.find("--resume");
    const auto log = arguments.options.find("--log");
    if (resume != arguments.options.end()) {
        auto sent = sentNumbers(pathOf(resume->second));
        if (auto* failure = std::get_if<Failure>(&sent))
            return *failure;
        batch.alreadySent = std::get<std::set<long>>(std::move(sent));
    }
    const auto target = log != arguments.options.end() ? log : resume;
    if (target == arguments.options.end())
        return batch;
    auto digest = sha256OfFile(pathOf(configurationFile));
    if (auto* failure = std::get_if<Failure>(&digest))
        return *failure;
    auto opened = ProductionRecord::open(pathOf(target->second));
    if (auto* failure = std::get_if<Failure>(&opened))
        return *failure;
    batch.path = target->second;
    std::shared_ptr<ProductionRecord> record =
        std::move(std::get<std::unique_ptr<ProductionRecord>>(opened));
    batch.recorder =
        [record, labelOf = std::move(labelOf), file = pathOf(configurationFile),
         sha256 = std::get<QString>(digest)](const UnitReport& unit) -> std::optional<std::string> {
        RecordRow row;
        row.position = labelOf(unit.position);
        row.device = stableDeviceName(unit.device);
        row.number = std::to_string(unit.number);
        row.configurationFile = file;
        row.configurationSha256 = sha256;
        row.result = resultOf(unit.outcome);
        row.detail = unit.detail;
        row.frameSent = unit.frameSent;
        row.image = unit.image;
        if (const auto failure = record->append(row))
            return failure->message;
        return std::nullopt;
    };
    return batch;
}

} // namespace velmora::cli
