#include "platform/Events.h"

#include <windows.h>

namespace mrw::events {

ManualResetEvent::ManualResetEvent() : handle_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

ManualResetEvent::~ManualResetEvent() {
    if (handle_) CloseHandle(handle_);
}

bool ManualResetEvent::IsValid() const { return handle_ != nullptr; }
bool ManualResetEvent::Set() { return handle_ && SetEvent(handle_); }
bool ManualResetEvent::Reset() { return handle_ && ResetEvent(handle_); }

int WaitAny(const WaitHandle* handles, size_t count, uint32_t timeoutMs) {
    if (!handles || count == 0 || count > MAXIMUM_WAIT_OBJECTS) return kWaitFailed;
    // Wake mask 0: only the handles end the wait, never a queued message.
    DWORD outcome = MsgWaitForMultipleObjects(static_cast<DWORD>(count), const_cast<HANDLE*>(handles), FALSE,
                                              timeoutMs == kInfinite ? INFINITE : timeoutMs, 0);
    if (outcome < WAIT_OBJECT_0 + count) return static_cast<int>(outcome - WAIT_OBJECT_0);
    if (outcome == WAIT_TIMEOUT) return kWaitTimeout;
    return kWaitFailed;
}

}  // namespace mrw::events
