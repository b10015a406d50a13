#include "cli/store_commands.h"

#include "cli/assignment.h"
#include "cli/device_line.h"
#include "exchange/form_loading.h"
#include "production/production_record.h"
#include "production/record_reading.h"
#include "store/production_store.h"
#include "support/number_text.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QSysInfo>

#include <algorithm>
#include <cstdio>
#include <map>
#include <ostream>
#include <string>

namespace velmora::cli {

// The verbs drive the engines below them.
using namespace exchange;
using namespace production;
namespace {

constexpr const char* kJobUsage =
    "usage: velmora-cli job (create NAME FILE.prg --numbers FIRST-LAST | list | show NAME | "
    "close NAME) [--store URL|FILE.sqlite] [--station NAME] [--operator NAME]";
constexpr const char* kRecordUsage =
    "usage: velmora-cli record (export [--job NAME] [-o FILE.csv] | show NUMBER [--job NAME] | "
    "import FILE.csv --job NAME) [--store URL|FILE.sqlite]";

// printf's formats, onto a stream: the listing's columns stay as they were designed.
template <typename... Values>
void print(std::ostream& out, const char* format, const Values&... values) {
    const int size = std::snprintf(nullptr, 0, format, values...);
    std::string text(static_cast<std::size_t>(std::max(size, 0)), '\0');
    std::snprintf(text.data(), text.size() + 1, format, values...);
    out << text;
}

std::string optionOr(const Arguments& arguments, const char* option, std::string otherwise) {
    const auto found = arguments.options.find(option);
    return found == arguments.options.end() ? otherwise : found->second;
}

Failure storeFailure(const store::StoreError& error) {
    return {error.refused ? ExitStatus::BadInput : ExitStatus::RecordFailed, error.message};
}

Step<std::unique_ptr<store::ProductionStore>> openStore(const Arguments& arguments) {
    const auto location = store::storeLocationOf(optionOr(arguments, "--store", {}));
    if (!location)
        return storeFailure(location.error());
    auto opened = store::ProductionStore::open(*location);
    if (!opened)
        return storeFailure(opened.error());
    return std::move(*opened);
}

// "101-400"
std::optional<std::pair<long, long>> rangeOf(const std::string& text) {
    const auto dash = text.find('-');
    if (dash == std::string::npos)
        return std::nullopt;
    const auto first = wholeNumber(text.substr(0, dash), 0, 9999);
    const auto last = wholeNumber(text.substr(dash + 1), 0, 9999);
    if (!first || !last || *first > *last)
        return std::nullopt;
    return std::pair{*first, *last};
}

Step<void> createJob(const Arguments& arguments, store::ProductionStore& store, std::ostream& out) {
    const auto numbers = arguments.options.find("--numbers");
    if (arguments.plain.size() != 3 || numbers == arguments.options.end())
        return Failure{ExitStatus::BadInput, kJobUsage};
    const auto range = rangeOf(numbers->second);
    if (!range)
        return Failure{ExitStatus::BadInput, "--numbers takes FIRST-LAST within 0 to 9999, not \"" +
                                                 numbers->second + "\""};
    const std::string& path = arguments.plain[2];
    Result<LoadedFile> loaded = loadConfiguration(path);
    if (!loaded)
        return Failure{ExitStatus::BadInput, path + ": " + describe(loaded.problems())};
    // Every number of the range must make a frame the window would send.
    FormModel& form = loaded.value().form;
    for (long number = range->first; number <= range->second; ++number)
        if (const Status typed = applyAssignment(form, "Txtnumero=" + std::to_string(number));
            !typed)
            return Failure{ExitStatus::BadInput, describe(typed.problems())};
    auto digest = sha256OfFile(QString::fromLocal8Bit(path.c_str()));
    if (!digest)
        return digest.error();
    store::JobSpec spec{arguments.plain[1],
                        QFileInfo(QString::fromLocal8Bit(path.c_str())).fileName().toStdString(),
                        digest->toStdString(),
                        hexOf(imageOfFrame(loaded.value().frame)),
                        range->first,
                        range->second};
    auto made = store.createJob(
        spec, optionOr(arguments, "--station", QSysInfo::machineHostName().toStdString()),
        optionOr(arguments, "--operator", operatorName().toStdString()));
    if (!made)
        return storeFailure(made.error());
    print(out, "job %s: numbers %ld-%ld, %s (SHA-256 %s)\n", spec.name.c_str(), spec.firstNumber,
          spec.lastNumber, spec.configurationFile.c_str(), spec.configurationSha256.c_str());
    return {};
}

void printJob(const store::Job& job, std::ostream& out) {
    print(out, "%s  numbers %ld-%ld  %s  made %s by %s on %s%s\n", job.name.c_str(),
          job.firstNumber, job.lastNumber, job.configurationFile.c_str(), job.createdAt.c_str(),
          job.createdBy.c_str(), job.createdOn.c_str(),
          job.closedAt ? ("  closed " + *job.closedAt).c_str() : "");
}

Step<void> showJob(const std::string& name, store::ProductionStore& store, std::ostream& out) {
    auto job = store.findJob(name);
    if (!job)
        return storeFailure(job.error());
    if (!*job)
        return Failure{ExitStatus::BadInput, "no job is named \"" + name + "\""};
    printJob(**job, out);
    print(out, "configuration SHA-256 %s\n", (*job)->configurationSha256.c_str());
    auto counts = store.counts(name);
    if (!counts)
        return storeFailure(counts.error());
    std::map<std::string, long> byState;
    for (const store::StateCount& count : *counts)
        byState[count.state] += count.count;
    for (const char* state :
         {store::kFree, store::kSent, store::kProgrammed, store::kVerified, store::kToCheck})
        print(out, "%-10s %ld\n", state, byState[state]);
    for (const store::StateCount& count : *counts)
        if (!count.station.empty())
            print(out, "  %s on %s: %ld\n", count.state.c_str(), count.station.c_str(),
                  count.count);
    return {};
}

Step<void> runJob(const Arguments& arguments, std::ostream& out) {
    if (arguments.plain.empty())
        return Failure{ExitStatus::BadInput, kJobUsage};
    const std::string& verb = arguments.plain[0];
    auto opened = openStore(arguments);
    if (!opened)
        return opened.error();
    store::ProductionStore& store = **opened;
    if (verb == "create")
        return createJob(arguments, store, out);
    if (verb == "list" && arguments.plain.size() == 1) {
        auto jobs = store.jobs();
        if (!jobs)
            return storeFailure(jobs.error());
        for (const store::Job& job : *jobs)
            printJob(job, out);
        return {};
    }
    if (verb == "show" && arguments.plain.size() == 2)
        return showJob(arguments.plain[1], store, out);
    if (verb == "close" && arguments.plain.size() == 2) {
        if (auto closed = store.closeJob(arguments.plain[1]); !closed)
            return storeFailure(closed.error());
        return {};
    }
    return Failure{ExitStatus::BadInput, kJobUsage};
}

// The record's columns, then the station and the job.
std::string exportText(const std::vector<store::NumberRow>& rows) {
    std::string text;
    const auto line = [&text](const std::vector<std::string>& fields) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            text += (i ? "," : "") + csvField(fields[i]);
        text += "\r\n";
    };
    std::vector<std::string> header(kRecordColumns.begin(), kRecordColumns.end());
    header.insert(header.end(), {"station", "job"});
    line(header);
    for (const store::NumberRow& row : rows)
        line({row.finishedAt.empty() ? row.sentAt : row.finishedAt, row.taker.station,
              row.taker.operatorName, row.taker.position, row.taker.device,
              std::to_string(row.number), row.configurationFile, row.configurationSha256,
              row.result.empty() ? row.state : row.result, row.detail,
              // A number whose frame never left is free again, and not listed.
              "yes", row.image, row.taker.station, row.job});
    return text;
}

// A number an older record shows as sent, as the store keeps it: the outcome of its last
// row, but "to check" when the unit was not seen to take it whole or when the record
// sent it in more than one row (two units may hold it).
store::ImportedNumber importedOf(const std::vector<const RecordEntry*>& rows) {
    const RecordEntry& last = *rows.back();
    const bool once = rows.size() == 1;
    const char* state = once && last.result == "verified"     ? store::kVerified
                        : once && last.result == "programmed" ? store::kProgrammed
                                                              : store::kToCheck;
    std::string detail = last.detail;
    if (!once)
        detail = "sent in " + std::to_string(rows.size()) + " rows of the imported record" +
                 (detail.empty() ? "" : "; " + detail);
    return {last.number,
            {last.host, last.position, last.operatorName, last.device},
            last.time,
            {state, last.result, detail, true, last.image}};
}

Step<void> importRecord(const Arguments& arguments, store::ProductionStore& store,
                        std::ostream& out) {
    const std::string name = optionOr(arguments, "--job", {});
    if (name.empty())
        return Failure{ExitStatus::BadInput, kRecordUsage};
    auto job = store.findJob(name);
    if (!job)
        return storeFailure(job.error());
    if (!*job)
        return Failure{ExitStatus::BadInput, "no job is named \"" + name + "\""};
    const std::string& path = arguments.plain[1];
    auto entries = readRecord(QString::fromLocal8Bit(path.c_str()));
    if (!entries)
        return entries.error();
    std::map<long, std::vector<const RecordEntry*>> sent;
    long unsent = 0;
    for (const RecordEntry& entry : *entries) {
        if (!entry.frameSent) {
            ++unsent;
            continue;
        }
        if (entry.number < (*job)->firstNumber || entry.number > (*job)->lastNumber)
            return Failure{ExitStatus::BadInput, path + ": line " + std::to_string(entry.line) +
                                                     ": number " + std::to_string(entry.number) +
                                                     " is outside job \"" + name + "\" (" +
                                                     std::to_string((*job)->firstNumber) + "-" +
                                                     std::to_string((*job)->lastNumber) + ")"};
        sent[entry.number].push_back(&entry);
    }
    std::vector<store::ImportedNumber> numbers;
    for (const auto& [number, rows] : sent)
        numbers.push_back(importedOf(rows));
    auto kept = store.importSpent(name, numbers);
    if (!kept)
        return storeFailure(kept.error());
    print(out, "job %s: %zu numbers imported as spent, %ld rows sent no frame\n", name.c_str(),
          numbers.size() - kept->size(), unsent);
    if (!kept->empty()) {
        out << "already on record, kept as the store has them:";
        for (const long number : *kept)
            out << ' ' << number;
        out << '\n';
    }
    return {};
}

Step<void> runRecord(const Arguments& arguments, std::ostream& out) {
    if (arguments.plain.empty())
        return Failure{ExitStatus::BadInput, kRecordUsage};
    auto opened = openStore(arguments);
    if (!opened)
        return opened.error();
    const std::string& verb = arguments.plain[0];
    if (verb == "import" && arguments.plain.size() == 2)
        return importRecord(arguments, **opened, out);
    auto rows = (*opened)->rows(optionOr(arguments, "--job", {}));
    if (!rows)
        return storeFailure(rows.error());
    if (verb == "export" && arguments.plain.size() == 1) {
        const std::string text = exportText(*rows);
        const auto target = arguments.options.find("-o");
        if (target == arguments.options.end()) {
            out << text << std::flush;
            return out ? Step<void>{}
                       : Failure{ExitStatus::RecordFailed, "the record could not be written out"};
        }
        QSaveFile file(QString::fromLocal8Bit(target->second.c_str()));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(text.data(), static_cast<qint64>(text.size())) !=
                static_cast<qint64>(text.size()) ||
            !file.commit())
            return Failure{ExitStatus::RecordFailed,
                           target->second + ": " + file.errorString().toStdString()};
        return {};
    }
    if (verb == "show" && arguments.plain.size() == 2) {
        const auto number = wholeNumber(arguments.plain[1], 0, 9999);
        if (!number)
            return Failure{ExitStatus::BadInput, kRecordUsage};
        bool found = false;
        for (const store::NumberRow& row : *rows) {
            if (row.number != *number)
                continue;
            found = true;
            print(out,
                  "job %s, number %ld: %s%s%s\n"
                  "  configuration %s (SHA-256 %s)\n"
                  "  sent %s by %s at %s on %s (%s); outcome %s\n",
                  row.job.c_str(), row.number, row.state.c_str(), row.result.empty() ? "" : ", ",
                  row.result.c_str(), row.configurationFile.c_str(),
                  row.configurationSha256.c_str(), row.sentAt.c_str(),
                  row.taker.operatorName.c_str(), row.taker.station.c_str(),
                  row.taker.position.c_str(), row.taker.device.c_str(),
                  row.finishedAt.empty() ? "not on record" : row.finishedAt.c_str());
            if (!row.detail.empty())
                print(out, "  %s\n", row.detail.c_str());
        }
        if (!found)
            return Failure{ExitStatus::BadInput,
                           "no unit holds number " + arguments.plain[1] + " on record"};
        return {};
    }
    return Failure{ExitStatus::BadInput, kRecordUsage};
}

} // namespace

ExitStatus jobCommand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const Step<void> done = runJob(arguments, out);
    return done ? ExitStatus::Done : report(err, done.error());
}

ExitStatus recordCommand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const Step<void> done = runRecord(arguments, out);
    return done ? ExitStatus::Done : report(err, done.error());
}

} // namespace velmora::cli
