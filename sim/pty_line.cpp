#include "sim/pty_line.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace dxsim {

namespace {

struct SpeedEntry {
    speed_t code;
    uint32_t baud;
};

constexpr SpeedEntry kSpeeds[] = {
    {B50, 50},       {B75, 75},         {B110, 110},       {B134, 134},       {B150, 150},
    {B200, 200},     {B300, 300},       {B600, 600},       {B1200, 1200},     {B1800, 1800},
    {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
    {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
};

std::string Errno(const char* what) {
    return std::string(what) + ": " + strerror(errno);
}

}  // namespace

uint32_t BaudOfSpeed(unsigned speedCode) {
    for (const SpeedEntry& e : kSpeeds) {
        if (e.code == speedCode) {
            return e.baud;
        }
    }
    return 0;
}

unsigned SpeedOfBaud(uint32_t baud) {
    for (const SpeedEntry& e : kSpeeds) {
        if (e.baud == baud) {
            return e.code;
        }
    }
    return 0;
}

PtyLine::~PtyLine() {
    Close();
}

bool PtyLine::Open(std::string* error) {
    Close();
    const int fd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *error = Errno("posix_openpt");
        return false;
    }
    char name[128];
    if (grantpt(fd) != 0 || unlockpt(fd) != 0 || ptsname_r(fd, name, sizeof(name)) != 0) {
        *error = Errno("grantpt/unlockpt/ptsname");
        close(fd);
        return false;
    }
    // The master's line settings are the slave's on Linux: raw, 8 bits, no flow control, so
    // every byte value passes both ways unchanged.
    termios t{};
    if (tcgetattr(fd, &t) == 0) {
        cfmakeraw(&t);
        t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
        t.c_cflag |= CLOCAL | CREAD;
        t.c_cc[VMIN] = 1;
        t.c_cc[VTIME] = 0;
        tcsetattr(fd, TCSANOW, &t);
        initialSpeed_ = cfgetospeed(&t);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    master_ = fd;
    slavePath_ = name;
    return true;
}

void PtyLine::Close() {
    if (master_ >= 0) {
        close(master_);
        master_ = -1;
    }
}

uint32_t PtyLine::HostBaud() const {
    termios t{};
    if (master_ < 0 || tcgetattr(master_, &t) != 0) {
        return 0;
    }
    const speed_t speed = cfgetospeed(&t);
    if (speed == initialSpeed_) {
        return 0;
    }
    return BaudOfSpeed(speed);
}

void PtyLine::DiscardHostInput() const {
    if (master_ < 0) {
        return;
    }
    const int slave = open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave >= 0) {
        tcflush(slave, TCIFLUSH);
        close(slave);
    }
}

bool PlaceLink(const std::string& linkPath, const std::string& target, std::string* error) {
    struct stat st {};
    if (lstat(linkPath.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        *error = linkPath + " exists and is not a symbolic link; not replaced";
        return false;
    }
    // Made beside the final name and renamed over it, so the path never points nowhere.
    const std::string temp = linkPath + ".dxsim-" + std::to_string(getpid());
    unlink(temp.c_str());
    if (symlink(target.c_str(), temp.c_str()) != 0) {
        *error = Errno(("symlink " + temp).c_str());
        return false;
    }
    if (rename(temp.c_str(), linkPath.c_str()) != 0) {
        *error = Errno(("rename to " + linkPath).c_str());
        unlink(temp.c_str());
        return false;
    }
    return true;
}

void RemoveLink(const std::string& linkPath, const std::string& target) {
    char buf[512];
    const ssize_t n = readlink(linkPath.c_str(), buf, sizeof(buf) - 1);
    if (n < 0) {
        return;
    }
    buf[n] = '\0';
    if (target == buf) {
        unlink(linkPath.c_str());
    }
}

}  // namespace dxsim
