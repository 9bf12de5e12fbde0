#include "StandardDescriptors.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace kodexa {

unsigned reserveStandardDescriptors() {
    unsigned closed = 0;
    for (int descriptor = 0; descriptor < 3; ++descriptor) {
        if (::fcntl(descriptor, F_GETFD) >= 0 || errno != EBADF)
            continue;
        closed |= 1U << descriptor;
        // The lower ones are open, so the new descriptor takes this number.
        const int flags = (descriptor == 0 ? O_RDONLY : O_WRONLY) | O_CLOEXEC;
        const int opened = ::open("/dev/null", flags | O_NOCTTY);
        if (opened >= 0 && opened != descriptor)
            ::close(opened); // cannot happen; a descriptor of another number must not stay open
    }
    return closed;
}

bool isPlaceholder(int descriptor) {
    if (descriptor < 0 || descriptor > 2)
        return false;
    const int flags = ::fcntl(descriptor, F_GETFD);
    return flags >= 0 && (flags & FD_CLOEXEC) != 0;
}

} // namespace kodexa
