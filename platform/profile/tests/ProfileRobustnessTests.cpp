// Bad and oversized input: huge values, many sections, NUL bytes, binary junk.
#include "platform/profile/ProfileFile.h"

#include "testing/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace mrw {
namespace {

std::string Junk(std::size_t size, uint32_t seed) {
    std::string out(size, '\0');
    for (char& c : out) {
        seed = seed * 1664525u + 1013904223u;
        const uint32_t r = seed >> 24;
        // Plenty of the characters the parser looks at.
        static const char kSpecial[] = "[]=;\r\n \"'\t\0\x1a";
        c = (r & 1) ? kSpecial[r % (sizeof(kSpecial) - 1)] : static_cast<char>(r);
    }
    return out;
}

TEST(ProfileRobustness, MegabyteValueReadsBackInFull) {
    std::string big(1 << 20, 'x');
    for (std::size_t i = 0; i < big.size(); i += 997) big[i] = static_cast<char>('a' + i % 26);
    const ProfileFile parsed = ProfileFile::Parse("[Reg0]\r\nData=" + big + "\r\ntype=4\r\n");
    EXPECT_EQ(parsed.GetString("Reg0", "Data"), big);
    EXPECT_EQ(parsed.GetInt("Reg0", "type", 0), 4);

    test::TempFolder folder;
    ProfileFile written;
    written.WriteString("Reg0", "Data", big);
    ASSERT_TRUE(written.Save(folder / "big.thm"));
    ProfileFile loaded;
    ASSERT_TRUE(loaded.Load(folder / "big.thm"));
    EXPECT_EQ(loaded.GetString("Reg0", "Data"), big);
}

TEST(ProfileRobustness, ThousandsOfSectionsAreListedAndFound) {
    std::string text;
    for (int i = 0; i < 5000; ++i) {
        text += "[File" + std::to_string(i) + "]\r\nName=f" + std::to_string(i) + ".gif\r\ntype=" +
                std::to_string(i % 5) + "\r\n";
    }
    ProfileFile p = ProfileFile::Parse(text);
    const std::vector<std::string> names = p.SectionNames();
    ASSERT_EQ(names.size(), 5000u);
    for (int i = 0; i < 5000; i += 1) {
        ASSERT_EQ(names[i], "File" + std::to_string(i));
        ASSERT_EQ(p.GetString(names[i], "Name"), "f" + std::to_string(i) + ".gif");
        ASSERT_EQ(p.GetInt(names[i], "type", -1), i % 5);
    }
    p.WriteString("File4999", "Realname", "r");
    p.WriteString("New", "k", "v");
    EXPECT_EQ(p.GetString("file4999", "realname"), "r");
    EXPECT_EQ(p.SectionNames().back(), "New");
}

// Parses n sections, reads a key of every section and writes one into each;
// returns the seconds taken.
double TimeEverySection(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "[S" + std::to_string(i) + "]\nk=" + std::to_string(i) + "\n";
    const auto start = std::chrono::steady_clock::now();
    ProfileFile p = ProfileFile::Parse(text);
    long long sum = 0;
    for (const std::string& name : p.SectionNames()) sum += p.GetInt(name, "k", 0);
    for (int i = 0; i < n; ++i) p.WriteInt("S" + std::to_string(i), "k2", i);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(sum, static_cast<long long>(n) * (n - 1) / 2);
    EXPECT_EQ(p.GetInt("S" + std::to_string(n - 1), "k2", 0), n - 1);
    return seconds;
}

TEST(ProfileRobustness, ReadingEverySectionOfAHugeFileTakesLinearTime) {
    // Ten times the sections should take about ten times as long; a lookup
    // that walks the section list would take a hundred times as long.
    const double small = TimeEverySection(3000);
    const double large = TimeEverySection(30000);
    EXPECT_FALSE(large > 1.0 && large > 40 * small) << small << " s, then " << large << " s";
}

TEST(ProfileRobustness, NulBytesAreOrdinaryCharacters) {
    static const char kText[] = "[Th\0eme]\r\nAl\0ias=a\0b\r\n\0\0\0\r\n[Theme]\r\nAlias=c\r\n";
    const std::string text(kText, sizeof(kText) - 1);
    const ProfileFile p = ProfileFile::Parse(text);
    EXPECT_EQ(p.SectionNames(), (std::vector<std::string>{std::string("Th\0eme", 6), "Theme"}));
    EXPECT_EQ(p.GetString(std::string("TH\0EME", 6), std::string("al\0ias", 6)), std::string("a\0b", 3));
    EXPECT_EQ(p.GetString("Theme", "Alias"), "c");
    // Numbers are read up to the first NUL; nothing before it reads as empty.
    static const char kNumbers[] = "[n]\r\na=\0\x31\r\nb=12\0\x33\r\n";
    const ProfileFile numbers = ProfileFile::Parse(std::string(kNumbers, sizeof(kNumbers) - 1));
    EXPECT_EQ(numbers.GetInt("n", "a", 7), 7);
    EXPECT_EQ(numbers.GetInt("n", "b", 7), 12);
    // The line of NULs is kept as it is.
    EXPECT_EQ(p.Serialize(), text);

    const ProfileFile nuls = ProfileFile::Parse(std::string(4096, '\0'));
    EXPECT_TRUE(nuls.SectionNames().empty());
    EXPECT_EQ(nuls.Serialize(), std::string(4096, '\0') + "\r\n");
}

TEST(ProfileRobustness, DegenerateLinesNeverBreakTheParser) {
    const std::vector<std::string> inputs = {
        "", "[", "]", "[]", "=", "==", "[=]", "\r", "\n\n\n", "\xEF\xBB", "\xEF\xBB\xBF",
        std::string(100000, '['), std::string(100000, '='), std::string(100000, '\r'),
        "[" + std::string(100000, ']'), "[a]\r\n" + std::string(100000, ' ') + "k=v",
        "[a]\n\"\n'\n=\"\n='\n"};
    for (const std::string& text : inputs) {
        ProfileFile p = ProfileFile::Parse(text);
        for (const std::string& name : p.SectionNames()) {
            for (const std::string& key : p.KeyNames(name)) {
                (void)p.GetString(name, key, "d");
                (void)p.GetInt(name, key, 1);
            }
        }
        (void)p.GetString("", "", "d");
        (void)p.GetInt("a", "", 3);
        p.WriteString("a", "k", "v");
        EXPECT_EQ(p.GetString("a", "k"), "v") << text.substr(0, 20);
    }
}

TEST(ProfileRobustness, BinaryJunkParsesAndRewritesStably) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        const ProfileFile p = ProfileFile::Parse(Junk(16384, seed));
        for (const std::string& name : p.SectionNames()) {
            for (const std::string& key : p.KeyNames(name)) {
                (void)p.GetString(name, key);
                (void)p.GetInt(name, key, 0);
            }
        }
        // What is written once reads back to the same structure and text.
        const std::string once = p.Serialize();
        const ProfileFile reread = ProfileFile::Parse(once);
        EXPECT_EQ(reread.Serialize(), once) << "seed " << seed;
        EXPECT_EQ(reread.SectionNames(), p.SectionNames()) << "seed " << seed;
    }
}

TEST(ProfileRobustness, LoadOfAFolderOrJunkFileFailsQuietly) {
    test::TempFolder folder;
    ProfileFile p;
    // Opening a folder as a file either fails or reads nothing; never a crash.
    (void)p.Load(folder.path());
    EXPECT_TRUE(p.SectionNames().empty());
    const std::string junk = Junk(65536, 99);
    test::WriteBytes(folder / "junk.thm", std::vector<uint8_t>(junk.begin(), junk.end()));
    ASSERT_TRUE(p.Load(folder / "junk.thm"));
    EXPECT_EQ(p.Serialize(), ProfileFile::Parse(junk).Serialize());
}

}  // namespace
}  // namespace mrw
