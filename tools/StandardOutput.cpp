#include "StandardOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include <unistd.h>

namespace kodexa::cpvquery {

StandardOutput::StandardOutput(bool closed) : previous_(std::cout.rdbuf(this)), closed_(closed) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

StandardOutput::~StandardOutput() {
    drain();
    std::cout.rdbuf(previous_);
}

bool StandardOutput::writeOut(const char* data, std::size_t size) {
    if (error_ != 0)
        return false;
    if (closed_ && size > 0) {
        error_ = EBADF;
        return false;
    }
    while (size > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error_ = errno;
            return false;
        }
        wrote_ = true;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool StandardOutput::drain() {
    const bool written = writeOut(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return written;
}

StandardOutput::int_type StandardOutput::overflow(int_type c) {
    if (!drain())
        return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

std::streamsize StandardOutput::xsputn(const char* data, std::streamsize size) {
    const auto room = static_cast<std::streamsize>(epptr() - pptr());
    if (size <= room) {
        std::memcpy(pptr(), data, static_cast<std::size_t>(size));
        pbump(static_cast<int>(size));
        return size;
    }
    // A whole view goes out in one piece, past the buffer.
    if (!drain() || !writeOut(data, static_cast<std::size_t>(size)))
        return 0;
    return size;
}

int StandardOutput::sync() {
    return drain() ? 0 : -1;
}

bool StandardOutput::finish() {
    std::cout.flush();
    drain();
    // Nothing here writes through stdio's stdout, but should anything (a library) have, its
    // failure counts as well.
    errno = 0;
    if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && error_ == 0)
        error_ = errno != 0 ? errno : EIO;
    // Some file systems report a failed write only when the file is closed. A descriptor that was
    // closed from the start is no failure as long as nothing was to be written to it.
    if (::close(STDOUT_FILENO) != 0 && error_ == 0 && errno != EINTR && (wrote_ || errno != EBADF))
        error_ = errno;
    if (error_ == 0)
        return true;
    std::cerr << "cpvquery: cannot write standard output: " << std::strerror(error_) << '\n';
    return false;
}

} // namespace kodexa::cpvquery
