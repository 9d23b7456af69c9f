#include "rebooter/automation/ControlListing.h"
#include "rebooter/automation/modWindow.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>
#include <iterator>
#include <regex>

namespace {

const std::string kListing =
    ControlListing::Line(100, 0, "MainWindow", "标题 (1)") + ControlListing::Line(101, 11, "Edit", "first")
    + ControlListing::Line(102, 12, "Static", "计算 1+1") + ControlListing::Line(103, 13, "Edit", "x a|b^c$")
    + ControlListing::Line(104, 14, "Button", "确定") + ControlListing::Line(105, 15, "Static", "11");

TEST(ControlListing, LineHoldsOneWindowWithLineBreaksAsBlanks)
{
    EXPECT_EQ(ControlListing::Line(7, 0, "Edit", "a\r\nb\nc\rd"), "7\t0\tEdit\ta b c d\r\n");
    EXPECT_EQ(ControlListing::Line(7, 3, std::string("Bu\0x", 4), std::string("ok\0rest", 7)),
              "7\t3\tBu\tok\r\n");
    const auto lines = ControlListing::Parse(kListing);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2].handle, 102);
    EXPECT_EQ(lines[2].controlId, 12);
    EXPECT_EQ(lines[2].className, "Static");
    EXPECT_EQ(lines[2].text, "计算 1+1");
    EXPECT_EQ(ControlListing::Parse("junk\r\n12\tx\tA\tb\r\n").size(), 0u);
}

TEST(ControlListing, EscapingMakesEveryPatternCharacterLiteral)
{
    const std::string text = R"(a\b^c$d.e|f?g*h+i(j)k[l]m{n}o,p-q 中文)";
    const std::string escaped = ControlListing::EscapePattern(text);
    EXPECT_EQ(escaped, R"(a\\b\^c\$d\.e\|f\?g\*h\+i\(j\)k\[l\]m\{n\}o,p-q 中文)");
    EXPECT_TRUE(std::regex_match(text, std::regex(escaped)));
    EXPECT_EQ(ControlListing::LookupPattern(LookupField::Text, LookupMatch::Literal, "1+1"),
              R"(^(\d+)\s+\d+\s.*?\s1\+1$)");
    EXPECT_EQ(ControlListing::LookupPattern(LookupField::ClassName, LookupMatch::Literal, "Edit"),
              R"(^(\d+)\s+\d+\sEdit\s.*?$)");
}

TEST(ControlListing, LookupsFollowTheIndexRules)
{
    struct Case {
        LookupField field;
        LookupMatch match;
        std::string what;
        int index;
        WindowHandle handle;
        int matchCount;
    };
    const Case cases[] = {
        {LookupField::ClassName, LookupMatch::Literal, "Edit", 1, 101, 2},
        {LookupField::ClassName, LookupMatch::Literal, "edit", 2, 103, 2},
        {LookupField::ClassName, LookupMatch::Literal, "Edit", 3, 0, 2},
        {LookupField::ClassName, LookupMatch::Literal, "Edit", 0, 0, 2},
        {LookupField::ClassName, LookupMatch::Literal, "Edi", 1, 0, 0},
        {LookupField::ClassName, LookupMatch::Literal, "Edit.", 1, 0, 0},
        {LookupField::Text, LookupMatch::Literal, "1+1", 1, 102, 1},
        {LookupField::Text, LookupMatch::Literal, "11", 1, 105, 1},
        {LookupField::Text, LookupMatch::Literal, "a|b^c$", 1, 103, 1},
        {LookupField::Text, LookupMatch::Literal, "b^c$", 1, 0, 0},
        {LookupField::Text, LookupMatch::Literal, "(1)", 1, 100, 1},
        {LookupField::Text, LookupMatch::Literal, "确定", 1, 104, 1},
        {LookupField::ClassName, LookupMatch::RegExp, "^(edit|button)$", 3, 104, 3},
        {LookupField::ClassName, LookupMatch::RegExp, "^ed", 9, 0, 2},
        {LookupField::Text, LookupMatch::RegExp, "^\\d+$", 1, 105, 1},
        {LookupField::Text, LookupMatch::RegExp, "([", 1, 0, 0},
    };
    for (const Case &c : cases) {
        const LookupResult found = ControlListing::Find(kListing, c.field, c.match, c.what, c.index);
        EXPECT_EQ(found.handle, c.handle) << c.what << " #" << c.index;
        EXPECT_EQ(found.matchCount, c.matchCount) << c.what << " #" << c.index;
    }
}

TEST(ControlListing, LongTextsAreSearchedWithoutDeepPatternRuns)
{
    const std::string listing = ControlListing::Line(1, 0, "W", "")
                                + ControlListing::Line(2, 5, "Edit", std::string(64000, 'a') + " 1+1");
    EXPECT_EQ(ControlListing::Find(listing, LookupField::Text, LookupMatch::Literal, "1+1", 1).handle, 2);
}

// The standard library's matcher recursed once per character and ended the
// program on control texts of a few ten thousand characters.
TEST(ControlListing, RegularExpressionsOverLongTextsNeverEndTheProgram)
{
    const std::string longText = std::string(32000, 'a') + "b";
    const std::string listing =
        ControlListing::Line(1, 0, "W", "") + ControlListing::Line(2, 5, "Edit", longText);
    struct Case {
        const char *pattern;
        WindowHandle handle;
    };
    const Case cases[] = {{"^.*b$", 2}, {"(a|b)*b", 2}, {"(?:a|b)*b", 2}, {"^a+$", 0}, {"A{3}B", 2}};
    for (const Case &c : cases) {
        EXPECT_EQ(ControlListing::Find(listing, LookupField::Text, LookupMatch::RegExp, c.pattern, 1).handle,
                  c.handle)
            << c.pattern;
        EXPECT_EQ(ControlListing::RegExpTest(longText, c.pattern), c.handle != 0) << c.pattern;
    }
    // Past the engine's bound on saved states a match is given up, as no match.
    const std::string longest = std::string(64000, 'a') + "b";
    EXPECT_FALSE(ControlListing::RegExpTest(longest, "(a|b)*b"));
    EXPECT_FALSE(ControlListing::RegExpTest(longest, "(a+)+c"));
    EXPECT_TRUE(ControlListing::RegExpTest(longest, "(?:a|b)*b"));

    EXPECT_EQ(ControlListing::RegExpReplace(longText, "(a+)(b)", "$2"), "b");
    EXPECT_EQ(ControlListing::RegExpReplace("x1 Y2", "([a-z])(\\d)", "$2$1"), "1x 2Y");
    EXPECT_EQ(ControlListing::RegExpReplace("keep", "([", "-"), "keep");
    EXPECT_TRUE(ControlListing::RegExpTest("one\ntwo", "^two$"));
    EXPECT_FALSE(ControlListing::RegExpTest("one\ntwo", "one.two"));
}

TEST(ControlListing, TimerDueTimeStaysExactBeyondTheThirtyTwoBitRange)
{
    EXPECT_EQ(ControlListing::RelativeDueTime(500), -5'000'000);
    EXPECT_EQ(ControlListing::RelativeDueTime(300'000), -3'000'000'000);
    EXPECT_EQ(ControlListing::RelativeDueTime(4'294'967'295u), -42'949'672'950'000);
}

TEST(ControlListing, WriteTextFileReplacesOrAppendsLines)
{
    QTemporaryDir folder;
    const std::string name = folder.filePath(QStringLiteral("跟踪 文件.txt")).toStdString();
    EXPECT_TRUE(modWindow::WriteTextFile(name, "一", modWindow::WriteMode::Replace));
    EXPECT_TRUE(modWindow::WriteTextFile(name, "two", modWindow::WriteMode::Append));
    std::ifstream in(name, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "一\r\ntwo\r\n");
    EXPECT_TRUE(modWindow::WriteTextFile(name, "3", modWindow::WriteMode::Replace));
    std::ifstream again(name, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), {}), "3\r\n");
    EXPECT_FALSE(modWindow::WriteTextFile(folder.path().toStdString(), "x", modWindow::WriteMode::Append));
}

}  // namespace
