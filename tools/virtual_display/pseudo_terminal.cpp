#include "pseudo_terminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace pds::display {

PseudoTerminal::~PseudoTerminal() {
    drop();
}

bool PseudoTerminal::create(std::string& reason) {
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

void PseudoTerminal::hold_host_output(bool held) {
    if (slave_fd >= 0)
        ::tcflow(slave_fd, held ? TCOOFF : TCOON);
}

} // namespace pds::display
