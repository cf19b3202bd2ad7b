// Byte layout of the handheld setup file ("MSCE", the ".000" member of an
// installer cabinet): the 100-byte header and its records. All numbers are
// little-endian and nothing is aligned; records and texts follow each other
// byte by byte. Offsets are from the start of their record.
#pragma once
#include <cstddef>
#include <cstdint>

namespace mrw::setupfile {

// ---- header -----------------------------------------------------------------

constexpr char kSignature[4] = {'M', 'S', 'C', 'E'};
constexpr size_t kHeaderSize = 100;

namespace header {
constexpr size_t kSignature = 0;          // 4 bytes "MSCE"
constexpr size_t kReserved = 4;           // u32, 0
constexpr size_t kLength = 8;             // u32: length of the whole file; bounds every read
constexpr size_t kUnknown12 = 12;         // u32, 0 in every file seen
constexpr size_t kUnknown16 = 16;         // u32, 1 in every file seen
constexpr size_t kProcessor = 20;         // u32 target processor, 0 = any
constexpr size_t kVersionMinMajor = 24;   // u32
constexpr size_t kVersionMinMinor = 28;   // u32
constexpr size_t kVersionMaxMajor = 32;   // u32
constexpr size_t kVersionMaxMinor = 36;   // u32
constexpr size_t kBuildMin = 40;          // u32
constexpr size_t kBuildMax = 44;          // u32
constexpr size_t kFirstCount = 48;        // u16 record counts, one per Section
constexpr size_t kFirstOffset = 60;       // u32 record offsets, one per Section
constexpr size_t kAppNameOffset = 84;     // u16
constexpr size_t kAppNameLength = 86;     // u16, NUL included
constexpr size_t kProviderOffset = 88;    // u16
constexpr size_t kProviderLength = 90;    // u16, NUL included
constexpr size_t kUnsupportedOffset = 92; // u16: list of NUL-terminated names
constexpr size_t kUnsupportedLength = 94; // u16: bytes, the closing extra NUL included; 0 for none
constexpr size_t kUnknown96 = 96;         // u16, 0
constexpr size_t kUnknown98 = 98;         // u16, 0
}  // namespace header

// The record sections in the order their counts and offsets appear in the
// header (and the order in which the writer lays them out).
enum Section : size_t { kStrings, kDirectories, kFiles, kKeys, kValues, kShortcuts, kSectionCount };

// Header field holding a section's u16 record count / u32 offset.
constexpr size_t CountField(Section s) { return header::kFirstCount + 2 * size_t(s); }
constexpr size_t OffsetField(Section s) { return header::kFirstOffset + 4 * size_t(s); }

// The fields holding the name, provider and unsupported list are 16 bits wide,
// so those texts must end within the first 64 KiB.
constexpr size_t kMaxNameAreaEnd = 0xFFFF;
// The record counts are 16-bit fields, the length a 32-bit one.
constexpr size_t kMaxRecords = 0xFFFF;
constexpr uint64_t kMaxLength = 0xFFFFFFFFull;

// ---- records ----------------------------------------------------------------

// String: id, size of the text with its NUL, the text.
namespace string {
constexpr size_t kId = 0;    // u16
constexpr size_t kSize = 2;  // u16
constexpr size_t kText = 4;
constexpr size_t kFixedSize = 4;
}  // namespace string

// Directory: id, size of the id list in bytes, string ids of the path
// components ending with 0.
namespace directory {
constexpr size_t kId = 0;        // u16
constexpr size_t kListSize = 2;  // u16
constexpr size_t kList = 4;      // u16 ids
constexpr size_t kFixedSize = 4;
}  // namespace directory

// File: which cabinet member goes where under which name.
namespace file {
constexpr size_t kId = 0;           // u16: numeric extension of the cabinet member
constexpr size_t kDirectory = 2;    // u16 directory id
constexpr size_t kSourceIndex = 4;  // u16: 1-based position of the source in the INF's file list
constexpr size_t kFlags = 6;        // u32 copy flags
constexpr size_t kNameSize = 10;    // u16, NUL included
constexpr size_t kName = 12;
constexpr size_t kFixedSize = 12;
}  // namespace file

// Registry key: id, root, an unused u16, size of the id list in bytes, string
// ids of the path components ending with 0.
namespace key {
constexpr size_t kId = 0;        // u16
constexpr size_t kRoot = 2;      // u16
constexpr size_t kUnused = 4;    // u16, 0
constexpr size_t kListSize = 6;  // u16
constexpr size_t kList = 8;      // u16 ids
constexpr size_t kFixedSize = 8;
}  // namespace key

// Registry value: id, key id, folder-macro flag, type flags, size of name
// (with its NUL) plus data, then the name and the data.
namespace value {
constexpr size_t kId = 0;          // u16
constexpr size_t kKeyId = 2;       // u16
constexpr size_t kSubstitute = 4;  // u16: 1 when the data holds a folder macro to expand
constexpr size_t kFlags = 6;       // u32 type flags
constexpr size_t kSize = 10;       // u16
constexpr size_t kName = 12;       // name, NUL, data
constexpr size_t kFixedSize = 12;
}  // namespace value

// Shortcut: id, folder, standard folder, target, type, size of the name id
// list in bytes, string ids of the name (without a closing 0).
namespace shortcut {
constexpr size_t kId = 0;              // u16
constexpr size_t kDirectory = 2;       // u16 directory id, else 0
constexpr size_t kStandardFolder = 4;  // u16 n of %CEn%, else 0
constexpr size_t kTarget = 6;          // u16 file id (type 1) or directory id (type 0)
constexpr size_t kType = 8;            // u16
constexpr size_t kListSize = 10;       // u16
constexpr size_t kList = 12;           // u16 ids
constexpr size_t kFixedSize = 12;
}  // namespace shortcut

// ---- values -------------------------------------------------------------------

// The fixed header values every known writer puts at offsets 16 and 4/12.
constexpr uint32_t kUnknown16Value = 1;

// Shortcut type of a link to a file.
constexpr uint16_t kShortcutToFile = 1;

// File flag the cabinet builder adds for the files named in CESelfRegister.
constexpr uint32_t kFileFlagSelfRegister = 0x10000000u;

// Member ids: the cabinet member "*.NNN" holds file id NNN. 000 is the setup
// file itself and 999 the optional setup library, which has no file record;
// payload files take 001 to 998.
constexpr int kSetupFileMemberId = 0;
constexpr int kMaxPayloadFileId = 998;
constexpr int kSetupLibraryMemberId = 999;
// The extension has three digits.
constexpr int kMaxMemberId = 999;
// Name ending of the setup file's member.
constexpr char kSetupFileSuffix[] = ".000";

}  // namespace mrw::setupfile
