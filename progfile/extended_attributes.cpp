#include "progfile/extended_attributes.h"

#include "progfile/programming_file.h"

#ifdef __linux__
#include <cerrno>
#include <optional>
#include <sys/types.h>
#include <sys/xattr.h>
#endif

namespace velmora {

#ifdef __linux__
namespace {

std::string attributeName(const std::string& attribute) {
    return attribute == "system.posix_acl_access" ? "lista di controllo degli accessi (ACL)"
                                                  : "attributo esteso " + attribute;
}

std::string causeOf(int error) {
    return describeFileError({error, std::generic_category()});
}

// What a call of the list/get kind fills in: asked for its size first, then read; asked
// again should the value grow in between. None, with errno set, when the call fails.
template <typename Call> std::optional<std::string> fetched(Call call) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t size = call(nullptr, 0);
        if (size < 0)
            return std::nullopt;
        std::string buffer(static_cast<std::size_t>(size), '\0');
        const ssize_t got = call(buffer.data(), buffer.size());
        if (got >= 0) {
            buffer.resize(static_cast<std::size_t>(got));
            return buffer;
        }
        if (errno != ERANGE)
            return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

std::vector<std::string> copyExtendedAttributes(const std::filesystem::path& from, int to) {
    std::vector<std::string> lost;
    const char* source = from.c_str();
    const auto names =
        fetched([&](char* buffer, std::size_t size) { return ::listxattr(source, buffer, size); });
    if (!names) {
        if (errno != ENOENT && errno != ENOTSUP)
            lost.push_back("attributi estesi: " + causeOf(errno));
        return lost;
    }
    // The names follow one another, each ended by a zero byte.
    for (std::size_t at = 0; at < names->size();) {
        const std::string name(names->data() + at);
        at += name.size() + 1;
        const auto value = fetched([&](char* buffer, std::size_t size) {
            return ::getxattr(source, name.c_str(), buffer, size);
        });
        if (!value) {
            if (errno != ENODATA) // removed meanwhile: nothing left to keep
                lost.push_back(attributeName(name) + ": " + causeOf(errno));
            continue;
        }
        // One the new file already holds alike (a security label the system gave it)
        // needs no copy, and no right to make one.
        const auto present = fetched([&](char* buffer, std::size_t size) {
            return ::fgetxattr(to, name.c_str(), buffer, size);
        });
        if (present == value)
            continue;
        if (::fsetxattr(to, name.c_str(), value->data(), value->size(), 0) != 0)
            lost.push_back(attributeName(name) + ": " + causeOf(errno));
    }
    return lost;
}

#else

std::vector<std::string> copyExtendedAttributes(const std::filesystem::path&, int) {
    return {};
}

#endif

} // namespace velmora
