#include "cli/history_commands.h"

#include "cli/device_commands.h"
#include "cli/history_access.h"
#include "cli/json_text.h"
#include "exchange/configuration_diff.h"
#include "exchange/form_loading.h"
#include "exchange/parameter_listing.h"
#include "progfile/programming_file_saving.h"
#include "store/history_image.h"
#include "support/number_text.h"

#include <QDateTime>

#include <string>
#include <vector>

namespace velmora::cli {

// The verb lists and compares as the file verbs do.
using namespace exchange;
namespace {

using store::HistoryEntry;

constexpr const char* kUsage =
    "usage: velmora-cli history [list] [--device D] [--number N] [--since DATE] [--json] | "
    "history (show ID [--json] | save ID -o FILE.prg | diff ID1 ID2 | restore ID (--port N | "
    "--device PATH)) [--store URL|FILE.sqlite]";

// One subcommand: its word, how many IDs follow it, its work.
struct Subcommand {
    const char* word;
    std::size_t ids;
    ExitStatus (*run)(const Arguments&, CommandHistory&, std::ostream&, std::ostream&);
};

// "2026-12-01" from the local midnight, or a local time "2026-12-01T08:30".
std::optional<std::int64_t> sinceOf(const std::string& text) {
    const QString given = QString::fromStdString(text);
    if (const QDate day = QDate::fromString(given, Qt::ISODate); day.isValid())
        return day.startOfDay().toMSecsSinceEpoch();
    if (const QDateTime moment = QDateTime::fromString(given, Qt::ISODate); moment.isValid())
        return moment.toMSecsSinceEpoch();
    return std::nullopt;
}

std::string entryJson(const HistoryEntry& entry) {
    const std::pair<const char*, const std::string*> fields[] = {
        {"id", &entry.id},           {"time", &entry.recordedAt},
        {"host", &entry.host},       {"operator", &entry.operatorName},
        {"program", &entry.program}, {"device", &entry.device},
        {"action", &entry.action},   {"direction", &entry.direction},
        {"number", &entry.number},   {"outcome", &entry.outcome}};
    std::string json = "  {";
    for (const auto& [name, value] : fields)
        json += jsonString(name) + ": " + jsonString(*value) + ", ";
    json += "\"image\": [";
    const auto image = store::imageOfEntry(entry);
    for (std::size_t i = 0; image && i < image->size(); ++i)
        json += (i == 0 ? "" : ", ") + std::to_string((*image)[i]);
    return json + "]}";
}

std::string entryLine(const HistoryEntry& entry) {
    return entry.id + "  " + entry.recordedAt + "  " + entry.program + "  " + entry.action + "  " +
           entry.direction + "  " + entry.device + "  number " +
           (entry.number.empty() ? "-" : entry.number) + "  " + entry.outcome + "  " +
           entry.operatorName + "@" + entry.host + "\n";
}

ExitStatus listEntries(const Arguments& arguments, CommandHistory& history, std::ostream& out,
                       std::ostream& err) {
    store::HistoryFilter filter;
    if (const auto device = arguments.options.find("--device"); device != arguments.options.end())
        filter.device = device->second;
    if (const auto since = arguments.options.find("--since"); since != arguments.options.end()) {
        filter.sinceMs = sinceOf(since->second);
        if (!filter.sinceMs)
            return report(err, badInput("--since takes a date, 2026-12-01, or a local time, "
                                        "2026-12-01T08:30, not \"" +
                                        since->second + "\""));
    }
    const auto number = arguments.options.find("--number");
    auto entries = history.thread().run<store::StoreResult<std::vector<HistoryEntry>>>(
        [&filter](store::ExchangeHistory& kept) { return kept.list(filter); });
    if (!entries)
        return report(err, historyFailure(entries.error()));
    const bool json = arguments.has("--json");
    std::string shown;
    for (const HistoryEntry& entry : *entries) {
        // Numbers compare as numbers: the window writes 101 as "101", a unit may say "0101".
        if (number != arguments.options.end() &&
            wholeNumber(entry.number, 0, 65535) != wholeNumber(number->second, 0, 65535))
            continue;
        shown += json ? (shown.empty() ? "" : ",\n") + entryJson(entry) : entryLine(entry);
    }
    out << (json ? "[\n" + shown + (shown.empty() ? "" : "\n") + "]\n" : shown);
    return ExitStatus::Done;
}

// The entry named, or a failure that names the ID.
Step<HistoryEntry> entryNamed(CommandHistory& history, const std::string& id) {
    auto found = history.thread().run<store::StoreResult<std::optional<HistoryEntry>>>(
        [&id](store::ExchangeHistory& kept) { return kept.find(id); });
    if (!found)
        return historyFailure(found.error());
    if (!*found)
        return badInput("the history has no entry " + id + " (velmora-cli history lists them)");
    return std::move(**found);
}

Step<Image> imageNamed(CommandHistory& history, const std::string& id) {
    const auto entry = entryNamed(history, id);
    if (!entry)
        return entry.error();
    const auto image = store::imageOfEntry(*entry);
    if (!image)
        return badInput("history entry " + id + " does not hold 96 bytes");
    return *image;
}

// The entry's bytes as the window would show them after importing them.
Step<std::pair<Image, FormModel>> formNamed(CommandHistory& history, const std::string& id) {
    const auto image = imageNamed(history, id);
    if (!image)
        return image.error();
    Result<FormModel> form = formFromImage(*image);
    if (!form)
        return Failure{ExitStatus::NoAnswer,
                       "history entry " + id +
                           " holds bytes the window cannot load: " + describe(form.problems())};
    return std::pair{*image, std::move(*form)};
}

ExitStatus showEntry(const Arguments& arguments, CommandHistory& history, std::ostream& out,
                     std::ostream& err) {
    const std::string& id = arguments.plain[1];
    const auto shown = formNamed(history, id);
    if (!shown)
        return report(err, shown.error());
    const Listing listing = listParameters(shown->second);
    if (arguments.has("--json"))
        out << configurationJson("history " + id, listing, shown->first);
    else
        out << formatListing(listing);
    return ExitStatus::Done;
}

ExitStatus saveEntry(const Arguments& arguments, CommandHistory& history, std::ostream&,
                     std::ostream& err) {
    const auto target = arguments.options.find("-o");
    if (target == arguments.options.end())
        return report(err, badInput("history save ID needs -o FILE.prg"));
    const auto image = imageNamed(history, arguments.plain[1]);
    if (!image)
        return report(err, image.error());
    // The bytes as they were, even those the window would not import, for diagnosis.
    const Result<SavedFile> saved = saveProgrammingFile(target->second, programmingFrame(*image));
    if (!saved)
        return report(err, badInput(describe(saved.problems())));
    if (!saved->notKept.empty())
        err << "velmora-cli: " << target->second << ": " << describeNotKept(*saved) << "\n";
    return ExitStatus::Done;
}

ExitStatus diffEntries(const Arguments& arguments, CommandHistory& history, std::ostream& out,
                       std::ostream& err) {
    const auto first = formNamed(history, arguments.plain[1]);
    if (!first)
        return report(err, first.error());
    const auto second = formNamed(history, arguments.plain[2]);
    if (!second)
        return report(err, second.error());
    const std::vector<Difference> found = differences(
        first->first, listParameters(first->second), second->first, listParameters(second->second));
    for (const Difference& difference : found)
        out << difference.caption << ": " << difference.first << " -> " << difference.second
            << "\n";
    return found.empty() ? ExitStatus::Done : ExitStatus::Differs;
}

ExitStatus restoreEntry(const Arguments& arguments, CommandHistory& history, std::ostream& out,
                        std::ostream& err) {
    const std::string& id = arguments.plain[1];
    const auto restored = formNamed(history, id);
    if (!restored)
        return report(err, restored.error().status == ExitStatus::NoAnswer
                               ? badInput(restored.error().message + "; nothing was sent")
                               : restored.error());
    // Only what "Programma" would send goes to the unit.
    if (const Result<Frame> frame = frameOfForm(restored->second); !frame)
        return report(err, badInput("history entry " + id + " cannot be programmed: " +
                                    describe(frame.problems()) + "; nothing was sent"));
    return programImage(arguments, {restored->first, {}, "restore", true}, history, out, err);
}

const Subcommand kSubcommands[] = {
    {"list", 0, listEntries}, {"show", 1, showEntry},       {"save", 1, saveEntry},
    {"diff", 2, diffEntries}, {"restore", 1, restoreEntry},
};

} // namespace

ExitStatus historyCommand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const std::string word = arguments.plain.empty() ? "list" : arguments.plain[0];
    for (const Subcommand& subcommand : kSubcommands) {
        if (word != subcommand.word)
            continue;
        const std::size_t words = arguments.plain.empty() ? 0 : arguments.plain.size() - 1;
        if (words != subcommand.ids)
            return report(err, badInput(kUsage));
        auto history = CommandHistory::open(arguments);
        if (!history)
            return report(err, history.error());
        if (const auto removed = (*history)->removeExpired(err); !removed)
            return report(err, historyFailure(removed.error()));
        return subcommand.run(arguments, **history, out, err);
    }
    return report(err, badInput(kUsage));
}

} // namespace velmora::cli
