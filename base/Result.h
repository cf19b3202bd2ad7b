// How a module returns codes. Each module that reports more than success or
// failure declares its own closed enumeration, marks it [[nodiscard]] so that
// an ignored result is a compiler warning, and gives it a Name() for test
// messages and logs:
//
//     enum class [[nodiscard]] CopyResult { kOk, kCancelled, kSourceMissing };
//     const char* Name(CopyResult r);
//
// Codes that files, peers or callers rely on keep their numbers;
// MRW_DEFINE_RESULT_NAMES below writes the Name() for a dense enumeration
// starting at 0.
#pragma once
#include <cstddef>
#include <ostream>
#include <type_traits>

namespace mrw {

// The name at the enumerator's position in `names`, "?" outside it.
template <class Enum, size_t N>
const char* ResultName(Enum value, const char* const (&names)[N]) {
    const auto i = static_cast<std::make_unsigned_t<std::underlying_type_t<Enum>>>(value);
    return i < N ? names[i] : "?";
}

}  // namespace mrw

// Defines `const char* Name(Enum)` and the stream operator GoogleTest prints
// with, from the enumerators' names in order.
#define MRW_DEFINE_RESULT_NAMES(Enum, ...)                                      \
    inline const char* Name(Enum value) {                                       \
        static const char* const kNames[] = {__VA_ARGS__};                      \
        return ::mrw::ResultName(value, kNames);                                \
    }                                                                           \
    inline std::ostream& operator<<(std::ostream& out, Enum value) {            \
        return out << Name(value) << " (" << static_cast<int>(value) << ")";    \
    }
