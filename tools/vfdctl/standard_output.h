// Standard output as vfdctl writes it: through one buffer straight onto descriptor 1, so that a
// write that fails (a full disk, a file size limit, a device that takes nothing) is known with
// its reason, up to the close at the end; stdio would only say that something failed.
#pragma once

#include <array>
#include <optional>
#include <streambuf>
#include <string>

namespace pds::cli {

class StandardOutput : public std::streambuf {
public:
    StandardOutput() { setp(buffer.data(), buffer.data() + buffer.size()); }
    StandardOutput(const StandardOutput&) = delete;
    StandardOutput& operator=(const StandardOutput&) = delete;

    // Sends what is left and closes descriptor 1; the reason of the first write or close that
    // failed, if any did.
    std::optional<std::string> close();

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool drain();

    std::array<char, 4096> buffer{};
    int failure = 0; // errno of the first write that failed
    bool closed = false;
};

} // namespace pds::cli
