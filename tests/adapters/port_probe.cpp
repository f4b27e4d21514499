// Opens a port through QtSerialPort as another program would, for the tests of a port that is
// held or refused. Prints "opened" or "failed KIND REASON"; with --hold keeps the port open
// until SIGTERM. With --as-user NAME (as root) it first becomes that user.
#include "adapters/qt/qt_serial_port.h"
#include "link/link_settings.h"
#include "link/serial_line.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace {

const char* kind_name(pds::PortFailure::Kind kind) {
    switch (kind) {
    case pds::PortFailure::Kind::BadSettings:
        return "BadSettings";
    case pds::PortFailure::Kind::NoSuchPort:
        return "NoSuchPort";
    case pds::PortFailure::Kind::NotAPort:
        return "NotAPort";
    case pds::PortFailure::Kind::Permission:
        return "Permission";
    case pds::PortFailure::Kind::InUse:
        return "InUse";
    case pds::PortFailure::Kind::Other:
        return "Other";
    }
    return "?";
}

bool become(const char* user) {
    const passwd* entry = ::getpwnam(user);
    return entry && ::setgroups(0, nullptr) == 0 && ::setgid(entry->pw_gid) == 0 &&
           ::setuid(entry->pw_uid) == 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string device;
    bool hold = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hold") == 0)
            hold = true;
        else if (std::strcmp(argv[i], "--as-user") == 0 && i + 1 < argc) {
            if (!become(argv[++i])) {
                std::printf("cannot become %s: %s\n", argv[i], std::strerror(errno));
                return 2;
            }
        } else
            device = argv[i];
    }

    // Blocked before anything else, so that a SIGTERM waits for sigwait below.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    ::sigprocmask(SIG_BLOCK, &stop, nullptr);

    QCoreApplication application(argc, argv);
    pds::QtSerialPort port;
    if (const auto failure = pds::open_port(port, {0, device}, pds::plain_line(9600))) {
        std::printf("failed %s %s\n", kind_name(failure->kind), failure->reason.c_str());
        return 1;
    }
    std::printf("opened\n");
    std::fflush(stdout);
    if (hold) {
        int signal = 0;
        ::sigwait(&stop, &signal);
    }
    port.close();
    return 0;
}
