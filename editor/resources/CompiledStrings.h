// The editor's resource texts compiled into the program, generated from
// strings.tsv (the same table that makes the string table of MorwenRes.dll).
#pragma once
#include <cstddef>

namespace mrw {

struct CompiledString {
    int id;
    const char* text;  // Windows-1252, NUL-terminated
    size_t length;
};

// The text of string `id`, or nullptr when the table has none.
const char* LookupCompiledString(int id);

// The whole table, in ascending id order.
const CompiledString* CompiledStrings(size_t& count);

}  // namespace mrw
