#include "handheld/rapi/RapiOs.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#endif

#include "base/TextEncoding.h"

namespace mrw::rapi::os {

#if defined(_WIN32)

HANDLE CreateManualEvent() { return ::CreateEventW(nullptr, TRUE, FALSE, nullptr); }
void SetEvent(HANDLE event) { ::SetEvent(event); }
void WaitEvent(HANDLE event) { ::WaitForSingleObject(event, INFINITE); }
void CloseEvent(HANDLE event) { ::CloseHandle(event); }

std::string LibraryFolder() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&LibraryFolder), &module);
    wchar_t path[32768];
    const DWORD n = ::GetModuleFileNameW(module, path, 32768);
    std::u16string text(reinterpret_cast<const char16_t*>(path), n);
    const size_t slash = text.find_last_of(u"\\/");
    return text::Utf16ToUtf8(slash == std::u16string::npos ? std::u16string() : text.substr(0, slash + 1));
}

#else

HANDLE CreateManualEvent() {
    const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    // 0 would read as "no event" to callers that test the handle.
    if (fd <= 0) return nullptr;
    return EventHandle(fd);
}

void SetEvent(HANDLE event) {
    // The counter is never read, so the descriptor stays readable: a manual-reset event.
    const uint64_t one = 1;
    ssize_t r = ::write(EventDescriptor(event), &one, sizeof one);
    (void)r;
}

void WaitEvent(HANDLE event) {
    pollfd p{EventDescriptor(event), POLLIN, 0};
    while (::poll(&p, 1, -1) < 0) {
    }
}

void CloseEvent(HANDLE event) { ::close(EventDescriptor(event)); }

std::string LibraryFolder() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&LibraryFolder), &info) == 0 || info.dli_fname == nullptr) return "";
    const std::string path = info.dli_fname;
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

#endif

std::string QuoteArgument(const std::string& argument) {
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            out.append(backslashes * 2 + 1, '\\');
        } else {
            out.append(backslashes, '\\');
        }
        backslashes = 0;
        out.push_back(c);
    }
    out.append(backslashes * 2, '\\');
    out.push_back('"');
    return out;
}

}  // namespace mrw::rapi::os
