#pragma once

#include <QList>
#include <QStringList>

#include <gtest/gtest.h>

// Argument lists compared item by item, so an argument merged with its
// neighbour or split in two fails even where the blank-joined texts match.
// A mismatch names the first differing index and both items there.
::testing::AssertionResult SameArguments(const char *actualText, const char *expectedText,
                                         const QStringList &actual, const QStringList &expected);
// Several runs: also names the run.
::testing::AssertionResult SameArguments(const char *actualText, const char *expectedText,
                                         const QList<QStringList> &actual,
                                         const QList<QStringList> &expected);

#define EXPECT_ARGS(actual, expected) EXPECT_PRED_FORMAT2(SameArguments, actual, expected)
#define ASSERT_ARGS(actual, expected) ASSERT_PRED_FORMAT2(SameArguments, actual, expected)

// An expected argument list written as one command line: items are
// separated by blanks, an item holding blanks is written in double quotes.
QStringList ArgumentsOf(const QString &commandLine);
QList<QStringList> ArgumentsOf(const QStringList &commandLines);

// Why the list cannot be one media-tool command as the composers write them
// (options, each followed by its one value unless it is a flag, then the
// output as the last item), naming the index; empty when it can. A merged
// "-q:v 0" or a filter split in two shows up here without running the tool.
QString ToolCommandProblem(const QStringList &arguments);
