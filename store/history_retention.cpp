#include "store/history_retention.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSettings>

#include <charconv>

namespace velmora::store {

Result<long, std::string> keepDaysIn(const QString& settingsFile) {
    if (!QFileInfo::exists(settingsFile))
        return kDefaultKeepDays;
    QSettings settings(settingsFile, QSettings::IniFormat);
    const QVariant value = settings.value(QStringLiteral("history/keep-days"));
    if (settings.status() != QSettings::NoError)
        return settingsFile.toStdString() + " cannot be read; no history entry was removed";
    if (!value.isValid())
        return kDefaultKeepDays;
    const std::string given = value.toString().trimmed().toStdString();
    long days = 0;
    const auto [end, problem] = std::from_chars(given.data(), given.data() + given.size(), days);
    if (problem != std::errc{} || end != given.data() + given.size() || days < 1 ||
        days > kMostKeepDays)
        return "keep-days=" + given + " in " + settingsFile.toStdString() +
               " is not a whole number of days from 1 to " + std::to_string(kMostKeepDays) +
               "; no history entry was removed";
    return days;
}

Result<std::int64_t, std::string> retentionCutoff(const QString& settingsFile) {
    const auto days = keepDaysIn(settingsFile);
    if (!days)
        return days.error();
    constexpr std::int64_t kDayMs = 24LL * 60 * 60 * 1000;
    return QDateTime::currentMSecsSinceEpoch() - *days * kDayMs;
}

} // namespace velmora::store
