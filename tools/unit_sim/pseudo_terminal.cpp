#include "unit_sim/pseudo_terminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdio.h>
#include <termios.h>
#include <unistd.h>

namespace velmora::sim {
namespace {

bool makeRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        return false;
    }
    cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

Problem systemError(const std::string& what) {
    return {what, what + ": " + std::strerror(errno)};
}

} // namespace

Status PseudoTerminal::open() {
    close();
    masterFd_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (masterFd_ < 0) {
        return systemError("posix_openpt");
    }
    char name[128];
    if (grantpt(masterFd_) != 0 || unlockpt(masterFd_) != 0 ||
        ptsname_r(masterFd_, name, sizeof name) != 0) {
        const Problem failed = systemError("pseudo-terminal set-up");
        close();
        return failed;
    }
    slavePath_ = name;
    slaveFd_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slaveFd_ < 0 || !makeRaw(slaveFd_) || !makeRaw(masterFd_)) {
        const Problem failed = systemError("raw mode");
        close();
        return failed;
    }
    return {};
}

void PseudoTerminal::close() {
    if (slaveFd_ >= 0) {
        ::close(slaveFd_);
        slaveFd_ = -1;
    }
    if (masterFd_ >= 0) {
        ::close(masterFd_);
        masterFd_ = -1;
    }
}

Status pointLink(const std::string& linkPath, const std::string& target) {
    const std::string fresh = linkPath + ".new";
    ::unlink(fresh.c_str());
    if (::symlink(target.c_str(), fresh.c_str()) != 0 ||
        ::rename(fresh.c_str(), linkPath.c_str()) != 0) {
        return systemError(linkPath);
    }
    return {};
}

} // namespace velmora::sim
