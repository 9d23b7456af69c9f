#include "ArgumentLists.h"

#include <QProcess>
#include <QSet>

namespace {

std::string quoted(const QString &item)
{
    return '"' + item.toStdString() + '"';
}

// The index of the first item that differs, or -1 when the lists are equal.
qsizetype firstDifference(const QStringList &actual, const QStringList &expected)
{
    const qsizetype common = std::min(actual.size(), expected.size());
    for (qsizetype i = 0; i < common; ++i) {
        if (actual.at(i) != expected.at(i))
            return i;
    }
    return actual.size() == expected.size() ? -1 : common;
}

std::string describe(const QStringList &actual, const QStringList &expected, qsizetype index)
{
    std::string text = "first difference at argument " + std::to_string(index) + ": ";
    text += index < actual.size() ? quoted(actual.at(index)) : std::string("(none)");
    text += " instead of ";
    text += index < expected.size() ? quoted(expected.at(index)) : std::string("(none)");
    text += "\n  actual:   " + quoted(actual.join(QStringLiteral("\" \"")));
    text += "\n  expected: " + quoted(expected.join(QStringLiteral("\" \"")));
    return text;
}

}  // namespace

::testing::AssertionResult SameArguments(const char *actualText, const char *expectedText,
                                         const QStringList &actual, const QStringList &expected)
{
    const qsizetype index = firstDifference(actual, expected);
    if (index < 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << actualText << " differs from " << expectedText << ", " << describe(actual, expected, index);
}

::testing::AssertionResult SameArguments(const char *actualText, const char *expectedText,
                                         const QList<QStringList> &actual, const QList<QStringList> &expected)
{
    const qsizetype common = std::min(actual.size(), expected.size());
    for (qsizetype run = 0; run < common; ++run) {
        const qsizetype index = firstDifference(actual.at(run), expected.at(run));
        if (index >= 0)
            return ::testing::AssertionFailure()
                   << actualText << " differs from " << expectedText << " in run " << run << ", "
                   << describe(actual.at(run), expected.at(run), index);
    }
    if (actual.size() == expected.size())
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << actualText << " has " << actual.size() << " runs, " << expectedText << " " << expected.size()
            << "; first of the extra runs: ";
    const QStringList &extra = actual.size() > expected.size() ? actual.at(common) : expected.at(common);
    return failure << quoted(extra.join(QStringLiteral("\" \"")));
}

QStringList ArgumentsOf(const QString &commandLine)
{
    return QProcess::splitCommand(commandLine);
}

QList<QStringList> ArgumentsOf(const QStringList &commandLines)
{
    QList<QStringList> lists;
    for (const QString &line : commandLines)
        lists.append(ArgumentsOf(line));
    return lists;
}

namespace {

bool isOption(const QString &item)
{
    return item.size() > 1 && item.at(0) == QLatin1Char('-') && item.at(1).isLetter()
           && !item.contains(QLatin1Char(' '));
}

}  // namespace

QString ToolCommandProblem(const QStringList &arguments)
{
    // The options the tool takes without a value; every other one takes one.
    static const QSet<QString> flags{QStringLiteral("-y"),       QStringLiteral("-n"),
                                     QStringLiteral("-an"),      QStringLiteral("-vn"),
                                     QStringLiteral("-sn"),      QStringLiteral("-shortest"),
                                     QStringLiteral("-nostdin"), QStringLiteral("-hide_banner")};
    if (arguments.isEmpty())
        return QStringLiteral("an empty argument list");
    const qsizetype output = arguments.size() - 1;
    if (arguments.at(output).startsWith(QLatin1Char('-')) && arguments.at(output) != QLatin1String("-"))
        return QStringLiteral("argument %1 \"%2\" ends the list where the output belongs")
            .arg(output)
            .arg(arguments.at(output));
    for (qsizetype i = 0; i < output; ++i) {
        const QString &item = arguments.at(i);
        if (!isOption(item))
            return QStringLiteral("argument %1 \"%2\" stands where an option belongs").arg(i).arg(item);
        if (flags.contains(item))
            continue;
        if (i + 1 == output)
            return QStringLiteral("argument %1 \"%2\" has no value before the output").arg(i).arg(item);
        ++i;
        if (isOption(arguments.at(i)))
            return QStringLiteral("argument %1 \"%2\" stands where the value of %3 belongs")
                .arg(i)
                .arg(arguments.at(i), item);
    }
    return {};
}
