// Writing rules: placement of keys and sections, what survives a rewrite, files.
#include "platform/profile/ProfileFile.h"

#include "testing/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mrw {
namespace {

using Names = std::vector<std::string>;

TEST(ProfileWrite, BuildsAFileAsTheWindowsFunctionsWriteIt) {
    ProfileFile p;
    p.WriteString("App1", "key1", "string1");
    p.WriteString("App1", "key2", "string2");
    p.WriteString("App1", "key3", "string3");
    p.WriteString("App2", "key4", "string4");
    p.WriteString("App3", "key5", "string5");
    EXPECT_EQ(p.Serialize(),
              "[App1]\r\nkey1=string1\r\nkey2=string2\r\nkey3=string3\r\n"
              "[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n");
    p.DeleteKey("app1", "KEY2");
    p.DeleteSection("App2");
    EXPECT_EQ(p.Serialize(), "[App1]\r\nkey1=string1\r\nkey3=string3\r\n[App3]\r\nkey5=string5\r\n");
    p.DeleteKey("App3", "key5");
    p.DeleteKey("App1", "absent");
    p.DeleteSection("absent");
    EXPECT_EQ(p.Serialize(), "[App1]\r\nkey1=string1\r\nkey3=string3\r\n[App3]\r\n");
}

TEST(ProfileWrite, ExistingKeyIsReplacedInPlace) {
    ProfileFile p = ProfileFile::Parse("[Theme]\nAlias = Old\nNote=n\n[Other]\nAlias=x\n");
    p.WriteString("THEME", "alias", "New");
    p.WriteInt("Other", "count", -7);
    // The key keeps its spelling in the file; the line is rewritten as key=value.
    EXPECT_EQ(p.Serialize(), "[Theme]\r\nAlias=New\r\nNote=n\r\n[Other]\r\nAlias=x\r\ncount=-7\r\n");
    EXPECT_EQ(p.GetInt("other", "COUNT", 0), -7);
}

TEST(ProfileWrite, NewKeyGoesAfterTheLastKeyOfItsSection) {
    ProfileFile p = ProfileFile::Parse("[a]\r\nk1=1\r\n; note\r\n\r\n\r\n[b]\r\nk=2\r\n");
    p.WriteString("a", "k2", "x");
    EXPECT_EQ(p.Serialize(), "[a]\r\nk1=1\r\n; note\r\nk2=x\r\n\r\n\r\n[b]\r\nk=2\r\n");
    ProfileFile empty = ProfileFile::Parse("[a]\r\n\r\n[b]\r\n");
    empty.WriteString("a", "k", "v");
    EXPECT_EQ(empty.Serialize(), "[a]\r\nk=v\r\n\r\n[b]\r\n");
}

TEST(ProfileWrite, WritesGoToTheFirstSectionOfAName) {
    ProfileFile p = ProfileFile::Parse("[s]\r\na=1\r\n[S]\r\nb=2\r\n");
    p.WriteString("s", "b", "3");
    EXPECT_EQ(p.Serialize(), "[s]\r\na=1\r\nb=3\r\n[S]\r\nb=2\r\n");
    // Deleting the first section uncovers the second.
    p.DeleteSection("S");
    EXPECT_EQ(p.GetString("s", "b"), "2");
    EXPECT_EQ(p.SectionNames(), Names{"S"});
}

TEST(ProfileWrite, KeyWithoutEqualsGainsItsValueInPlace) {
    ProfileFile p = ProfileFile::Parse("[s]\r\nflag\r\nafter=1\r\n");
    p.WriteString("s", "FLAG", "on");
    EXPECT_EQ(p.Serialize(), "[s]\r\nflag=on\r\nafter=1\r\n");
}

TEST(ProfileWrite, NamesAreTrimmedAndLeadingBlanksLeaveTheValue) {
    ProfileFile p;
    p.WriteString("  Theme ", " Note\t", "   text  ");
    EXPECT_EQ(p.Serialize(), "[Theme]\r\nNote=text  \r\n");
    EXPECT_EQ(p.GetString("Theme", "Note"), "text");
}

TEST(ProfileWrite, LinesThatWereNotWrittenSurviveARewrite) {
    const std::string original =
        "; made by hand\n"
        "stray = before any section\n"
        "\n"
        "  [Theme]   ; header comment\n"
        "Alias =  Blue  \n"
        "flag\n"
        "#hash=1\n"
        "\n"
        "[File0]\n"
        "Name=\"quoted.gif\"\n";
    ProfileFile p = ProfileFile::Parse(original);
    p.WriteString("Theme", "TskType", "1");
    EXPECT_EQ(p.Serialize(),
              "; made by hand\r\n"
              "stray = before any section\r\n"
              "\r\n"
              "  [Theme]   ; header comment\r\n"
              "Alias =  Blue  \r\n"
              "flag\r\n"
              "#hash=1\r\n"
              "TskType=1\r\n"
              "\r\n"
              "[File0]\r\n"
              "Name=\"quoted.gif\"\r\n");
}

TEST(ProfileWrite, ByteOrderMarkIsWrittenBack) {
    ProfileFile p = ProfileFile::Parse("\xEF\xBB\xBF[a]\nk=1\n");
    p.WriteString("a", "k", "2");
    EXPECT_EQ(p.Serialize(), "\xEF\xBB\xBF[a]\r\nk=2\r\n");
}

TEST(ProfileWrite, ValuesReadBackAsWritten) {
    std::string data;  // a registry value of 600 bytes in the project file's encoding
    for (int i = 0; i < 600; ++i) {
        static const char kHex[] = "0123456789abcdef";
        if (i) data += ',';
        data += kHex[(i * 7) % 16];
        data += kHex[i % 16];
    }
    ASSERT_GT(data.size(), 1000u);
    const std::vector<std::string> values = {data, "", "a<crlf>b", "x=y=z", "semi;colon", "[not a section]",
                                             "in \"the\" middle", std::string("nul\0byte", 8)};
    ProfileFile p;
    for (std::size_t i = 0; i < values.size(); ++i) p.WriteString("Reg0", "v" + std::to_string(i), values[i]);
    const ProfileFile reread = ProfileFile::Parse(p.Serialize());
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(p.GetString("Reg0", "v" + std::to_string(i)), values[i]) << i;
        EXPECT_EQ(reread.GetString("reg0", "V" + std::to_string(i)), values[i]) << i;
    }
}

TEST(ProfileWrite, SaveAndLoadFiles) {
    test::TempFolder folder;
    const std::string path = folder / "theme.thm";
    ProfileFile p;
    p.WriteString("Theme", "Alias", "Blue");
    p.WriteInt("Theme", "TskType", 1);
    ASSERT_TRUE(p.Save(path));
    EXPECT_EQ(test::ReadText(path), "[Theme]\r\nAlias=Blue\r\nTskType=1\r\n");

    ProfileFile loaded;
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_EQ(loaded.GetString("theme", "alias"), "Blue");
    EXPECT_EQ(loaded.GetInt("theme", "tsktype", 0), 1);

    // The file's name in other letter case is the same file, to read and to write.
    ASSERT_TRUE(loaded.Load(folder / "THEME.THM"));
    EXPECT_EQ(loaded.GetString("Theme", "Alias"), "Blue");
    p.WriteString("Theme", "Alias", "Red");
    ASSERT_TRUE(p.Save(folder / "Theme.Thm"));
    EXPECT_EQ(test::ReadText(path), "[Theme]\r\nAlias=Red\r\nTskType=1\r\n");

    // A file that cannot be opened leaves an empty profile.
    EXPECT_FALSE(loaded.Load(folder / "missing.thm"));
    EXPECT_TRUE(loaded.SectionNames().empty());
    EXPECT_EQ(loaded.Serialize(), "");

    EXPECT_FALSE(p.Save(folder / "no-such-folder/theme.thm"));
}

}  // namespace
}  // namespace mrw
