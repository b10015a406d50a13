#include "production/production_record.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

#if defined(Q_OS_WIN)
#include <io.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace velmora::production {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string headerLine() {
    std::string line;
    for (const std::string_view column : kRecordColumns)
        line += (line.empty() ? "" : ",") + std::string(column);
    return line + std::string(kLineEnd);
}

bool syncToDisk(QFile& file) {
#if defined(Q_OS_WIN)
    return ::_commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

} // namespace

std::string csvField(std::string_view text) {
    const bool needsQuotes = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                             (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!needsQuotes)
        return std::string(text);
    std::string field = "\"";
    for (const char c : text) {
        field += c;
        if (c == '"')
            field += '"';
    }
    return field + "\"";
}

ProductionRecord::ProductionRecord(const QString& path, std::unique_ptr<QLockFile> lock)
    : path_(path), lock_(std::move(lock)), file_(path) {}

Failure ProductionRecord::failure(const QString& why) const {
    return {ExitStatus::RecordFailed,
            "the record " + path_.toStdString() + " cannot be written: " + why.toStdString()};
}

Step<std::unique_ptr<ProductionRecord>> ProductionRecord::open(const QString& path) {
    const auto refused = [&](const QString& why) {
        return Failure{ExitStatus::RecordFailed,
                       "the record " + path.toStdString() + " " + why.toStdString()};
    };
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return refused(QStringLiteral("is not a regular file"));
    // Two names of one file share one lock.
    const QString canonical = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    auto lock = std::make_unique<QLockFile>(canonical + QStringLiteral(".lock"));
    if (!lock->tryLock(0)) {
        qint64 pid = 0;
        QString host;
        QString application;
        if (lock->error() == QLockFile::LockFailedError &&
            lock->getLockInfo(&pid, &host, &application))
            return refused(
                QStringLiteral("is in use by another run (process %1 on %2)").arg(pid).arg(host));
        return refused(QStringLiteral("cannot be locked (%1.lock cannot be made)").arg(canonical));
    }
    std::unique_ptr<ProductionRecord> record(new ProductionRecord(canonical, std::move(lock)));
    QFile& file = record->file_;
    if (!file.open(QIODevice::ReadWrite))
        return refused(QStringLiteral("cannot be opened: ") + file.errorString());
    const QByteArray header = QByteArray::fromStdString(headerLine());
    if (file.size() > 0) {
        if (file.readLine().trimmed() != header.trimmed())
            return refused(QStringLiteral("is not a record of velmora-cli: its first line is not "
                                          "the record's header"));
        // A row cut short (a power cut while writing) must not swallow the next one.
        file.seek(file.size() - 1);
        record->endsMidLine_ = file.read(1) != "\n";
    }
    file.seek(file.size());
    if (file.size() == 0)
        if (const Step<void> written = record->writeDurably(headerLine()); !written)
            return written.error();
    return record;
}

Step<void> ProductionRecord::append(const RecordRow& row) {
    const QDateTime now = QDateTime::currentDateTime();
    const std::array<std::string, kRecordColumns.size()> fields{
        now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODateWithMs).toStdString(),
        QSysInfo::machineHostName().toStdString(),
        operatorName().toStdString(),
        row.position,
        row.device.toStdString(),
        row.number,
        row.configurationFile.toStdString(),
        row.configurationSha256.toStdString(),
        std::string(outcomeWord(row.result)),
        row.detail,
        row.frameSent ? "yes" : "no",
        row.image ? hexOf(*row.image) : std::string{},
    };
    std::string line = endsMidLine_ ? std::string(kLineEnd) : std::string{};
    for (std::size_t i = 0; i < fields.size(); ++i)
        line += (i == 0 ? "" : ",") + csvField(fields[i]);
    return writeDurably(line + std::string(kLineEnd));
}

Step<void> ProductionRecord::writeDurably(const std::string& text) {
    const qint64 written = file_.write(text.data(), static_cast<qint64>(text.size()));
    const bool flushed = file_.flush();
    endsMidLine_ = written != static_cast<qint64>(text.size()) || !flushed;
    if (endsMidLine_)
        return failure(file_.errorString());
    if (!syncToDisk(file_))
        return failure(QStringLiteral("the disk did not take it (%1)").arg(qt_error_string()));
    return {};
}

QString stableDeviceName(const QString& device) {
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty())
        return device;
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files))
        if (link.canonicalFilePath() == target)
            return link.absoluteFilePath();
    return device;
}

Step<QString> sha256OfFile(const QString& path) {
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return Failure{ExitStatus::BadInput, path.toStdString() + ": cannot be read: " +
                                                 file.errorString().toStdString()};
    return QString::fromLatin1(hash.result().toHex());
}

QString operatorName() {
    for (const char* variable : {"USER", "LOGNAME", "USERNAME"})
        if (const QString name = qEnvironmentVariable(variable); !name.isEmpty())
            return name;
#ifndef Q_OS_WIN
    // A service or a root shell may set none of them; every row still names its operator.
    if (const passwd* account = ::getpwuid(::geteuid()))
        return QString::fromLocal8Bit(account->pw_name);
#endif
    return {};
}

std::string hexOf(const Image& image) {
    const QByteArray bytes(reinterpret_cast<const char*>(image.data()),
                           static_cast<qsizetype>(image.size()));
    return bytes.toHex().toUpper().toStdString();
}

} // namespace velmora::production
