#include "progfile/programming_file_saving.h"

#include "progfile/extended_attributes.h"
#include "progfile/programming_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <string>
#include <system_error>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velmora {
namespace {

// QSaveFile reports a system failure with the system's text for its error number;
// finding that text again gives back the number, and with it the Italian cause.
std::string systemCause(const QString& reported) {
    static const std::errc kKnown[] = {
        std::errc::no_space_on_device,
        std::errc::permission_denied,
        std::errc::operation_not_permitted,
        std::errc::read_only_file_system,
        std::errc::no_such_file_or_directory,
        std::errc::not_a_directory,
        std::errc::is_a_directory,
        std::errc::filename_too_long,
        std::errc::file_too_large,
        std::errc::too_many_files_open,
        std::errc::io_error,
    };
    for (const std::errc code : kKnown)
        if (reported == qt_error_string(static_cast<int>(code)))
            return describeFileError(std::make_error_code(code));
    return reported.toStdString();
}

// Why a save failed, checked on the file system where a look tells more than the
// system's text: a missing folder, a read-only file.
std::string failureCause(const QString& name, const QSaveFile& file) {
    const QFileInfo target(QFileInfo(name).isSymLink() ? QFileInfo(name).symLinkTarget() : name);
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir())
        return "cartella inesistente";
    if (target.exists() && !target.isWritable())
        return "permesso negato (il file è in sola lettura)";
    return systemCause(file.errorString());
}

// A group-shared file stays shared: the new file takes the old file's group where the
// user belongs to that group; otherwise the system refuses and the user's group stays.
void keepGroup(const QSaveFile& file, const std::filesystem::path& path) {
#ifdef Q_OS_UNIX
    struct stat existing {};
    if (::stat(path.c_str(), &existing) != 0)
        return;
    [[maybe_unused]] const int refused = ::fchown(file.handle(), -1, existing.st_gid);
#else
    (void)file;
    (void)path;
#endif
}

// Whether the open file is the one under `path` (written in place) rather than a new
// file beside it.
bool writtenInPlace(const QSaveFile& file, const std::filesystem::path& path) {
#ifdef Q_OS_UNIX
    struct stat opened {};
    struct stat named {};
    return ::fstat(file.handle(), &opened) == 0 && ::stat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
#else
    (void)file;
    (void)path;
    return false;
#endif
}

} // namespace

Result<SavedFile> saveProgrammingFile(const std::filesystem::path& path, const Frame& frame) {
    const QString name = QFile::decodeName(path.c_str());
    const auto refused = [&](const std::string& cause) {
        return Problem{path.string(),
                       "Impossibile salvare il file \"" + path.string() + "\": " + cause};
    };
    if (!path.has_filename())
        return Problem{path.string(), "Nome mancante per il file \"" + path.string() + "\""};
    // A device, a pipe or a folder under the name is never written: the text would go
    // out through the device, or a new file would be renamed over its node.
    if (const auto kind = notARegularFile(path))
        return refused(*kind);
    QSaveFile file(name);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return refused(failureCause(name, file));
    keepGroup(file, path);
    const std::string text = formatProgrammingFile(frame);
    const auto size = static_cast<qint64>(text.size());
    // Flushed by hand before the commit: the commit itself does not notice that the
    // buffered text failed to reach the disk (a full disk), and would rename an empty
    // file over the old one.
    if (file.write(text.data(), size) != size || !file.flush())
        return refused(failureCause(name, file));
    SavedFile saved;
    // Copied after the text: writing a file drops some attributes (file capabilities).
    if (!writtenInPlace(file, path))
        saved.notKept = copyExtendedAttributes(path, file.handle());
    // Looked at once more right before the rename, which would replace whatever is
    // there; the new file is discarded with `file`.
    if (const auto kind = notARegularFile(path))
        return refused(*kind);
    if (!file.commit())
        return refused(failureCause(name, file));
    return saved;
}

std::string describeNotKept(const SavedFile& saved) {
    std::string text = "Il file è salvato, ma non conserva:";
    for (const std::string& lost : saved.notKept)
        text += "\n- " + lost;
    return text;
}

} // namespace velmora
