#include "progfile/programming_file.h"

#include <cerrno>
#include <streambuf>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velmora {

namespace {

Problem openProblem(const std::filesystem::path& path, const std::string& cause) {
    return {path.string(), "Impossibile aprire il file \"" + path.string() + "\": " + cause};
}

#ifndef _WIN32

// Reads an open descriptor through a small buffer and remembers a read error, which
// the stream would otherwise take for the end of the file.
class DescriptorBuffer : public std::streambuf {
public:
    explicit DescriptorBuffer(int descriptor) : descriptor_(descriptor) {}
    DescriptorBuffer(const DescriptorBuffer&) = delete;
    DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;
    ~DescriptorBuffer() override { ::close(descriptor_); }

    std::error_code readError() const { return readError_; }

protected:
    int_type underflow() override {
        ssize_t count = 0;
        do
            count = ::read(descriptor_, buffer_, sizeof buffer_);
        while (count < 0 && errno == EINTR);
        if (count <= 0) {
            if (count < 0)
                readError_ = std::error_code(errno, std::generic_category());
            return traits_type::eof();
        }
        setg(buffer_, buffer_, buffer_ + count);
        return traits_type::to_int_type(buffer_[0]);
    }

private:
    int descriptor_;
    std::error_code readError_;
    char buffer_[4096];
};

#endif

} // namespace

std::optional<std::string> notARegularFile(const std::filesystem::path& path) {
    using std::filesystem::file_type;
    static const std::pair<file_type, const char*> kKinds[] = {
        {file_type::directory, "è una cartella, non un file"},
        {file_type::fifo, "è una pipe con nome (FIFO), non un file"},
        {file_type::socket, "è un socket, non un file"},
        {file_type::character, "è un dispositivo, non un file"},
        {file_type::block, "è un dispositivo, non un file"},
    };
    std::error_code error;
    const file_type type = std::filesystem::status(path, error).type();
    if (type == file_type::regular || type == file_type::not_found || type == file_type::none)
        return std::nullopt;
    for (const auto& [kind, cause] : kKinds)
        if (type == kind)
            return cause;
    return "non è un file regolare";
}

std::string describeFileError(std::error_code error) {
    static const std::pair<std::errc, const char*> kCauses[] = {
        {std::errc::no_such_file_or_directory, "file o cartella inesistente"},
        {std::errc::not_a_directory, "cartella inesistente"},
        {std::errc::permission_denied, "permesso negato"},
        {std::errc::operation_not_permitted, "permesso negato"},
        {std::errc::no_space_on_device, "disco pieno"},
        {std::errc::read_only_file_system, "file system in sola lettura"},
        {std::errc::is_a_directory, "è una cartella, non un file"},
        {std::errc::filename_too_long, "nome troppo lungo"},
        {std::errc::too_many_symbolic_link_levels, "troppi collegamenti simbolici"},
        {std::errc::file_too_large, "file troppo grande"},
        {std::errc::too_many_files_open, "troppi file aperti"},
        {std::errc::io_error, "errore di lettura o scrittura del disco"},
        {std::errc::operation_not_supported, "non ammesso dal file system"},
    };
    for (const auto& [code, cause] : kCauses)
        if (error == code)
            return cause;
    return error.message();
}

#ifndef _WIN32

// The type is checked before opening, so that no device is opened at all, and again on
// the open descriptor, so that a path swapped in between cannot slip through. The
// open itself never waits: a named pipe without a writer would block it.
Result<Frame> loadProgrammingFile(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return openProblem(path, describeFileError({errno, std::generic_category()}));
    if (!S_ISREG(status.st_mode))
        return openProblem(path, notARegularFile(path).value_or("non è un file regolare"));
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return openProblem(path, describeFileError({errno, std::generic_category()}));
    DescriptorBuffer buffer(descriptor);
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))
        return openProblem(path, notARegularFile(path).value_or("non è un file regolare"));
    std::istream in(&buffer);
    Result<Frame> frame = readProgrammingFile(in);
    if (buffer.readError())
        return Problem{path.string(), "Errore di lettura del file \"" + path.string() +
                                          "\": " + describeFileError(buffer.readError())};
    return frame;
}

#else

Result<Frame> loadProgrammingFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return openProblem(path, error ? describeFileError(error)
                                       : notARegularFile(path).value_or("non è un file regolare"));
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open())
        return openProblem(path, "impossibile leggerlo");
    Result<Frame> frame = readProgrammingFile(in);
    // A failed read ends the stream as the end of the file would: say so instead.
    if (in.bad())
        return Problem{path.string(),
                       "Errore di lettura del file \"" + path.string() +
                           "\": " + describeFileError(std::make_error_code(std::errc::io_error))};
    return frame;
}

#endif

} // namespace velmora
