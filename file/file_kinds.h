// What kind of file a path leads to, for the file stores: settings files are regular files,
// replaced whole; anything else is written as it is or refused.
#pragma once

#include <filesystem>
#include <string>

namespace pds {

// A device, FIFO or socket: opening one may block until another program comes, and reading or
// replacing one is never what a settings file asks for.
bool is_special(std::filesystem::file_type type);

// /dev/stdout, /dev/fd/N and /proc/PID/fd/N lead through /proc/PID/fd, whose entries stand
// for descriptors a process holds open. The file behind one looks regular, but it is open
// elsewhere, often a log that a shell opened for appending.
bool is_descriptor_link(const std::filesystem::path& link);

// The file a chain of symbolic links ends at (the path itself when it is none), and whether a
// descriptor link was met on the way.
struct LinkEnd {
    std::filesystem::path path;
    bool through_descriptor = false;
};
LinkEnd follow_links(const std::string& path);

// Whether a new file may be renamed over `path`, following its symbolic links. A path that
// cannot be examined counts as replaceable, so the replacement fails with the system's words.
bool replaceable(const std::string& path);

} // namespace pds
