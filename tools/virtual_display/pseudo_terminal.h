// A pseudo-terminal whose slave side stands for the display's serial port.
#pragma once

#include <optional>
#include <string>

namespace pds::display {

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Creates a fresh pair in raw mode at `speed` bit/s. On failure returns false with the
    // system's reason.
    bool create(std::string& reason, int speed);
    // Closes both sides: a host that has the device open sees a hang-up.
    void drop();

    // Stops or restarts the host's output as flow control would: the host's bytes stay queued
    // on its side until the line is let go again.
    void hold_host_output(bool held);

    // The speed in bit/s the host has set its end of the line to, read from this end: what a
    // real line's receiver would be clocked at. Nothing when the system will not tell.
    std::optional<int> host_speed() const;

    int master() const { return master_fd; }
    const std::string& device() const { return slave_path; }

private:
    int master_fd = -1;
    int slave_fd = -1; // held so that a host's close never hangs the line up
    std::string slave_path;
};

} // namespace pds::display
