// The line reader of the task file: keys, the dropped fourth character, trimming, skipped lines,
// pending values, act and alr values, line ends, encodings and the number rule.
#include "store/module1.h"
#include "store/number.h"
#include "store/taskfile.h"
#include "store/tests/testsupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

using testsupport::crlfLines;
using testsupport::fixture;

namespace {

struct Loaded
{
    std::unique_ptr<Module1> store = std::make_unique<Module1>();
    LoadReport report;
};

Loaded read(std::string_view bytes)
{
    Loaded loaded;
    loaded.report = readTaskFileText(bytes, *loaded.store);
    return loaded;
}

// One line placed inside a task block whose title is already "start": what title results.
struct TitleLineCase
{
    const char* name;
    std::string line;
    std::string title;
    friend void PrintTo(const TitleLineCase& c, std::ostream* os) { *os << c.name; }
};

class TitleLine : public testing::TestWithParam<TitleLineCase>
{
};

TEST_P(TitleLine, SetsTheTitleByTheReaderRules)
{
    const auto& c = GetParam();
    const Loaded loaded = read(crlfLines({"ttl=start", c.line, "act=addtask"}));
    ASSERT_EQ(loaded.store->taskCount, 1);
    EXPECT_EQ(loaded.store->taskList[0].title, c.title);
}

INSTANTIATE_TEST_SUITE_P(Rules, TitleLine,
                         testing::Values(TitleLineCase{"Plain", "ttl=word", "word"},
                                         TitleLineCase{"ColonAsFourth", "ttl:word", "word"},
                                         TitleLineCase{"SpaceAsFourth", "ttl word", "word"},
                                         TitleLineCase{"LetterAsFourth", "ttlXword", "word"},
                                         TitleLineCase{"MultiByteFourthIsOneCharacter", "ttl\u20ACword", "word"},
                                         TitleLineCase{"CapitalKeyIgnored", "TTL=word", "start"},
                                         TitleLineCase{"MixedCaseKeyIgnored", "Ttl=word", "start"},
                                         TitleLineCase{"SpacesAroundLineTrimmed", "   ttl=word   ", "word"},
                                         TitleLineCase{"SpacesAfterSeparatorKept", "ttl=  word", "  word"},
                                         TitleLineCase{"TabsKept", "ttl=\tword\t", "\tword\t"},
                                         TitleLineCase{"LeadingTabIsPartOfKey", "\tttl=word", "start"},
                                         TitleLineCase{"ShortLineIsKeyWithEmptyValue", "ttl", ""},
                                         TitleLineCase{"ShortAfterTrimming", "  ttl  ", ""},
                                         TitleLineCase{"TwoCharacterLineIgnored", "tt", "start"},
                                         TitleLineCase{"CommentSkipped", ";ttl=word", "start"},
                                         TitleLineCase{"IndentedCommentSkipped", "   ; ttl=word", "start"},
                                         TitleLineCase{"SectionSkipped", "[ttl=word]", "start"},
                                         TitleLineCase{"IndentedSectionSkipped", "  [Tasks]", "start"},
                                         TitleLineCase{"UnknownKeyIgnored", "xyz=word", "start"},
                                         TitleLineCase{"ValueMayHoldSeparator", "ttl=a=b", "a=b"},
                                         TitleLineCase{"MarkerOnlyUnescapedInDescription", "ttl=x|~y", "x|~y"}),
                         testsupport::caseName<TitleLineCase>);

struct ActCase
{
    const char* name;
    std::string line;
    int tasks;
    int rules;
    friend void PrintTo(const ActCase& c, std::ostream* os) { *os << c.name; }
};

class ActLine : public testing::TestWithParam<ActCase>
{
};

TEST_P(ActLine, CommitsTheRightKindOfRecord)
{
    const auto& c = GetParam();
    const Loaded loaded = read(crlfLines({c.line}));
    EXPECT_EQ(loaded.store->taskCount, c.tasks);
    EXPECT_EQ(loaded.store->ruleCount, c.rules);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ActLine,
    testing::Values(ActCase{"AddAlert", "act=addalert", 0, 1}, ActCase{"AddAlertAnyFourth", "act:addalert", 0, 1},
                    ActCase{"AddAlertTrailingSpaces", "act=addalert   ", 0, 1},
                    ActCase{"CapitalisedAddsTask", "act=AddAlert", 1, 0},
                    ActCase{"UpperCaseAddsTask", "act=ADDALERT", 1, 0},
                    ActCase{"LeadingSpaceAddsTask", "act= addalert", 1, 0},
                    ActCase{"LongerWordAddsTask", "act=addalerts", 1, 0}, ActCase{"AddTask", "act=addtask", 1, 0},
                    ActCase{"EmptyValueAddsTask", "act=", 1, 0}, ActCase{"BareKeyAddsTask", "act", 1, 0},
                    ActCase{"OtherWordAddsTask", "act=anything", 1, 0},
                    ActCase{"CapitalKeyIgnored", "ACT=addtask", 0, 0}),
    testsupport::caseName<ActCase>);

struct AlrCase
{
    const char* name;
    std::string line;
    std::int16_t popup;
    friend void PrintTo(const AlrCase& c, std::ostream* os) { *os << c.name; }
};

class AlrLine : public testing::TestWithParam<AlrCase>
{
};

TEST_P(AlrLine, PopupOnlyForExactlyOn)
{
    const auto& c = GetParam();
    const Loaded loaded = read(crlfLines({c.line, "act=addalert"}));
    ASSERT_EQ(loaded.store->ruleCount, 1);
    EXPECT_EQ(loaded.store->ruleList[0].popup, c.popup);
}

INSTANTIATE_TEST_SUITE_P(Values, AlrLine,
                         testing::Values(AlrCase{"On", "alr=on", popupOn},
                                         AlrCase{"OnTrailingSpaces", "alr=on  ", popupOn},
                                         AlrCase{"OnAnyFourth", "alr:on", popupOn}, AlrCase{"CapitalO", "alr=On", 0},
                                         AlrCase{"Capitals", "alr=ON", 0}, AlrCase{"Off", "alr=off", 0},
                                         AlrCase{"Empty", "alr=", 0}, AlrCase{"LeadingSpace", "alr= on", 0},
                                         AlrCase{"Longer", "alr=onn", 0}, AlrCase{"One", "alr=1", 0}),
                         testsupport::caseName<AlrCase>);

// The number of a text, in a 16-bit and in a 32-bit field.
struct NumberCase
{
    const char* name;
    std::string text;
    std::int16_t narrow;
    std::int32_t wide;
    friend void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.name; }
};

class NumberOfText : public testing::TestWithParam<NumberCase>
{
};

TEST_P(NumberOfText, LeadingNumberRoundedAndSaturated)
{
    const auto& c = GetParam();
    EXPECT_EQ(numberOfText<std::int16_t>(c.text), c.narrow);
    EXPECT_EQ(numberOfText<std::int32_t>(c.text), c.wide);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NumberOfText,
    testing::Values(NumberCase{"TrailingLetters", "12abc", 12, 12}, NumberCase{"NoNumber", "abc", 0, 0},
                    NumberCase{"Empty", "", 0, 0}, NumberCase{"LeadingBlanks", "  42", 42, 42},
                    NumberCase{"LeadingTab", "\t42", 42, 42}, NumberCase{"LeadingLineFeed", "\n42", 42, 42},
                    NumberCase{"BlankInsideSkipped", "4 2", 42, 42}, NumberCase{"CarriageReturnStops", "4\r2", 4, 4},
                    NumberCase{"Negative", "-3", -3, -3}, NumberCase{"PlusSign", "+3", 3, 3},
                    NumberCase{"BlankAfterSign", "- 3", -3, -3}, NumberCase{"TwoSigns", "--3", 0, 0},
                    NumberCase{"MinusAfterDigitsStops", "7-3", 7, 7}, NumberCase{"SecondPointStops", "7.2.9", 7, 7},
                    NumberCase{"HalfToEvenDown", "2.5", 2, 2}, NumberCase{"HalfToEvenUp", "3.5", 4, 4},
                    NumberCase{"NegativeHalfToEvenDown", "-2.5", -2, -2},
                    NumberCase{"NegativeHalfToEvenUp", "-3.5", -4, -4}, NumberCase{"HalfOfZero", "0.5", 0, 0},
                    NumberCase{"HalfOfOne", "1.5", 2, 2}, NumberCase{"HalfWithTrailingZeros", "2.50", 2, 2},
                    NumberCase{"JustAboveHalf", "2.500001", 3, 3}, NumberCase{"JustBelowHalf", "2.4999", 2, 2},
                    NumberCase{"AboveHalf", "2.51", 3, 3}, NumberCase{"FractionOnly", ".6", 1, 1},
                    NumberCase{"FractionOnlyHalf", ".5", 0, 0}, NumberCase{"Largest16", "32767", 32767, 32767},
                    NumberCase{"Above16", "32768", 32767, 32768}, NumberCase{"Smallest16", "-32768", -32768, -32768},
                    NumberCase{"Below16", "-32769", -32768, -32769},
                    NumberCase{"RoundsPast16", "32767.5", 32767, 32768},
                    NumberCase{"Blue", "16711680", 32767, 16711680},
                    NumberCase{"Largest32", "2147483647", 32767, 2147483647},
                    NumberCase{"Above32", "2147483648", 32767, 2147483647},
                    NumberCase{"Below32", "-2147483649", -32768, -2147483647 - 1},
                    NumberCase{"TwentyDigits", "99999999999999999999", 32767, 2147483647},
                    NumberCase{"TwentyMixedDigits", "12345678901234567890", 32767, 2147483647},
                    NumberCase{"TwentyDigitsNegative", "-99999999999999999999", -32768, -2147483647 - 1},
                    NumberCase{"FortyDigitsAndHalf", "9999999999999999999999999999999999999999.5", 32767, 2147483647}),
    testsupport::caseName<NumberCase>);

TEST(TaskFileReader, NumbersSaturateToTheWidthOfTheirField)
{
    const Loaded loaded =
        read(crlfLines({"day=40000", "mon=-40000", "yea=12abc", "hou=2.5", "min=abc", "sec=3.5", "act=addtask",
                        "val=40000", "clr=40000", "act=addalert", "clr=3000000000", "act=addalert"}));
    const TaskRecord& t = loaded.store->taskList[0];
    EXPECT_EQ(t.day, 32767);
    EXPECT_EQ(t.month, -32768);
    EXPECT_EQ(t.year, 12);
    EXPECT_EQ(t.hour, 2);
    EXPECT_EQ(t.minute, 0);
    EXPECT_EQ(t.second, 4);
    EXPECT_EQ(loaded.store->ruleList[0].value, 32767);
    EXPECT_EQ(loaded.store->ruleList[0].color, 40000);
    EXPECT_EQ(loaded.store->ruleList[1].color, 2147483647);
}

TEST(TaskFileReader, MissingKeysTakeThePreviousRecordOfTheirKind)
{
    const Loaded loaded = read(crlfLines({"for=Ann", "act=addtask",                              // start values
                                          "ttl=First", "mon=5", "des=a|~b", "act=addtask",       // carried on
                                          "val=3", "unt=d", "clr=255", "alr=on", "act=addalert", // in between
                                          "ttl=Second", "day=9", "act=addtask",                  // lacks for, mon, des
                                          "val=7", "act=addalert"}));                            // lacks unt, clr, alr
    const Module1& s = *loaded.store;
    ASSERT_EQ(s.taskCount, 3);
    ASSERT_EQ(s.ruleCount, 2);
    EXPECT_EQ(s.taskList[0].title, "");
    EXPECT_EQ(s.taskList[0].month, 0);
    EXPECT_EQ(s.taskList[0].deleted, "");
    EXPECT_EQ(s.taskList[2].title, "Second");
    EXPECT_EQ(s.taskList[2].forWhom, "Ann");
    EXPECT_EQ(s.taskList[2].month, 5);
    EXPECT_EQ(s.taskList[2].day, 9);
    EXPECT_EQ(s.taskList[2].description, "a\r\nb");
    EXPECT_EQ(s.ruleList[1].value, 7);
    EXPECT_EQ(s.ruleList[1].unit, "d");
    EXPECT_EQ(s.ruleList[1].color, 255);
    EXPECT_EQ(s.ruleList[1].popup, popupOn);
}

TEST(TaskFileReader, UidBelongsToItsOwnBlockAndALaterDuplicateGetsANewOne)
{
    const Loaded loaded = read(crlfLines({"ttl=a", "uid=one", "act=addtask", "ttl=b", "act=addtask", "uid=stray",
                                          "act=addalert", "ttl=c", "act=addtask", "uid=one", "act=addtask", "uid=x",
                                          "uid=two\n", "act=addtask", "uid=one\n", "act=addtask"}));
    const Module1& s = *loaded.store;
    ASSERT_EQ(s.taskCount, 6);
    EXPECT_EQ(std::tie(s.taskList[0].uid, s.taskList[1].uid, s.taskList[2].uid, s.taskList[4].uid),
              std::tuple("one", "", "", "two"));
    EXPECT_EQ(s.taskList[3].uid.size(), 36u);
    EXPECT_EQ(s.taskList[3].uid[14], '4');
    EXPECT_EQ(loaded.report.uidsRenewed, 2);
}

TEST(TaskFileReader, RecordsKeepFileOrderWhateverTheSection)
{
    const Loaded loaded =
        read(crlfLines({"[Tasks]", "ttl=one", "act=addtask", "val=1", "act=addalert", "ttl=two", "act=addtask",
                        "[Alerts]", "val=2", "act=addalert", "ttl=three", "act=addtask"}));
    const Module1& s = *loaded.store;
    ASSERT_EQ(s.taskCount, 3);
    ASSERT_EQ(s.ruleCount, 2);
    EXPECT_EQ(s.taskList[0].title, "one");
    EXPECT_EQ(s.taskList[1].title, "two");
    EXPECT_EQ(s.taskList[2].title, "three");
    EXPECT_EQ(s.ruleList[0].value, 1);
    EXPECT_EQ(s.ruleList[1].value, 2);
}

TEST(TaskFileReader, SlotsAboveTheCountsKeepWhatTheyHeld)
{
    Module1 store;
    readTaskFileText(crlfLines({"ttl=a", "act=addtask", "ttl=b", "act=addtask", "ttl=c", "act=addtask", "val=1",
                                "act=addalert", "val=2", "act=addalert"}),
                     store);
    store.taskList[7].title = "never used";
    readTaskFileText(crlfLines({"ttl=z", "act=addtask"}), store);
    EXPECT_EQ(store.taskCount, 1);
    EXPECT_EQ(store.ruleCount, 0);
    EXPECT_EQ(store.taskList[0].title, "z");
    EXPECT_EQ(store.taskList[1].title, "b");
    EXPECT_EQ(store.taskList[2].title, "c");
    EXPECT_EQ(store.taskList[7].title, "never used");
    EXPECT_EQ(store.ruleList[1].value, 2);
}

TEST(TaskFileReader, DescriptionMarkersBecomeLineBreaksAndDueKeyIsBuilt)
{
    const Loaded loaded = read(crlfLines({"des=two|~words", "yea=2003", "mon=3", "day=5", "hou=9", "min=7",
                                          "act=addtask", "des=|~|~", "act=addtask", "des=||~~", "act=addtask"}));
    const Module1& s = *loaded.store;
    EXPECT_EQ(s.taskList[0].description, "two\r\nwords");
    EXPECT_EQ(s.taskList[0].dueKey, "2003-03 - 05 09:07:00");
    EXPECT_EQ(s.taskList[1].description, "\r\n\r\n");
    EXPECT_EQ(s.taskList[2].description, "|\r\n~");
}

// Line ends: CR or CR LF; a lone LF is part of its line; a file without any CR uses LF.
struct LineEndCase
{
    const char* name;
    std::string bytes;
    int tasks;
    std::string title;
    std::string forWhom;
    friend void PrintTo(const LineEndCase& c, std::ostream* os) { *os << c.name; }
};

class LineEnds : public testing::TestWithParam<LineEndCase>
{
};

TEST_P(LineEnds, SplitLinesByTheCarriageReturnRule)
{
    const auto& c = GetParam();
    const Loaded loaded = read(c.bytes);
    ASSERT_EQ(loaded.store->taskCount, c.tasks);
    EXPECT_EQ(loaded.store->taskList[0].title, c.title);
    EXPECT_EQ(loaded.store->taskList[0].forWhom, c.forWhom);
}

INSTANTIATE_TEST_SUITE_P(Files, LineEnds,
                         testing::Values(LineEndCase{"CrLf", "ttl=a\r\nfor=b\r\nact=addtask\r\n", 1, "a", "b"},
                                         LineEndCase{"LoneCr", "ttl=a\rfor=b\ract=addtask\r", 1, "a", "b"},
                                         LineEndCase{"NoFinalLineEnd", "ttl=a\r\nact=addtask", 1, "a", ""},
                                         LineEndCase{"LfOnlyUsesLf", "; c\nttl=a\nfor=b\nact=addtask\n", 1, "a", "b"},
                                         LineEndCase{"LoneLfStaysInLine", "ttl=a\nb\r\nact=addtask\r\n", 1, "a\nb", ""},
                                         LineEndCase{"OneCrMakesLfPartOfComment",
                                                     "; c\nttl=a\nact=addtask\r\nfor=b\r\nact=addtask\r\n", 1, "",
                                                     "b"}),
                         testsupport::caseName<LineEndCase>);

TEST(TaskFileReader, LfOnlyFixtureReadsEveryRecord)
{
    const Loaded loaded = read(fixture("lf_only_tasks.txt"));
    const Module1& s = *loaded.store;
    ASSERT_EQ(s.taskCount, 2);
    ASSERT_EQ(s.ruleCount, 1);
    EXPECT_EQ(s.taskList[0].title, "Converted by another tool");
    EXPECT_EQ(s.taskList[1].description, "two\r\nlines");
    EXPECT_EQ(s.ruleList[0].unit, "d");
    EXPECT_FALSE(loaded.report.olderEncoding);
}

// What a title's bytes read as: strict UTF-8, or else the whole file as Windows-1252.
struct EncodingCase
{
    const char* name;
    std::string bytes;
    std::string title;
    bool older;
    friend void PrintTo(const EncodingCase& c, std::ostream* os) { *os << c.name; }
};

class Encoding : public testing::TestWithParam<EncodingCase>
{
};

TEST_P(Encoding, StrictUtf8OrWindows1252)
{
    const auto& c = GetParam();
    const Loaded loaded = read(c.bytes);
    ASSERT_EQ(loaded.store->taskCount, 1);
    EXPECT_EQ(loaded.store->taskList[0].title, c.title);
    EXPECT_EQ(loaded.report.olderEncoding, c.older);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Encoding,
    testing::Values(
        EncodingCase{"Utf8", "ttl=Caf\xC3\xA9\r\nact=addtask\r\n", "Caf\u00E9", false},
        EncodingCase{"Utf8FourBytes", "ttl=\xF0\x9D\x84\x9E\r\nact=addtask\r\n", "\U0001D11E", false},
        EncodingCase{"ByteOrderMarkDropped", "\xEF\xBB\xBFttl=x\r\nact=addtask\r\n", "x", false},
        EncodingCase{"LatinAccent", "ttl=Caf\xE9\r\nact=addtask\r\n", "Caf\u00E9", true},
        EncodingCase{"Euro",
                     "ttl=\x80"
                     "5\r\nact=addtask\r\n",
                     "\u20AC"
                     "5",
                     true},
        EncodingCase{"Unassigned81", "ttl=\x81\r\nact=addtask\r\n", "\u0081", true},
        EncodingCase{"YDiaeresis", "ttl=\x9F\r\nact=addtask\r\n", "\u0178", true},
        EncodingCase{"Overlong", "ttl=\xC0\xAF\r\nact=addtask\r\n", "\u00C0\u00AF", true},
        EncodingCase{"OverlongThreeBytes", "ttl=\xE0\x80\xAF\r\nact=addtask\r\n", "\u00E0\u20AC\u00AF", true},
        EncodingCase{"Surrogate", "ttl=\xED\xA0\x80\r\nact=addtask\r\n", "\u00ED\u00A0\u20AC", true},
        EncodingCase{"AboveUnicode", "ttl=\xF4\x90\x80\x80\r\nact=addtask\r\n", "\u00F4\u0090\u20AC\u20AC", true},
        EncodingCase{"CutOffLastCharacter", "ttl=x\r\nact=addtask\r\n;\xE2\x82", "x", true},
        EncodingCase{"CutOffBeforeLineEnd", "ttl=\xE2\x82\r\nact=addtask\r\n", "\u00E2\u201A", true}),
    testsupport::caseName<EncodingCase>);

} // namespace
