#include "tools/cabwiz/InfFile.h"

#include <gtest/gtest.h>

#include "tools/cabwiz/CabinetPlan.h"

namespace mrw::cabwiz {
namespace {

TEST(InfFile, SectionsKeysQuotesCommentsAndStrings) {
    const std::string text =
        "; leading comment\r\n"
        "[Version]\r\n"
        "Signature = \"$Chicago$\"  ; trailing comment\r\n"
        "Provider=%Maker%\r\n"
        "[strings]\r\n"
        "Maker = \"Blue; Green\"\r\n"
        "Inner = %Maker% Ltd\r\n"
        "[Data]\r\n"
        "  my file.gif , \"a,b\" , ,0x40000000\r\n"
        "\"quote \"\"inside\"\"\",%Inner%,%%1,%CE2%\\x,%Unknown%\r\n"
        "[VERSION]\r\n"
        "Extra=1\r\n";
    InfFile inf;
    std::string error;
    ASSERT_TRUE(inf.Parse(text, error)) << error;
    EXPECT_EQ(inf.Text("version", "SIGNATURE"), "$Chicago$");
    EXPECT_EQ(inf.Text("Version", "Provider"), "Blue; Green");
    EXPECT_EQ(inf.Text("Version", "Extra"), "1");  // a section given twice is one
    const auto* data = inf.Section("data");
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->size(), 2u);
    auto f = inf.Fields((*data)[0].whole);
    ASSERT_EQ(f.size(), 4u);
    EXPECT_EQ(f[0].text, "my file.gif");
    EXPECT_FALSE(f[0].quoted);
    EXPECT_EQ(f[1].text, "a,b");
    EXPECT_TRUE(f[1].quoted);
    EXPECT_EQ(f[2].text, "");
    EXPECT_EQ(f[3].text, "0x40000000");
    f = inf.Fields((*data)[1].whole);
    ASSERT_EQ(f.size(), 5u);
    EXPECT_EQ(f[0].text, "quote \"inside\"");
    EXPECT_EQ(f[1].text, "Blue; Green Ltd");
    EXPECT_EQ(f[2].text, "%1");
    EXPECT_EQ(f[3].text, "%CE2%\\x");
    EXPECT_EQ(f[4].text, "%Unknown%");
}

TEST(InfFile, RejectsBrokenSyntax) {
    InfFile inf;
    std::string error;
    EXPECT_FALSE(inf.Parse("[Version]\nSignature=\"$Chicago$\n", error));
    EXPECT_NE(error.find("line 2"), std::string::npos);
    EXPECT_FALSE(inf.Parse("[Version\nx=1\n", error));
    EXPECT_FALSE(inf.Parse("x=1\n[Version]\n", error));
    EXPECT_TRUE(inf.Parse("", error));
}

TEST(InfNumbers, DecimalAndHex) {
    uint32_t v = 0;
    EXPECT_TRUE(ParseNumber(" 42 ", v));
    EXPECT_EQ(v, 42u);
    EXPECT_TRUE(ParseNumber("0x2A", v));
    EXPECT_EQ(v, 42u);
    EXPECT_TRUE(ParseNumber("0xFFFFFFFF", v));
    EXPECT_FALSE(ParseNumber("0x100000000", v));
    EXPECT_FALSE(ParseNumber("4294967296", v));
    EXPECT_FALSE(ParseNumber("12a", v));
    EXPECT_FALSE(ParseNumber("", v));
}

TEST(InfMemberNames, ShortNamesAsTheHandheldBuilderMakesThem) {
    std::set<std::string> taken;
    EXPECT_EQ(MemberBaseName("tdywater.gif", taken), "tdywater");
    EXPECT_EQ(MemberBaseName("stwater.gif", taken), "0stwater");
    EXPECT_EQ(MemberBaseName("vx5n.htm", taken), "0000vx5n");
    EXPECT_EQ(MemberBaseName("NS Basic Showcase.nsb", taken), "NSBASI~1");
    EXPECT_EQ(MemberBaseName("nsbasicce.gif", taken), "NSBASI~1");  // other extension
    EXPECT_EQ(MemberBaseName("nsbasic2.nsb", taken), "nsbasic2");
    EXPECT_EQ(MemberBaseName("NS Basic Showcase2.nsb", taken), "NSBASI~2");
    EXPECT_EQ(MemberBaseName("Today.POCKETPC2002.000", taken), "TODAYP~1");
    EXPECT_EQ(MemberBaseName("my file.gif", taken), "MYFILE~1");
    EXPECT_EQ(MemberBaseName("a+b.gif", taken), "000A_B~1");
}

}  // namespace
}  // namespace mrw::cabwiz
