// The desktop link's remote-access interface, shared by our RAPI library and
// the code that loads it: fixed-width types, 16-bit WCHAR, the structures,
// the FAF_* flags, the handheld's attribute bits under their handheld names
// and the error values. Everything lives in namespace mrw::rapi so that it
// never clashes with <windows.h>; the functions are extern "C" (plain export
// names) and __stdcall on Windows.
//
// The event of RAPIINIT: on Windows an event handle; natively a file
// descriptor (EventDescriptor) that turns readable once the attempt ends.
#pragma once
#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define MRW_RAPI_CALL __stdcall
#else
#define MRW_RAPI_CALL
#endif

#if defined(MRW_RAPI_BUILDING)
#if defined(_WIN32)
#define MRW_RAPI_API __declspec(dllexport)
#else
#define MRW_RAPI_API __attribute__((visibility("default")))
#endif
#else
#define MRW_RAPI_API
#endif

namespace mrw::rapi {

using BYTE = std::uint8_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = std::int32_t;
using HRESULT = std::int32_t;
using REGSAM = DWORD;
#if defined(_WIN32)
using WCHAR = wchar_t;  // the same type as the desktop's wide strings
#else
using WCHAR = char16_t;
#endif
static_assert(sizeof(WCHAR) == 2, "handheld text is UTF-16");
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPDWORD = DWORD*;
using LPBYTE = BYTE*;
using HANDLE = void*;
struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;

constexpr BOOL kTrue = 1;
constexpr BOOL kFalse = 0;
inline HANDLE InvalidHandle() { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)); }

#if !defined(_WIN32)
// The descriptor behind a native RAPIINIT event, and the other way round.
inline int EventDescriptor(HANDLE event) { return static_cast<int>(reinterpret_cast<std::intptr_t>(event)); }
inline HANDLE EventHandle(int descriptor) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(descriptor)); }
#endif

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct RAPIINIT {
    DWORD cbSize;        // sizeof(RAPIINIT), set by the caller
    HANDLE heRapiInit;   // out: set when the attempt ends
    HRESULT hrRapiInit;  // out: the attempt's result, valid once the event is set
};

constexpr std::size_t kMaxPath = 260;

struct CE_FIND_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwOID;
    WCHAR cFileName[kMaxPath];
};

struct CEOSVERSIONINFO {
    DWORD dwOSVersionInfoSize;  // sizeof(CEOSVERSIONINFO), set by the caller
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
};

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};

// The layouts the handheld link was made for: 32-bit sizes in the i686 build,
// and no padding inside the records in any build.
static_assert(offsetof(CE_FIND_DATA, cFileName) == 10 * sizeof(DWORD), "CE_FIND_DATA layout");
static_assert(sizeof(CE_FIND_DATA) == 10 * sizeof(DWORD) + kMaxPath * sizeof(WCHAR), "CE_FIND_DATA size");
static_assert(sizeof(CEOSVERSIONINFO) == 5 * sizeof(DWORD) + 128 * sizeof(WCHAR), "CEOSVERSIONINFO size");
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(RAPIINIT) == 12, "RAPIINIT is 12 bytes in 32-bit builds");
static_assert(sizeof(CE_FIND_DATA) == 560, "CE_FIND_DATA is 560 bytes");
static_assert(sizeof(CEOSVERSIONINFO) == 276, "CEOSVERSIONINFO is 276 bytes");
static_assert(sizeof(PROCESS_INFORMATION) == 16, "PROCESS_INFORMATION is 16 bytes in 32-bit builds");
#endif

// HRESULTs.
constexpr HRESULT kSOk = 0;
constexpr HRESULT kEFail = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT kEInvalidArg = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT kAlreadyInitialized = static_cast<HRESULT>(0x80041001u);  // CERAPI_E_ALREADYINITIALIZED
constexpr HRESULT kNotConnected = static_cast<HRESULT>(0x8007048Fu);  // a call made outside a connection

// Device error values (CeGetLastError, registry results).
constexpr DWORD kErrorSuccess = 0;
constexpr DWORD kErrorFileNotFound = 2;
constexpr DWORD kErrorPathNotFound = 3;
constexpr DWORD kErrorAccessDenied = 5;
constexpr DWORD kErrorInvalidHandle = 6;
constexpr DWORD kErrorNotReady = 21;
constexpr DWORD kErrorNoMoreFiles = 18;
constexpr DWORD kErrorFileExists = 80;
constexpr DWORD kErrorInvalidParameter = 87;
constexpr DWORD kErrorDiskFull = 112;
constexpr DWORD kErrorAlreadyExists = 183;
constexpr DWORD kErrorMoreData = 234;
constexpr DWORD kErrorDeviceNotConnected = 1167;  // a call made outside a connection

// CeFindAllFiles flags: what to fill in, and which entries to leave out.
constexpr DWORD FAF_ATTRIBUTES = 0x00001;
constexpr DWORD FAF_CREATION_TIME = 0x00002;
constexpr DWORD FAF_LASTACCESS_TIME = 0x00004;
constexpr DWORD FAF_LASTWRITE_TIME = 0x00008;
constexpr DWORD FAF_SIZE_HIGH = 0x00010;
constexpr DWORD FAF_SIZE_LOW = 0x00020;
constexpr DWORD FAF_OID = 0x00040;
constexpr DWORD FAF_NAME = 0x00080;
constexpr DWORD FAF_FLAG_COUNT = 8;
constexpr DWORD FAF_ATTRIB_CHILDREN = 0x01000;
constexpr DWORD FAF_ATTRIB_NO_HIDDEN = 0x02000;
constexpr DWORD FAF_FOLDERS_ONLY = 0x04000;
constexpr DWORD FAF_NO_HIDDEN_SYS_ROMMODULES = 0x08000;
constexpr DWORD FAF_GETTARGET = 0x10000;

// File attributes as the handheld reports them. INROM and ROMMODULE share
// their values with unrelated desktop bits: read them only with these names.
constexpr DWORD CE_FILE_ATTRIBUTE_READONLY = 0x0001;
constexpr DWORD CE_FILE_ATTRIBUTE_HIDDEN = 0x0002;
constexpr DWORD CE_FILE_ATTRIBUTE_SYSTEM = 0x0004;
constexpr DWORD CE_FILE_ATTRIBUTE_DIRECTORY = 0x0010;
constexpr DWORD CE_FILE_ATTRIBUTE_ARCHIVE = 0x0020;
constexpr DWORD CE_FILE_ATTRIBUTE_INROM = 0x0040;
constexpr DWORD CE_FILE_ATTRIBUTE_NORMAL = 0x0080;
constexpr DWORD CE_FILE_ATTRIBUTE_TEMPORARY = 0x0100;
constexpr DWORD CE_FILE_ATTRIBUTE_COMPRESSED = 0x0800;
constexpr DWORD CE_FILE_ATTRIBUTE_ROMSTATICREF = 0x1000;
constexpr DWORD CE_FILE_ATTRIBUTE_ROMMODULE = 0x2000;
constexpr DWORD CE_FILE_ATTRIBUTE_HAS_CHILDREN = 0x10000;
constexpr DWORD CE_FILE_ATTRIBUTE_SHORTCUT = 0x20000;
constexpr DWORD kInvalidAttributes = 0xFFFFFFFFu;
constexpr DWORD kInvalidFileSize = 0xFFFFFFFFu;

// Access, sharing and dispositions of CeCreateFile.
constexpr DWORD kGenericRead = 0x80000000u;
constexpr DWORD kGenericWrite = 0x40000000u;
constexpr DWORD kFileShareRead = 1;
constexpr DWORD kFileShareWrite = 2;
constexpr DWORD kCreateNew = 1;
constexpr DWORD kCreateAlways = 2;
constexpr DWORD kOpenExisting = 3;
constexpr DWORD kOpenAlways = 4;
constexpr DWORD kTruncateExisting = 5;

// Registry roots (raw values, as on the desktop), types and dispositions.
inline HKEY RootKey(DWORD value) { return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(value)); }
constexpr DWORD kHkeyClassesRoot = 0x80000000u;
constexpr DWORD kHkeyCurrentUser = 0x80000001u;
constexpr DWORD kHkeyLocalMachine = 0x80000002u;
constexpr DWORD kHkeyUsers = 0x80000003u;
constexpr DWORD kRegNone = 0;
constexpr DWORD kRegSz = 1;
constexpr DWORD kRegExpandSz = 2;
constexpr DWORD kRegBinary = 3;
constexpr DWORD kRegDword = 4;
constexpr DWORD kRegMultiSz = 7;
constexpr DWORD kRegCreatedNewKey = 1;
constexpr DWORD kRegOpenedExistingKey = 2;

constexpr DWORD kVerPlatformWin32Ce = 3;

}  // namespace mrw::rapi

// The entry points, under their plain names.
#define MRW_RAPI_FUNCTIONS(X)                                                                                      \
    X(CeRapiInit, mrw::rapi::HRESULT, ())                                                                         \
    X(CeRapiInitEx, mrw::rapi::HRESULT, (mrw::rapi::RAPIINIT * init))                                             \
    X(CeRapiUninit, mrw::rapi::HRESULT, ())                                                                       \
    X(CeGetLastError, mrw::rapi::DWORD, ())                                                                       \
    X(CeCreateDirectory, mrw::rapi::BOOL, (mrw::rapi::LPCWSTR path, void* security))                              \
    X(CeCloseHandle, mrw::rapi::BOOL, (mrw::rapi::HANDLE handle))                                                 \
    X(CeWriteFile, mrw::rapi::BOOL,                                                                               \
      (mrw::rapi::HANDLE file, mrw::rapi::LPCVOID buffer, mrw::rapi::DWORD size, mrw::rapi::LPDWORD written,      \
       void* overlapped))                                                                                         \
    X(CeCreateFile, mrw::rapi::HANDLE,                                                                            \
      (mrw::rapi::LPCWSTR name, mrw::rapi::DWORD access, mrw::rapi::DWORD share, void* security,                  \
       mrw::rapi::DWORD disposition, mrw::rapi::DWORD flagsAndAttributes, mrw::rapi::HANDLE templateFile))        \
    X(CeFindFirstFile, mrw::rapi::HANDLE, (mrw::rapi::LPCWSTR pattern, mrw::rapi::CE_FIND_DATA * data))           \
    X(CeFindNextFile, mrw::rapi::BOOL, (mrw::rapi::HANDLE find, mrw::rapi::CE_FIND_DATA * data))                  \
    X(CeFindClose, mrw::rapi::BOOL, (mrw::rapi::HANDLE find))                                                     \
    X(CeCreateProcess, mrw::rapi::BOOL,                                                                           \
      (mrw::rapi::LPCWSTR image, mrw::rapi::LPCWSTR commandLine, void* processSecurity, void* threadSecurity,     \
       mrw::rapi::BOOL inherit, mrw::rapi::DWORD flags, mrw::rapi::LPVOID environment, mrw::rapi::LPWSTR folder,  \
       void* startup, mrw::rapi::PROCESS_INFORMATION * info))                                                     \
    X(CeGetFileSize, mrw::rapi::DWORD, (mrw::rapi::HANDLE file, mrw::rapi::LPDWORD sizeHigh))                     \
    X(CeReadFile, mrw::rapi::BOOL,                                                                                \
      (mrw::rapi::HANDLE file, mrw::rapi::LPVOID buffer, mrw::rapi::DWORD size, mrw::rapi::LPDWORD read,          \
       void* overlapped))                                                                                         \
    X(CeDeleteFile, mrw::rapi::BOOL, (mrw::rapi::LPCWSTR name))                                                   \
    X(CeSetFileAttributes, mrw::rapi::BOOL, (mrw::rapi::LPCWSTR name, mrw::rapi::DWORD attributes))               \
    X(CeGetFileAttributes, mrw::rapi::DWORD, (mrw::rapi::LPCWSTR name))                                           \
    X(CeCopyFile, mrw::rapi::BOOL,                                                                                \
      (mrw::rapi::LPCWSTR existing, mrw::rapi::LPCWSTR newName, mrw::rapi::BOOL failIfExists))                    \
    X(CeGetFileTime, mrw::rapi::BOOL,                                                                             \
      (mrw::rapi::HANDLE file, mrw::rapi::FILETIME * creation, mrw::rapi::FILETIME * lastAccess,                  \
       mrw::rapi::FILETIME * lastWrite))                                                                          \
    X(CeSetFileTime, mrw::rapi::BOOL,                                                                             \
      (mrw::rapi::HANDLE file, mrw::rapi::FILETIME * creation, mrw::rapi::FILETIME * lastAccess,                  \
       mrw::rapi::FILETIME * lastWrite))                                                                          \
    X(CeFindAllFiles, mrw::rapi::BOOL,                                                                            \
      (mrw::rapi::LPCWSTR pattern, mrw::rapi::DWORD flags, mrw::rapi::LPDWORD count,                             \
       mrw::rapi::CE_FIND_DATA * *found))                                                                         \
    X(CeRapiFreeBuffer, mrw::rapi::HRESULT, (mrw::rapi::LPVOID buffer))                                           \
    X(CeGetVersionEx, mrw::rapi::BOOL, (mrw::rapi::CEOSVERSIONINFO * info))                                       \
    X(CeRapiGetError, mrw::rapi::HRESULT, ())                                                                     \
    X(CeMoveFile, mrw::rapi::BOOL, (mrw::rapi::LPCWSTR existing, mrw::rapi::LPCWSTR newName))                     \
    X(CeRegOpenKeyEx, mrw::rapi::LONG,                                                                            \
      (mrw::rapi::HKEY root, mrw::rapi::LPCWSTR subKey, mrw::rapi::DWORD options, mrw::rapi::REGSAM sam,          \
       mrw::rapi::PHKEY result))                                                                                  \
    X(CeRegCreateKeyEx, mrw::rapi::LONG,                                                                          \
      (mrw::rapi::HKEY root, mrw::rapi::LPCWSTR subKey, mrw::rapi::DWORD reserved, mrw::rapi::LPWSTR keyClass,    \
       mrw::rapi::DWORD options, mrw::rapi::REGSAM sam, void* security, mrw::rapi::PHKEY result,                  \
       mrw::rapi::LPDWORD disposition))                                                                           \
    X(CeRegSetValueEx, mrw::rapi::LONG,                                                                           \
      (mrw::rapi::HKEY key, mrw::rapi::LPCWSTR name, mrw::rapi::DWORD reserved, mrw::rapi::DWORD type,            \
       const mrw::rapi::BYTE* data, mrw::rapi::DWORD size))                                                       \
    X(CeRegQueryValueEx, mrw::rapi::LONG,                                                                         \
      (mrw::rapi::HKEY key, mrw::rapi::LPCWSTR name, mrw::rapi::LPDWORD reserved, mrw::rapi::LPDWORD type,        \
       mrw::rapi::LPBYTE data, mrw::rapi::LPDWORD size))                                                          \
    X(CeRegDeleteValue, mrw::rapi::LONG, (mrw::rapi::HKEY key, mrw::rapi::LPCWSTR name))                          \
    X(CeRegCloseKey, mrw::rapi::LONG, (mrw::rapi::HKEY key))

// Declarations of the entry points, and a pointer type for each (RapiFn_NAME)
// for the code that binds them by name.
#define MRW_RAPI_DECLARE(name, result, params) \
    extern "C" MRW_RAPI_API result MRW_RAPI_CALL name params; \
    using RapiFn_##name = result(MRW_RAPI_CALL*) params;
MRW_RAPI_FUNCTIONS(MRW_RAPI_DECLARE)
#undef MRW_RAPI_DECLARE

namespace mrw::rapi {
// The number of entry points (the link's 25 followed by the six registry calls).
#define MRW_RAPI_COUNT(name, result, params) +1
constexpr int kEntryPointCount = 0 MRW_RAPI_FUNCTIONS(MRW_RAPI_COUNT);
#undef MRW_RAPI_COUNT
static_assert(kEntryPointCount == 31, "25 link entry points and 6 registry calls");
}  // namespace mrw::rapi
