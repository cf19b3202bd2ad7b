// Byte layout of a single cabinet file ("MSCF"): the fixed header, the folder
// records, the file records and the data-block headers, as every reader,
// writer and test builder of cabinets here sees them. All numbers are
// little-endian; offsets are from the start of their record.
//
// Only the plain form is described: no reserved areas (flag 0x0004 would put
// extra fields after the header, each folder record and each block header)
// and no links to a previous or next cabinet of a set.
#pragma once
#include <cstddef>
#include <cstdint>

namespace mrw::cabinet {

// ---- header (CFHEADER) ------------------------------------------------------

constexpr char kSignature[4] = {'M', 'S', 'C', 'F'};
constexpr size_t kHeaderSize = 36;

namespace header {
constexpr size_t kSignature = 0;     // 4 bytes "MSCF"
constexpr size_t kReserved1 = 4;     // u32, 0
constexpr size_t kCabinetSize = 8;   // u32 cbCabinet: size of the whole cabinet
constexpr size_t kReserved2 = 12;    // u32, 0
constexpr size_t kFilesOffset = 16;  // u32 coffFiles: first file record
constexpr size_t kReserved3 = 20;    // u32, 0
constexpr size_t kVersion = 24;      // u16: minor byte, then major byte
constexpr size_t kFolderCount = 26;  // u16 cFolders
constexpr size_t kFileCount = 28;    // u16 cFiles
constexpr size_t kFlags = 30;        // u16
constexpr size_t kSetId = 32;        // u16
constexpr size_t kCabinetIndex = 34; // u16 iCabinet: position in its set
}  // namespace header

// Version 1.3, the only one the format has ever had.
constexpr uint16_t kVersion = 0x0103;

// Header flags.
constexpr uint16_t kFlagPreviousCabinet = 0x0001;
constexpr uint16_t kFlagNextCabinet = 0x0002;
constexpr uint16_t kFlagReserve = 0x0004;  // reserved areas present

// The folder records follow the header directly when no flag is set.
constexpr size_t kFolderTableOffset = kHeaderSize;

// ---- folder record (CFFOLDER) -------------------------------------------------

constexpr size_t kFolderSize = 8;

namespace folder {
constexpr size_t kDataOffset = 0;   // u32 coffCabStart: first data block of the folder
constexpr size_t kBlockCount = 4;   // u16 cCFData
constexpr size_t kCompression = 6;  // u16 typeCompress
}  // namespace folder

// The low four bits of typeCompress name the method; 0 is stored data.
constexpr uint16_t kCompressionMask = 0x000F;
constexpr uint16_t kCompressionNone = 0;
constexpr uint16_t kCompressionMszip = 1;

// ---- file record (CFFILE) -----------------------------------------------------

// The fixed part; the NUL-terminated name follows it.
constexpr size_t kFileFixedSize = 16;

namespace file {
constexpr size_t kSize = 0;          // u32 cbFile
constexpr size_t kFolderOffset = 4;  // u32 uoffFolderStart: offset in the folder's data
constexpr size_t kFolderIndex = 8;   // u16 iFolder
constexpr size_t kDate = 10;         // u16 MS-DOS date
constexpr size_t kTime = 12;         // u16 MS-DOS time
constexpr size_t kAttributes = 14;   // u16
constexpr size_t kName = 16;         // name bytes, then NUL
}  // namespace file

// File attribute "archive", what a freshly written file carries on Windows.
constexpr uint16_t kAttributeArchive = 0x20;

// Longest name the writers store, without its NUL: the format allows 256
// bytes including the NUL.
constexpr size_t kMaxWrittenNameLength = 255;
// Longest name the reader accepts, NUL included: the desktop's path limit
// (MAX_PATH, 260), generous for cabinets of other writers.
constexpr size_t kMaxReadNameBytes = 260;

// ---- data block (CFDATA) ------------------------------------------------------

// The block header; the block's bytes follow it.
constexpr size_t kDataHeaderSize = 8;

namespace data {
constexpr size_t kChecksum = 0;          // u32, 0 when not computed
constexpr size_t kStoredSize = 4;        // u16 cbData: bytes in this block
constexpr size_t kUncompressedSize = 6;  // u16 cbUncomp: equal to cbData for stored data
}  // namespace data

// Most bytes one block holds uncompressed: 32 KiB, the format's block size.
constexpr size_t kMaxBlockData = 32768;

// ---- limits of the counted fields ----------------------------------------------

// cFolders, cFiles and cCFData are 16-bit fields.
constexpr size_t kMaxFolders = 0xFFFF;
constexpr size_t kMaxFiles = 0xFFFF;
constexpr size_t kMaxBlocksPerFolder = 0xFFFF;
// cbCabinet, cbFile and uoffFolderStart are 32-bit fields.
constexpr uint64_t kMaxCabinetSize = 0xFFFFFFFFull;

}  // namespace mrw::cabinet
