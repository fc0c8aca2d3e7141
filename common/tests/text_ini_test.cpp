#include "orvex/codepage.h"
#include "orvex/errors.h"
#include "orvex/ini.h"
#include "orvex/prompts.h"
#include "orvex/text.h"

#include <gtest/gtest.h>

using namespace orvex;

TEST(IniFile, SectionsAndKeysIgnoreCaseFirstOccurrenceWins) {
    const IniFile ini = IniFile::Parse("; calibration\r\n"
                                       "[Frequencies]\r\n"
                                       "F1 = 2,510\r\n"
                                       "f1=9,999\r\n"
                                       "  Name = \"quoted text\"  \r\n"
                                       "[frequencies]\r\n"
                                       "F2=3.088\r\n"
                                       "[Empty]\r\n"
                                       "novalue\r\n"
                                       "Key=\r\n");
    EXPECT_EQ(ini.Value("FREQUENCIES", "f1"), "2,510");
    EXPECT_EQ(ini.Value("frequencies", "NAME"), "quoted text");
    EXPECT_EQ(ini.Value("Frequencies", "F2"), "3.088"); // repeated section continues
    EXPECT_EQ(ini.Value("empty", "key"), "");
    EXPECT_FALSE(ini.Value("empty", "novalue").has_value());
    EXPECT_FALSE(ini.Value("missing", "F1").has_value());
    EXPECT_EQ(ini.ReadString("missing", "F1", "dflt"), "dflt");
    EXPECT_TRUE(ini.HasSection("EMPTY"));
    EXPECT_THROW(IniFile::Load("/nonexistent/file.ini"), InputOutputError);
}

TEST(ParseNumbers, UserSeparatorAndErrors) {
    EXPECT_DOUBLE_EQ(ParseReal("2,510", ','), 2.51);
    EXPECT_DOUBLE_EQ(ParseReal(" -1.5e3 ", '.'), -1500);
    double v = 0;
    EXPECT_FALSE(TryParseReal("2.510", ',', v)); // a point is not the user's separator
    EXPECT_FALSE(TryParseReal("", '.', v));
    EXPECT_FALSE(TryParseReal("1x", '.', v));
    EXPECT_FALSE(TryParseReal("inf", '.', v));
    EXPECT_FALSE(TryParseReal("1e999", '.', v));
    try {
        ParseReal("abc", '.');
        FAIL();
    } catch (const ConversionError &e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid floating point value");
    }
    EXPECT_EQ(ParseInteger(" 42 "), 42);
    EXPECT_THROW(ParseInteger("4.2"), ConversionError);
    EXPECT_THROW(ParseInteger("99999999999999999999"), ConversionError);
}

TEST(TextHelpers, FileNameParts) {
    EXPECT_EQ(NameBeforeFirstDot("area7.kav.bak"), "area7");
    EXPECT_EQ(FileNameOnly("/data/area7.kav"), "area7.kav");
    EXPECT_EQ(FolderOf("/data/area7.kav"), "/data/");
    EXPECT_EQ(FolderOf("area7.kav"), "");
    EXPECT_EQ(ChangeExtension("/d.x/area7.dat", ".grd"), "/d.x/area7.grd");
    EXPECT_EQ(ChangeExtension("/d.x/area7", ".grd"), "/d.x/area7.grd");
}

TEST(CodePage, CyrillicRoundTripAndReplacement) {
    const std::string utf8 = "кол-во витков генератора";
    const std::string cp = Utf8ToCp1251(utf8);
    EXPECT_EQ(cp.size(), 24u);
    EXPECT_EQ(static_cast<unsigned char>(cp[0]), 0xEA); // к
    EXPECT_EQ(Cp1251ToUtf8(cp), utf8);
    EXPECT_EQ(Utf8ToCp1251("a\xe4\xb8\xad"
                           "b"),
              "a?b"); // a CJK letter has no place in 1251
    EXPECT_EQ(Utf8ToCp1251("a\xff"
                           "b"),
              "a?b"); // malformed byte
}

TEST(Prompts, FilterSplitAndScriptedAnswers) {
    auto pairs = SplitDialogFilter("MS Excel files (*.xls)|*.xls|Kav Data Files (*.kav)|*.kav");
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[1].first, "Kav Data Files (*.kav)");
    EXPECT_EQ(pairs[1].second, "*.kav");

    ScriptedPrompts prompts;
    prompts.answers.push_back(ModalResult::Cancel);
    EXPECT_EQ(prompts.Message({MessageType::Warning, "first", "", ButtonRetry | ButtonCancel}),
              ModalResult::Cancel);
    EXPECT_EQ(prompts.Message({MessageType::Warning, "second", "", ButtonRetry | ButtonCancel}),
              ModalResult::Retry);
    prompts.Inform("done");
    EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{"first", "second", "done"}));
    EXPECT_TRUE(prompts.OpenFiles({}).empty());
    EXPECT_FALSE(prompts.SaveFile({}).has_value());
}
