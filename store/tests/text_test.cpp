// Text helpers the reader and the sort rely on: strict UTF-8, Windows-1252, Unicode lower case.
#include "store/taskquery.h"
#include "store/tests/testsupport.h"
#include "store/textcodec.h"

#include <gtest/gtest.h>

namespace {

struct Utf8Case
{
    const char* name;
    std::string bytes;
    bool valid;
    friend void PrintTo(const Utf8Case& c, std::ostream* os) { *os << c.name; }
};

class StrictUtf8 : public testing::TestWithParam<Utf8Case>
{
};

TEST_P(StrictUtf8, AcceptsOnlyShortestFormsOfScalarValues)
{
    EXPECT_EQ(isStrictUtf8(GetParam().bytes), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, StrictUtf8,
    testing::Values(Utf8Case{"Empty", "", true}, Utf8Case{"Ascii", "abc\r\n", true},
                    Utf8Case{"AsciiRunsBetween", "caf\xC3\xA9 \xE2\x82\xAC 5 ok", true},
                    Utf8Case{"TwoBytes", "\xC3\xA9", true}, Utf8Case{"ThreeBytes", "\xE2\x82\xAC", true},
                    Utf8Case{"FourBytes", "\xF0\x9D\x84\x9E", true}, Utf8Case{"BelowSurrogates", "\xED\x9F\xBF", true},
                    Utf8Case{"AboveSurrogates", "\xEE\x80\x80", true}, Utf8Case{"LastScalar", "\xF4\x8F\xBF\xBF", true},
                    Utf8Case{"OverlongNul", "\xC0\x80", false}, Utf8Case{"OverlongTwo", "\xC1\xBF", false},
                    Utf8Case{"OverlongThree", "\xE0\x9F\xBF", false},
                    Utf8Case{"OverlongFour", "\xF0\x8F\xBF\xBF", false},
                    Utf8Case{"FirstSurrogate", "\xED\xA0\x80", false}, Utf8Case{"LastSurrogate", "\xED\xBF\xBF", false},
                    Utf8Case{"AboveUnicode", "\xF4\x90\x80\x80", false}, Utf8Case{"LeadF5", "\xF5\x80\x80\x80", false},
                    Utf8Case{"LoneContinuation", "a\x80", false}, Utf8Case{"CutOffTwo", "abc\xC3", false},
                    Utf8Case{"CutOffThree", "abc\xE2\x82", false}, Utf8Case{"CutOffFour", "\xF0\x9D\x84", false},
                    Utf8Case{"MissingContinuation", "\xC3(", false}, Utf8Case{"ByteFF", "\xFF", false},
                    Utf8Case{"Windows1252Accent", "Caf\xE9", false}),
    testsupport::caseName<Utf8Case>);

TEST(Windows1252, EveryByteBecomesOneCharacter)
{
    for (int b = 0; b < 256; ++b) {
        const std::string decoded = cp1252ToUtf8(std::string(1, static_cast<char>(b)));
        EXPECT_TRUE(isStrictUtf8(decoded)) << b;
        EXPECT_EQ(utf8Prefix(decoded, 1), decoded.size()) << b;
        if (b < 0x80) {
            EXPECT_EQ(decoded, std::string(1, static_cast<char>(b)));
        }
    }
    EXPECT_EQ(cp1252ToUtf8("\x80\x81\x8D\x8F\x90\x9D\x9F"), "\u20AC\u0081\u008D\u008F\u0090\u009D\u0178");
    EXPECT_EQ(cp1252ToUtf8("\x85\x92\x96\x99"), "\u2026\u2019\u2013\u2122");
    EXPECT_EQ(cp1252ToUtf8("\xA0\xC9\xE9\xFF"), "\u00A0\u00C9\u00E9\u00FF");
}

TEST(LowerCase, FollowsUnicodeNotOnlyAscii)
{
    EXPECT_EQ(lowerCase("MiXeD 123"), "mixed 123");
    EXPECT_EQ(lowerCase("\u00C9COLE \u00C0 \u00DE"), "\u00E9cole \u00E0 \u00FE");
    EXPECT_EQ(lowerCase("\u0100\u0178"), "\u0101\u00FF");
    EXPECT_EQ(lowerCase("\u0391\u0392\u03A9"), "\u03B1\u03B2\u03C9");
    EXPECT_EQ(lowerCase("\u041F\u0420\u0418\u0412\u0415\u0422"), "\u043F\u0440\u0438\u0432\u0435\u0442");
    EXPECT_EQ(lowerCase("\uFF21"), "\uFF41");
    EXPECT_EQ(lowerCase("\U00010400"), "\U00010428");
    EXPECT_EQ(lowerCase("\u00E9\u20AC\u00D7\U0001D11E"), "\u00E9\u20AC\u00D7\U0001D11E");
    EXPECT_EQ(lowerCase("A\xFF"
                        "B"),
              "a\xFF"
              "b");
}

TEST(Utf8Prefix, CountsCharactersNotBytes)
{
    EXPECT_EQ(utf8Prefix("ttl\u20ACword", 4), 6u);
    EXPECT_EQ(utf8Prefix("\u00E9\u00E9\u00E9=", 3), 6u);
    EXPECT_EQ(utf8Prefix("ab", 4), 2u);
    EXPECT_EQ(utf8Prefix("", 3), 0u);
    EXPECT_EQ(utf8Prefix("\U0001D11Ex", 1), 4u);
}

struct FindCase
{
    const char* name;
    std::string typed;
    bool found;
};

using FindTask = testing::TestWithParam<FindCase>;

TEST_P(FindTask, EveryWordInTitleForOrDescriptionIgnoringCaseAndAccents)
{
    TaskRecord task = testsupport::task("Caf\u00E9 order", "J\u00FCrgen");
    task.description = "Pick up in M\u00DCNCHEN\r\n\u0141\u00F3d\u017A too";
    EXPECT_EQ(TaskQuery(GetParam().typed).matches(task), GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(
    Words, FindTask,
    testing::Values(FindCase{"NoWords", " \t ", true}, FindCase{"Title", "order", true},
                    FindCase{"For", "jurgen", true}, FindCase{"Description", "pick", true},
                    FindCase{"AnyOrder", "munchen order cafe", true}, FindCase{"UpperCaseAccent", "M\u00DCNCHEN", true},
                    FindCase{"AccentInWordOnly", "c\u00E1fe", true}, FindCase{"CombiningAccent", "cafe\u0301", true},
                    FindCase{"Stroke", "LODZ", true}, FindCase{"PartOfAWord", "unch", true},
                    FindCase{"OneWordMissing", "cafe tea", false}, FindCase{"AcrossTwoFields", "orderj", false},
                    FindCase{"AcrossALineBreak", "munchenl", false}),
    testsupport::caseName<FindCase>);

} // namespace
