#include "app/base/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(NumberText, WritesAHalfWithLeadingZero)
{
    EXPECT_EQ(NumberText(0.5), QStringLiteral("0.5"));
    EXPECT_EQ(NumberText(0.25), QStringLiteral("0.25"));
}

TEST(NumberText, WritesWholeNumbersWithoutPoint)
{
    EXPECT_EQ(NumberText(120), QStringLiteral("120"));
    EXPECT_EQ(NumberText(3), QStringLiteral("3"));
    EXPECT_EQ(NumberText(0), QStringLiteral("0"));
}

TEST(NumberText, WritesShortestDecimal)
{
    EXPECT_EQ(NumberText(12.5), QStringLiteral("12.5"));
    EXPECT_EQ(NumberText(0.125), QStringLiteral("0.125"));
    EXPECT_EQ(NumberText(1.04), QStringLiteral("1.04"));
}

TEST(NumberText, HidesBinaryNoise)
{
    EXPECT_EQ(NumberText(0.1 + 0.2), QStringLiteral("0.3"));
    EXPECT_EQ(NumberText(1.1 * 3), QStringLiteral("3.3"));
    EXPECT_EQ(NumberText(2.675 * 100), QStringLiteral("267.5"));
}

TEST(NumberText, NeverUsesAnExponent)
{
    EXPECT_EQ(NumberText(1e20), QStringLiteral("100000000000000000000"));
    EXPECT_EQ(NumberText(0.0001), QStringLiteral("0.0001"));
    EXPECT_EQ(NumberText(1.5e-7), QStringLiteral("0.00000015"));
}

TEST(NumberText, WritesNegativeNumbers)
{
    EXPECT_EQ(NumberText(-0.25), QStringLiteral("-0.25"));
    EXPECT_EQ(NumberText(-3), QStringLiteral("-3"));
    EXPECT_EQ(NumberText(-1234.5), QStringLiteral("-1234.5"));
    EXPECT_EQ(NumberText(-0.0), QStringLiteral("0"));
}

TEST(NumberText, KeepsFifteenSignificantDigits)
{
    EXPECT_EQ(NumberText(1234567.89012345), QStringLiteral("1234567.89012345"));
    EXPECT_EQ(NumberText(2.0 / 3.0), QStringLiteral("0.666666666666667"));
    EXPECT_EQ(NumberText(0.12345678901234567), QStringLiteral("0.123456789012346"));
    EXPECT_EQ(NumberText(1.0000000000000002), QStringLiteral("1"));
    EXPECT_EQ(NumberText(123456789012345678.0), QStringLiteral("123456789012346000"));
}

TEST(NumberText, UsesAPointAndNoGrouping)
{
    const QString text = NumberText(1234567.5);
    EXPECT_EQ(text, QStringLiteral("1234567.5"));
    EXPECT_FALSE(text.contains(QLatin1Char(',')));
}

TEST(NumberText, WritesZeroForValuesThatAreNoNumbers)
{
    EXPECT_EQ(NumberText(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("0"));
    EXPECT_EQ(NumberText(std::numeric_limits<double>::infinity()), QStringLiteral("0"));
}

TEST(RoundHalfEven, RoundsTiesToEven)
{
    EXPECT_EQ(RoundHalfEven(0.5), 0.0);
    EXPECT_EQ(RoundHalfEven(1.5), 2.0);
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(3.5), 4.0);
    EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(RoundHalfEven(2.6), 3.0);
    EXPECT_EQ(RoundHalfEven(2.4), 2.0);
}

TEST(RoundHalfEven, RoundsDecimalTiesToEven)
{
    // 2.0005 is a tie in decimal, though stored a little below it.
    EXPECT_EQ(NumberText(RoundHalfEven(2.0005, 3)), QStringLiteral("2"));
    // Stored a little below the tie: plain rounding of the binary value would give 2.001.
    EXPECT_EQ(NumberText(RoundHalfEven(2.0015, 3)), QStringLiteral("2.002"));
    // Stored a little above the tie: plain rounding would give 2.003.
    EXPECT_EQ(NumberText(RoundHalfEven(2.0025, 3)), QStringLiteral("2.002"));
    EXPECT_EQ(NumberText(RoundHalfEven(1.23456, 3)), QStringLiteral("1.235"));
    EXPECT_EQ(NumberText(RoundHalfEven(12.3449, 3)), QStringLiteral("12.345"));
}

TEST(LeadingNumber, ReadsTheNumberAtTheStart)
{
    EXPECT_EQ(LeadingNumber(QStringLiteral("200")), 200.0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("12abc")), 12.0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("3.5秒")), 3.5);
    EXPECT_EQ(LeadingNumber(QStringLiteral("1-1000")), 1.0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("1.2.3")), 1.2);
    EXPECT_EQ(LeadingNumber(QStringLiteral(".5")), 0.5);
}

TEST(LeadingNumber, ReadsTextWithoutNumberAsZero)
{
    EXPECT_EQ(LeadingNumber(QString()), 0.0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("abc")), 0.0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("-")), 0.0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("x12")), 0.0);
}

TEST(LeadingNumber, ReadsSignsAndSkipsBlanks)
{
    EXPECT_EQ(LeadingNumber(QStringLiteral("-4")), -4.0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("+7")), 7.0);
    EXPECT_EQ(LeadingNumber(QStringLiteral(" 1 2")), 12.0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("5-3")), 5.0);
}

TEST(LeadingNumber, IgnoresNonAsciiDigits)
{
    // Full-width digits are not read as a number.
    EXPECT_EQ(LeadingNumber(QStringLiteral("１２")), 0.0);
}
