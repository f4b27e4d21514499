// What kind of file a path leads to, for the file store: settings files are regular files,
// replaced whole; anything else is written as it is or refused.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pds {

// A file name as the programs pass it (UTF-8, or on POSIX systems any bytes) as the system's
// path: on Windows the UTF-16 name, so that no code page stands between.
std::filesystem::path file_path(std::string_view name);

// A path as the programs pass names: the inverse of file_path().
std::string file_name(const std::filesystem::path& path);

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
LinkEnd follow_links(const std::filesystem::path& path);

// Whether a new file may be renamed over `path`, following its symbolic links. A path that
// cannot be examined counts as replaceable, so the replacement fails with the system's words.
bool replaceable(const std::filesystem::path& path);

// The file itself, so that two names of it compare equal: a.vfd and ./a.vfd, a link and what
// it points to, whether or not the file exists yet. The name as given when it cannot be told.
std::string file_identity(const std::string& name);

} // namespace pds
