// Events as eventfd descriptors: readable while the counter is not zero, so
// poll() waits on them together with any other readable descriptor.
#include "platform/Events.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <vector>

namespace mrw::events {

namespace {

int Descriptor(WaitHandle handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle)); }
WaitHandle FromDescriptor(int fd) { return reinterpret_cast<WaitHandle>(static_cast<intptr_t>(fd)); }

}  // namespace

ManualResetEvent::ManualResetEvent() : handle_(FromDescriptor(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))) {}

ManualResetEvent::~ManualResetEvent() {
    if (IsValid()) ::close(Descriptor(handle_));
}

bool ManualResetEvent::IsValid() const { return Descriptor(handle_) >= 0; }

bool ManualResetEvent::Set() {
    if (!IsValid()) return false;
    uint64_t one = 1;
    // A full counter (never reached) fails with EAGAIN but is set all the same.
    ssize_t written = ::write(Descriptor(handle_), &one, sizeof one);
    return written == static_cast<ssize_t>(sizeof one) || errno == EAGAIN;
}

bool ManualResetEvent::Reset() {
    if (!IsValid()) return false;
    uint64_t count = 0;
    // Reading takes the whole counter; EAGAIN means it was not set.
    ssize_t got = ::read(Descriptor(handle_), &count, sizeof count);
    return got == static_cast<ssize_t>(sizeof count) || errno == EAGAIN;
}

int WaitAny(const WaitHandle* handles, size_t count, uint32_t timeoutMs) {
    if (!handles || count == 0) return kWaitFailed;
    std::vector<pollfd> fds(count);
    for (size_t i = 0; i < count; ++i) {
        fds[i].fd = Descriptor(handles[i]);
        if (fds[i].fd < 0) return kWaitFailed;
        fds[i].events = POLLIN;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int wait = -1;
        if (timeoutMs != kInfinite) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            wait = left > 0 ? static_cast<int>(left) : 0;
        }
        int ready = ::poll(fds.data(), fds.size(), wait);
        if (ready < 0) {
            if (errno == EINTR) continue;  // a signal is no outcome of the wait
            return kWaitFailed;
        }
        if (ready == 0) return kWaitTimeout;
        for (size_t i = 0; i < count; ++i) {
            if (fds[i].revents & POLLNVAL) return kWaitFailed;
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) return static_cast<int>(i);
        }
    }
}

}  // namespace mrw::events
