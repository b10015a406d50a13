#include "progfile/programming_file.h"

#include <fstream>
#include <system_error>

namespace velmora {

namespace {

Problem fileProblem(const std::filesystem::path& path, const std::string& what) {
    return {path.string(), what + " il file \"" + path.string() + "\""};
}

} // namespace

Result<Frame> loadProgrammingFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open())
        return fileProblem(path, "Impossibile aprire");
    return readProgrammingFile(in);
}

Result<bool> saveProgrammingFile(const std::filesystem::path& path, const Frame& frame) {
    if (!path.has_filename())
        return fileProblem(path, "Nome mancante per");
    // Written beside the target and renamed over it, so the target is either the old
    // file or the whole new one, never a truncated mix.
    const std::filesystem::path temporary =
        path.parent_path() / ("." + path.filename().string() + ".tmp");
    std::error_code ignored;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out.is_open())
            return fileProblem(path, "Impossibile creare");
        out << formatProgrammingFile(frame);
        out.flush();
        out.close();
        if (!out) {
            std::filesystem::remove(temporary, ignored);
            return fileProblem(path, "Impossibile scrivere");
        }
    }
    std::error_code renameError;
    std::filesystem::rename(temporary, path, renameError);
    if (renameError) {
        std::filesystem::remove(temporary, ignored);
        return fileProblem(path, "Impossibile sostituire");
    }
    return true;
}

} // namespace velmora
