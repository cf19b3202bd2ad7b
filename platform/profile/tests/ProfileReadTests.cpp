// Reading rules: names, values, duplicates, comments, line ends, numbers.
#include "platform/profile/ProfileFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace mrw {
namespace {

using Names = std::vector<std::string>;

TEST(ProfileRead, NamesMatchWithoutRegardToCaseAndBlanks) {
    const ProfileFile p = ProfileFile::Parse("[ Theme ]\r\n  Alias  =  Blue Sky  \r\nTSKTYPE=1\r\n");
    EXPECT_EQ(p.GetString("theme", "alias"), "Blue Sky");
    EXPECT_EQ(p.GetString("THEME", "  ALIAS "), "Blue Sky");
    EXPECT_EQ(p.GetString(" theme\t", "TskType"), "1");
    EXPECT_TRUE(p.HasSection("tHeMe"));
    EXPECT_EQ(p.SectionNames(), Names{"Theme"});
    EXPECT_EQ(p.KeyNames("theme"), (Names{"Alias", "TSKTYPE"}));
}

TEST(ProfileRead, OnePairOfSurroundingQuotesIsRemoved) {
    const ProfileFile p = ProfileFile::Parse(
        "[q]\n"
        "double=\"a b\"\n"
        "single='c'\n"
        "inner=\"x\"y\"\n"
        "twice=\"\"z\"\"\n"
        "mixed=\"d'\n"
        "lone=\"\n"
        "empty=\"\"\n"
        "spaced=  \" e \"  \n"
        "middle=f \"g\"\n");
    EXPECT_EQ(p.GetString("q", "double"), "a b");
    EXPECT_EQ(p.GetString("q", "single"), "c");
    EXPECT_EQ(p.GetString("q", "inner"), "x\"y");
    EXPECT_EQ(p.GetString("q", "twice"), "\"z\"");
    EXPECT_EQ(p.GetString("q", "mixed"), "\"d'");
    EXPECT_EQ(p.GetString("q", "lone"), "\"");
    EXPECT_EQ(p.GetString("q", "empty", "fallback"), "");
    EXPECT_EQ(p.GetString("q", "spaced"), " e ");
    EXPECT_EQ(p.GetString("q", "middle"), "f \"g\"");
}

TEST(ProfileRead, FirstSectionAndFirstKeyOfANameWin) {
    const ProfileFile p = ProfileFile::Parse(
        "[File0]\r\nName=first.gif\r\nname=second.gif\r\n"
        "[Other]\r\nx=1\r\n"
        "[FILE0]\r\nName=third.gif\r\nRealname=only-here.gif\r\n");
    EXPECT_EQ(p.GetString("File0", "Name"), "first.gif");
    // The later section of the same name is never looked into.
    EXPECT_FALSE(p.Find("File0", "Realname").has_value());
    EXPECT_EQ(p.SectionNames(), (Names{"File0", "Other", "FILE0"}));
    EXPECT_EQ(p.KeyNames("file0"), (Names{"Name", "name"}));
}

TEST(ProfileRead, KeysBeforeAnySectionBelongToNoSection) {
    const ProfileFile p = ProfileFile::Parse("Alias=stray\r\n[Theme]\r\nNote=n\r\n");
    EXPECT_FALSE(p.Find("", "Alias").has_value());
    EXPECT_FALSE(p.Find("Theme", "Alias").has_value());
    EXPECT_EQ(p.SectionNames(), Names{"Theme"});
}

TEST(ProfileRead, LineWithoutEqualsIsAKeyWithoutValue) {
    const ProfileFile p = ProfileFile::Parse("[s]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n");
    // Reading it gives the fallback, as GetPrivateProfileString does; an
    // empty value is a value.
    EXPECT_FALSE(p.Find("s", "name3").has_value());
    EXPECT_EQ(p.GetString("s", "name3", "dflt"), "dflt");
    EXPECT_EQ(p.GetString("s", "name2", "dflt"), "");
    EXPECT_EQ(p.GetInt("s", "name3", 7), 7);
    EXPECT_EQ(p.KeyNames("s"), (Names{"name1", "name2", "name4"}));
    // The first key of the name decides, even when it has no value.
    const ProfileFile q = ProfileFile::Parse("[s]\r\nk\r\nk=1\r\n");
    EXPECT_FALSE(q.Find("s", "k").has_value());
}

TEST(ProfileRead, CommentsAreNotKeysButHashIsOrdinary) {
    const ProfileFile p = ProfileFile::Parse("[s]\r\n; a comment\r\n;x=1\r\n#y=2\r\nz=3 ; not a comment\r\n");
    EXPECT_EQ(p.KeyNames("s"), (Names{"#y", "z"}));
    EXPECT_EQ(p.GetString("s", "#y"), "2");
    EXPECT_EQ(p.GetString("s", "z"), "3 ; not a comment");
    EXPECT_FALSE(p.Find("s", "x").has_value());
}

TEST(ProfileRead, EveryKindOfLineEndIsRead) {
    for (const char* text : {"[a]\r\nk=1\r\n[b]\r\nk=2", "[a]\nk=1\n[b]\nk=2\n", "[a]\rk=1\r[b]\rk=2\r",
                             "[a]\n\rk=1\r\n\r\n[b]\rk=2"}) {
        const ProfileFile p = ProfileFile::Parse(text);
        EXPECT_EQ(p.SectionNames(), (Names{"a", "b"})) << text;
        EXPECT_EQ(p.GetString("a", "k"), "1") << text;
        EXPECT_EQ(p.GetString("b", "k"), "2") << text;
    }
}

TEST(ProfileRead, SectionHeaderForms) {
    const ProfileFile p = ProfileFile::Parse(
        "[one] trailing text\r\nk=1\r\n"
        "[two]b]\r\nk=2\r\n"
        "[broken\r\nk=3\r\n"
        "[]\r\nk=4\r\n");
    EXPECT_EQ(p.GetString("one", "k"), "1");
    // The name runs to the last ']'.
    EXPECT_EQ(p.GetString("two]b", "k"), "2");
    // "[broken" has no ']': it is a line (without '=') of the section before.
    EXPECT_EQ(p.KeyNames("two]b"), (Names{"k", "k"}));
    EXPECT_EQ(p.GetString("two]b", "k"), "2");
    EXPECT_EQ(p.SectionNames(), (Names{"one", "two]b"}));
    EXPECT_EQ(p.GetString("", "k"), "4");
}

TEST(ProfileRead, Utf8ByteOrderMarkIsSkipped) {
    const ProfileFile p = ProfileFile::Parse("\xEF\xBB\xBF[Theme]\r\nAlias=A\r\n");
    EXPECT_EQ(p.SectionNames(), Names{"Theme"});
    EXPECT_EQ(p.GetString("Theme", "Alias"), "A");
}

TEST(ProfileRead, FallbackIsTreatedAsTheWindowsFunctionDoes) {
    const ProfileFile p;
    EXPECT_EQ(p.GetString("s", "k", "255,255,255"), "255,255,255");
    EXPECT_EQ(p.GetString("s", "k", "abc   "), "abc");
    EXPECT_EQ(p.GetString("s", "k", "  abc"), "  abc");
    EXPECT_EQ(p.GetString("s", "k", "'quoted'"), "quoted");
    EXPECT_EQ(p.GetString("s", "k"), "");
}

TEST(ProfileRead, IntegersFollowGetPrivateProfileInt) {
    const ProfileFile p = ProfileFile::Parse(
        std::string("[n]\n") +
        "plain=150\n"
        "negative=-1\n"
        "plus=+12\n"
        "trailing=12abc\n"
        "letters=abc\n"
        "empty=\n"
        "quotedEmpty=\"\"\n"
        "quoted=\" 42\"\n"
        "hex=0x1F\n"
        "upperHex=0X1F\n"
        "octal=0o17\n"
        "binary=0b101\n"
        "wraps=4294967297\n"
        "exactWrap=4294967296\n"
        "negativeWrap=-4294967297\n"
        "intMin=2147483648\n"
        "lettersThenDigits=B4294967297\n"
        "digitsThenLetter=42A94967297\n"
        "long=" + std::string(29, '0') + "1\n"
        "withinLimit=" + std::string(28, '0') + "1\n"
        "decimalPoint=3.9\n");
    EXPECT_EQ(p.GetInt("n", "plain", 0), 150);
    EXPECT_EQ(p.GetInt("n", "negative", 0), -1);
    EXPECT_EQ(p.GetInt("n", "plus", 0), 12);
    EXPECT_EQ(p.GetInt("n", "trailing", 0), 12);
    EXPECT_EQ(p.GetInt("n", "letters", 5), 0);
    EXPECT_EQ(p.GetInt("n", "empty", 5), 5);
    EXPECT_EQ(p.GetInt("n", "quotedEmpty", 5), 5);
    EXPECT_EQ(p.GetInt("n", "missing", 5), 5);
    EXPECT_EQ(p.GetInt("nosection", "plain", -3), -3);
    EXPECT_EQ(p.GetInt("n", "quoted", 0), 42);
    EXPECT_EQ(p.GetInt("n", "hex", 0), 31);
    EXPECT_EQ(p.GetInt("n", "upperHex", 0), 0);
    EXPECT_EQ(p.GetInt("n", "octal", 0), 15);
    EXPECT_EQ(p.GetInt("n", "binary", 0), 5);
    EXPECT_EQ(p.GetInt("n", "wraps", 0), 1);
    EXPECT_EQ(p.GetInt("n", "exactWrap", 9), 0);
    EXPECT_EQ(p.GetInt("n", "negativeWrap", 0), -1);
    EXPECT_EQ(p.GetInt("n", "intMin", 0), INT_MIN);
    EXPECT_EQ(p.GetInt("n", "lettersThenDigits", 9), 0);
    EXPECT_EQ(p.GetInt("n", "digitsThenLetter", 0), 42);
    // Only the first 29 characters are read: the final 1 of "long" is cut.
    EXPECT_EQ(p.GetInt("n", "long", 9), 0);
    EXPECT_EQ(p.GetInt("n", "withinLimit", 9), 1);
    EXPECT_EQ(p.GetInt("n", "decimalPoint", 0), 3);
}

}  // namespace
}  // namespace mrw
