// The handheld's calls, as the programs of the virtual handheld make them:
// the platform's names, UTF-16 signatures, constants and error values, in
// namespace mrw::ce. They run over the device booted by ce::Boot (Boot.h);
// every process and every library loaded into it sees that one device.
//
// The calls behave as on the handheld unless a comment says otherwise.
// Paths are handheld paths ("\Windows\x.dll"); no path leaves the device.
#pragma once
#include "handheld/ce/CeTypes.h"

#if defined(_WIN32)
#if defined(MRW_CE_BUILDING)
#define MRW_CE_API __declspec(dllexport)
#else
#define MRW_CE_API __declspec(dllimport)
#endif
#else
#define MRW_CE_API __attribute__((visibility("default")))
#endif

namespace mrw::ce {

// ---- Errors ----
MRW_CE_API DWORD GetLastError();
MRW_CE_API void SetLastError(DWORD error);

// ---- Processes, waiting, time ----
// Needs the program file on the device (".exe" assumed without an extension).
// A program the device knows (Boot.h) runs as a new process; any other file
// is an outside program that is logged and ends at once with 0. imageName
// must not be null; commandLine holds only the arguments.
MRW_CE_API BOOL CreateProcessW(LPCWSTR imageName, LPCWSTR commandLine, void* processAttributes,
                               void* threadAttributes, BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                               LPCWSTR currentDirectory, void* startupInfo, PROCESS_INFORMATION* processInformation);
MRW_CE_API DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
MRW_CE_API BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
MRW_CE_API BOOL CloseHandle(HANDLE handle);  // files, processes, threads, events
MRW_CE_API void ExitProcess(UINT exitCode);  // ends the calling process's thread
MRW_CE_API DWORD GetCurrentProcessId();
// Returns once every other process of the device waits (for a message, an
// object or its own Sleep), so pauses cost no real time.
MRW_CE_API void Sleep(DWORD milliseconds);
MRW_CE_API DWORD GetTickCount();
MRW_CE_API HANDLE CreateEventW(void* attributes, BOOL manualReset, BOOL initialState, LPCWSTR name);
MRW_CE_API BOOL SetEvent(HANDLE event);
MRW_CE_API BOOL ResetEvent(HANDLE event);

// ---- Libraries ----
// Loads the device's file (a library built for this machine). While loaded,
// the file cannot be written, moved or deleted (ERROR_SHARING_VIOLATION).
MRW_CE_API HMODULE LoadLibraryW(LPCWSTR fileName);
MRW_CE_API BOOL FreeLibrary(HMODULE module);
// procName: a name, or an ordinal made with MAKEINTRESOURCEW.
MRW_CE_API FARPROC GetProcAddressW(HMODULE module, LPCWSTR procName);
// The device path of a module; null = the calling process's program file.
MRW_CE_API DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
MRW_CE_API HMODULE GetModuleHandleW(LPCWSTR moduleName);

// ---- Files ----
MRW_CE_API HANDLE CreateFileW(LPCWSTR fileName, DWORD access, DWORD shareMode, void* securityAttributes,
                              DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
MRW_CE_API BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, void* overlapped);
MRW_CE_API BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, void* overlapped);
MRW_CE_API DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
MRW_CE_API DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod);
MRW_CE_API BOOL SetEndOfFile(HANDLE file);
MRW_CE_API BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite);
MRW_CE_API BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                            const FILETIME* lastWrite);
MRW_CE_API DWORD GetFileAttributesW(LPCWSTR fileName);
MRW_CE_API BOOL SetFileAttributesW(LPCWSTR fileName, DWORD attributes);
MRW_CE_API BOOL DeleteFileW(LPCWSTR fileName);
MRW_CE_API BOOL MoveFileW(LPCWSTR existingName, LPCWSTR newName);
MRW_CE_API BOOL CopyFileW(LPCWSTR existingName, LPCWSTR newName, BOOL failIfExists);
MRW_CE_API BOOL CreateDirectoryW(LPCWSTR pathName, void* securityAttributes);
MRW_CE_API BOOL RemoveDirectoryW(LPCWSTR pathName);
MRW_CE_API HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* findData);
MRW_CE_API BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData);
MRW_CE_API BOOL FindClose(HANDLE find);

// ---- Registry (results are error codes) ----
MRW_CE_API LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
MRW_CE_API LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options,
                                REGSAM access, void* securityAttributes, PHKEY result, LPDWORD disposition);
MRW_CE_API LONG RegCloseKey(HKEY key);
MRW_CE_API LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                 LPDWORD dataSize);
MRW_CE_API LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                               DWORD dataSize);
MRW_CE_API LONG RegDeleteValueW(HKEY key, LPCWSTR valueName);
MRW_CE_API LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey);  // with its subkeys
MRW_CE_API LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD reserved,
                              LPWSTR className, LPDWORD classSize, FILETIME* lastWrite);
MRW_CE_API LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD valueNameSize, LPDWORD reserved,
                              LPDWORD type, LPBYTE data, LPDWORD dataSize);

// ---- Window classes and windows ----
MRW_CE_API ATOM RegisterClassW(const WNDCLASSW* windowClass);
MRW_CE_API BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);
MRW_CE_API BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR className, WNDCLASSW* windowClass);
MRW_CE_API HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                                int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
inline HWND CreateWindowW(LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width, int height,
                          HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    return CreateWindowExW(0, className, windowName, style, x, y, width, height, parent, menu, instance, param);
}
MRW_CE_API BOOL DestroyWindow(HWND window);
MRW_CE_API LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
MRW_CE_API BOOL IsWindow(HWND window);
MRW_CE_API HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);  // top-level windows
MRW_CE_API HWND GetWindow(HWND window, UINT relation);
MRW_CE_API HWND GetParent(HWND window);
MRW_CE_API BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam);  // top-level windows, front to back
MRW_CE_API int GetClassNameW(HWND window, LPWSTR className, int size);
MRW_CE_API int GetWindowTextW(HWND window, LPWSTR text, int size);
MRW_CE_API int GetWindowTextLengthW(HWND window);
MRW_CE_API BOOL SetWindowTextW(HWND window, LPCWSTR text);
MRW_CE_API BOOL GetClientRect(HWND window, RECT* rect);
MRW_CE_API BOOL GetWindowRect(HWND window, RECT* rect);  // in screen coordinates
MRW_CE_API BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
MRW_CE_API BOOL ShowWindow(HWND window, int command);
MRW_CE_API BOOL IsWindowVisible(HWND window);
MRW_CE_API HWND GetForegroundWindow();
MRW_CE_API BOOL SetForegroundWindow(HWND window);
MRW_CE_API LONG GetWindowLongW(HWND window, int index);
MRW_CE_API LONG SetWindowLongW(HWND window, int index, LONG value);
MRW_CE_API DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId);
MRW_CE_API BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
MRW_CE_API BOOL UpdateWindow(HWND window);  // sends WM_PAINT (after WM_ERASEBKGND) when invalid

// ---- Messages ----
// To a window of another process the message runs on that process's thread;
// the waiting sender still serves messages sent to its own windows. No time-out.
MRW_CE_API LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
MRW_CE_API BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
MRW_CE_API void PostQuitMessage(int exitCode);
MRW_CE_API BOOL GetMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax);
constexpr UINT PM_NOREMOVE = 0;
constexpr UINT PM_REMOVE = 1;
MRW_CE_API BOOL PeekMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage);
MRW_CE_API BOOL TranslateMessage(const MSG* message);
MRW_CE_API LRESULT DispatchMessageW(const MSG* message);

// ---- Dialogs (templates from the module's resources) ----
MRW_CE_API int DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC dialogProc,
                               LPARAM initParam);
MRW_CE_API HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC dialogProc,
                                   LPARAM initParam);
MRW_CE_API BOOL EndDialog(HWND dialog, int result);
MRW_CE_API HWND GetDlgItem(HWND dialog, int id);
MRW_CE_API int GetDlgCtrlID(HWND window);
MRW_CE_API BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text);
MRW_CE_API UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int size);
MRW_CE_API BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
MRW_CE_API UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
MRW_CE_API BOOL CheckDlgButton(HWND dialog, int id, UINT check);
MRW_CE_API UINT IsDlgButtonChecked(HWND dialog, int id);
MRW_CE_API LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
MRW_CE_API BOOL SHInitDialog(SHINITDLGINFO* info);

// ---- Resources ----
MRW_CE_API int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int size);
MRW_CE_API HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
MRW_CE_API void* LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int width, int height, UINT flags);
MRW_CE_API BOOL DestroyIcon(HICON icon);

// ---- Painting (into the device's recorded screen; see Inspect.h) ----
MRW_CE_API HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
MRW_CE_API BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
MRW_CE_API HDC GetDC(HWND window);
MRW_CE_API int ReleaseDC(HWND window, HDC dc);
MRW_CE_API HGDIOBJ GetStockObject(int object);
MRW_CE_API HBRUSH GetSysColorBrush(int index);
MRW_CE_API DWORD GetSysColor(int index);
MRW_CE_API HBRUSH CreateSolidBrush(COLORREF colour);
MRW_CE_API BOOL DeleteObject(HGDIOBJ object);
MRW_CE_API int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
MRW_CE_API COLORREF SetTextColor(HDC dc, COLORREF colour);
MRW_CE_API COLORREF SetBkColor(HDC dc, COLORREF colour);
MRW_CE_API int SetBkMode(HDC dc, int mode);
MRW_CE_API int DrawTextW(HDC dc, LPCWSTR text, int length, RECT* rect, UINT format);
MRW_CE_API BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT length,
                            const int* dx);
MRW_CE_API BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int width, int height, UINT step, HBRUSH brush,
                           UINT flags);
inline BOOL DrawIcon(HDC dc, int x, int y, HICON icon) { return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL); }

// ---- HTML view and automation strings ----
// Registers the "DISPLAYCLASS" window class of the device's HTML view.
MRW_CE_API BOOL InitHTMLControl(HINSTANCE instance);
MRW_CE_API BSTR SysAllocString(LPCWSTR text);
MRW_CE_API void SysFreeString(BSTR text);

// ---- System ----
// The device's OS version from its settings (3.0 or 4.20); the size field
// must be set. False (ERROR_INVALID_PARAMETER) otherwise.
MRW_CE_API BOOL GetVersionExW(OSVERSIONINFOW* info);

}  // namespace mrw::ce

// Library entry and ordinal exports of a handheld library, the same source in
// both builds. MRW_CE_LIBRARY_ENTRY(F) makes F(HINSTANCE, DWORD reason) the
// library's attach/detach function. MRW_CE_ORDINAL_EXPORT(240, F) exports F by
// ordinal only: a ".def" file does it in the windows build (NONAME), a symbol
// the layer looks up does it natively. Named exports (the setup functions) are
// plain extern "C" functions marked MRW_CE_NAMED_EXPORT.
#if defined(_WIN32)
#define MRW_CE_LIBRARY_ENTRY(function)                                                                   \
    extern "C" int __stdcall DllMain(void* instance, unsigned long reason, void*) {                      \
        return function(reinterpret_cast<::mrw::ce::HINSTANCE>(instance), static_cast<::mrw::ce::DWORD>(reason)); \
    }
#define MRW_CE_ORDINAL_EXPORT(ordinal, function)
#define MRW_CE_NAMED_EXPORT
#else
#define MRW_CE_LIBRARY_ENTRY(function)                                                                   \
    extern "C" __attribute__((visibility("default"))) int mrw_ce_library_entry(::mrw::ce::HINSTANCE instance, \
                                                                               ::mrw::ce::DWORD reason) { \
        return function(instance, reason);                                                               \
    }
#define MRW_CE_ORDINAL_EXPORT(ordinal, function) \
    extern "C" __attribute__((visibility("default"))) void* const mrw_ce_ordinal_##ordinal = reinterpret_cast<void*>(&function);
#define MRW_CE_NAMED_EXPORT __attribute__((visibility("default")))
#endif
