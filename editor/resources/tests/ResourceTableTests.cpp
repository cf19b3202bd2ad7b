#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "editor/resources/CompiledStrings.h"
#include "platform/Files.h"
#include "platform/ResourceText.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace mrw {
namespace {

std::vector<int> Range(int from, int to) {
    std::vector<int> ids;
    for (int i = from; i <= to; ++i) ids.push_back(i);
    return ids;
}

// Every id the editor addresses.
std::vector<int> RequiredIds() {
    std::vector<int> ids = {102, 134, 138, 144, 147, 148, 157, 158, 159, 197, 198, 199, 200, 201, 204, 205,
                            209, 210, 215, 217, 218, 228, 229, 233,
                            // handheld link
                            2, 6, 10, 12, 13, 14, 135, 136, 137, 140, 141, 142, 143, 145, 146, 160, 161, 162,
                            163, 214, 235};
    for (const auto& range : {Range(103, 132), Range(149, 155), Range(164, 183), Range(185, 190), Range(219, 227)}) {
        ids.insert(ids.end(), range.begin(), range.end());
    }
    return ids;
}

const std::set<int> kOneArgument = {142, 144, 148, 154, 155, 160, 162, 179, 180, 204};
const std::vector<int> kColourLabels = {106, 107 /* registry value */, 108, 109, 110, 111, 112, 113, 114, 115,
                                        116, 117, 118, 119, 219, 220, 221, 222, 223, 224, 225, 226, 227};

size_t CountOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

TEST(ResourceTable, HoldsEveryRequiredId) {
    for (int id : RequiredIds()) {
        const char* text = LookupCompiledString(id);
        ASSERT_NE(text, nullptr) << "string " << id;
        EXPECT_NE(*text, '\0') << "string " << id;
        EXPECT_EQ(LoadResourceString(id), text) << "string " << id;
    }
    EXPECT_EQ(LookupCompiledString(0), nullptr);
    EXPECT_EQ(LookupCompiledString(99999), nullptr);
    EXPECT_EQ(LoadResourceString(65000), "");
}

TEST(ResourceTable, IsSortedAndAscii) {
    size_t count = 0;
    const CompiledString* table = CompiledStrings(count);
    ASSERT_GT(count, 0u);
    for (size_t i = 0; i < count; ++i) {
        if (i > 0) {
            EXPECT_LT(table[i - 1].id, table[i].id);
        }
        EXPECT_EQ(std::string(table[i].text).size(), table[i].length) << table[i].id;
        for (const char* p = table[i].text; *p; ++p) {
            EXPECT_TRUE(static_cast<unsigned char>(*p) < 0x80) << "string " << table[i].id;
        }
    }
}

TEST(ResourceTable, MessagesTakeExactlyTheirArguments) {
    size_t count = 0;
    const CompiledString* table = CompiledStrings(count);
    for (size_t i = 0; i < count; ++i) {
        std::string text = table[i].text;
        const size_t args = CountOf(text, "%s");
        EXPECT_EQ(args, kOneArgument.count(table[i].id) ? 1u : 0u) << "string " << table[i].id << ": " << text;
        // Apart from "%s" and "%%", no other conversion may appear.
        for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 2)) {
            ASSERT_LT(at + 1, text.size()) << "string " << table[i].id;
            EXPECT_TRUE(text[at + 1] == 's' || text[at + 1] == '%') << "string " << table[i].id;
        }
    }
}

TEST(ResourceTable, NamesTheDefaultThemeAndTheWindow) {
    EXPECT_STREQ(LookupCompiledString(120), "Default");
    // The running editor is found again by this title.
    EXPECT_STREQ(LookupCompiledString(102), "ZOLT Software - Morwen 2");
    EXPECT_EQ(FormatResourceText(LoadResourceString(180), LoadResourceString(120)).find("Default"), 0u);
    // A file filter string ends with the double bar of the file dialogs.
    const std::string filter = LookupCompiledString(210);
    EXPECT_EQ(filter.substr(filter.size() - 2), "||");
}

TEST(ResourceTable, ColourLabelsAreDistinctAndShown) {
    std::set<std::string> seen;
    for (int id : kColourLabels) {
        const std::string text = LookupCompiledString(id);
        // The element chooser hides labels containing "???".
        EXPECT_EQ(text.find("???"), std::string::npos) << id;
        EXPECT_TRUE(seen.insert(text).second) << "duplicate label " << text;
    }
}

#ifdef _WIN32
TEST(ResourceLibrary, StringTableEqualsTheCompiledTable) {
    const std::string path = files::ProgramFolder() + "MorwenRes.dll";
    ASSERT_TRUE(files::IsFile(path)) << path;
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    size_t count = 0;
    const CompiledString* table = CompiledStrings(count);
    for (size_t i = 0; i < count; ++i) {
        char buffer[4100];
        const int n = LoadStringA(module, static_cast<UINT>(table[i].id), buffer, sizeof buffer);
        EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0), table[i].text) << "string " << table[i].id;
    }
    char buffer[16];
    EXPECT_EQ(LoadStringA(module, 65000, buffer, sizeof buffer), 0);
    FreeLibrary(module);
}
#endif

}  // namespace
}  // namespace mrw
