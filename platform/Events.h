// Manual-reset events and a wait on several of them with a time-out.
//
// A WaitHandle is an event handle on Windows and, natively, a file descriptor
// (stored in the pointer) that is readable while the event is set, so that a
// descriptor handed out by a loaded library can be waited on beside our own
// events.
#pragma once
#include <cstddef>
#include <cstdint>

namespace mrw::events {

using WaitHandle = void*;

// Set stays set until Reset; every waiter sees it.
class ManualResetEvent {
public:
    ManualResetEvent();  // not set; IsValid() is false when the system refused one
    ~ManualResetEvent();
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    bool IsValid() const;
    bool Set();
    bool Reset();
    WaitHandle Handle() const { return handle_; }

private:
    WaitHandle handle_;
};

constexpr uint32_t kInfinite = 0xFFFFFFFFu;
constexpr int kWaitTimeout = -1;
constexpr int kWaitFailed = -2;

// Waits until any of the handles is set, at most timeoutMs (kInfinite: no
// limit). Returns the index of the first set handle, kWaitTimeout, or
// kWaitFailed (no handles, an invalid handle). On Windows this is
// MsgWaitForMultipleObjects with wake mask 0, so a thread with a message
// queue waits the same way.
int WaitAny(const WaitHandle* handles, size_t count, uint32_t timeoutMs);

}  // namespace mrw::events
