#include "pseudo_terminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace pds::display {

namespace {

constexpr std::pair<speed_t, int> speeds[] = {
    {B300, 300},     {B600, 600},       {B1200, 1200},     {B2400, 2400},
    {B4800, 4800},   {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
    {B57600, 57600}, {B115200, 115200}, {B230400, 230400},
};

} // namespace

PseudoTerminal::~PseudoTerminal() {
    drop();
}

bool PseudoTerminal::create(std::string& reason, int speed) {
    drop();
    const auto fail = [&](const char* step) {
        reason = std::string(step) + ": " + std::strerror(errno);
        drop();
        return false;
    };
    // Non-blocking: a host that never reads must not stop the display, whose bytes then go
    // where a real line's go when nobody listens.
    master_fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_fd < 0)
        return fail("posix_openpt");
    if (::grantpt(master_fd) != 0)
        return fail("grantpt");
    if (::unlockpt(master_fd) != 0)
        return fail("unlockpt");
    const char* name = ::ptsname(master_fd);
    if (!name)
        return fail("ptsname");
    slave_path = name;
    slave_fd = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_fd < 0)
        return fail("open");

    // A serial line passes bytes untouched: no echo, no line editing, no CR/LF translation.
    termios raw{};
    if (::tcgetattr(slave_fd, &raw) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&raw);
    raw.c_cflag |= CLOCAL | CREAD;
    // At rest the line runs at the display's speed: a host that closes the port gives its
    // settings back, possibly before the display has read the last bytes it sent.
    for (const auto& [code, bits] : speeds)
        if (bits == speed)
            ::cfsetspeed(&raw, code);
    if (::tcsetattr(slave_fd, TCSANOW, &raw) != 0)
        return fail("tcsetattr");
    return true;
}

void PseudoTerminal::drop() {
    if (slave_fd >= 0)
        ::close(slave_fd);
    if (master_fd >= 0)
        ::close(master_fd);
    slave_fd = master_fd = -1;
}

std::optional<int> PseudoTerminal::host_speed() const {
    termios settings{};
    if (master_fd < 0 || ::tcgetattr(master_fd, &settings) != 0)
        return std::nullopt;
    const speed_t speed = ::cfgetospeed(&settings);
    for (const auto& [code, bits] : speeds)
        if (code == speed)
            return bits;
    return 0; // a speed outside the table: no display's
}

void PseudoTerminal::hold_host_output(bool held) {
    if (slave_fd >= 0)
        ::tcflow(slave_fd, held ? TCOOFF : TCOON);
}

} // namespace pds::display
