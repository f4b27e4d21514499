#include "standard_output.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace pds::cli {

namespace {

constexpr int descriptor = 1;

long write_some(const char* bytes, std::size_t size) {
#ifdef _WIN32
    return ::_write(descriptor, bytes, static_cast<unsigned>(size));
#else
    return static_cast<long>(::write(descriptor, bytes, size));
#endif
}

int close_descriptor() {
#ifdef _WIN32
    return ::_close(descriptor);
#else
    return ::close(descriptor);
#endif
}

} // namespace

bool StandardOutput::drain() {
    const char* next = pbase();
    while (failure == 0 && next < pptr()) {
        const long written = write_some(next, static_cast<std::size_t>(pptr() - next));
        if (written > 0)
            next += written;
        else if (written < 0 && errno == EINTR)
            continue;
        else
            failure = written < 0 ? errno : ENOSPC; // nothing taken and no reason given
    }
    // What cannot go out is dropped, so the rest of the program runs on to say so.
    setp(buffer.data(), buffer.data() + buffer.size());
    return failure == 0;
}

StandardOutput::int_type StandardOutput::overflow(int_type c) {
    if (!drain())
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int StandardOutput::sync() {
    return drain() ? 0 : -1;
}

std::optional<std::string> StandardOutput::close() {
    if (closed)
        return std::nullopt;
    closed = true;
    drain();
    if (close_descriptor() != 0 && failure == 0 && errno != EBADF)
        failure = errno;
    if (failure == 0)
        return std::nullopt;
    return std::strerror(failure);
}

} // namespace pds::cli
