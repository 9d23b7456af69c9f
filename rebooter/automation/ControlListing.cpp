#include "rebooter/automation/ControlListing.h"

// Boost's engine keeps its backtracking state on the heap within a fixed bound,
// so a long window text cannot exhaust the stack as std::regex does; a match
// that exceeds the bound throws and counts as no match.
#include <boost/regex.hpp>

namespace {

// ECMAScript-like: "." stops at line ends, "^" and "$" match at every line.
constexpr auto RegexOptions = boost::regex::perl | boost::regex::icase | boost::regex::no_mod_s;
const std::string LineEnd = "\r\n";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// The literal lookups match the escaped text as a pattern. The pattern runs only
// over as many characters as the text can cover, so a long window text never
// drives the expression engine deep.
bool literalMatches(const ListingLine &line, LookupField field, const boost::regex &literal,
                    std::size_t length)
{
    if (field == LookupField::ClassName)
        return boost::regex_match(line.className, literal);
    // The text lookup reads "class<TAB>text" and wants a blank just before the
    // text it looks for, which may be the tab itself.
    const std::string tail = line.className + "\t" + line.text;
    if (tail.size() < length + 1)
        return false;
    const std::string end = tail.substr(tail.size() - length - 1);
    return isBlank(end.front()) && boost::regex_match(end.substr(1), literal);
}

}  // namespace

namespace ControlListing {

std::string Line(WindowHandle handle, long controlId, const std::string &className, const std::string &text)
{
    const std::string raw = text.substr(0, text.find('\0'));
    std::string oneLine;
    for (std::size_t at = 0; at < raw.size(); ++at) {
        const bool lineBreak = raw[at] == '\r' || raw[at] == '\n';
        if (raw[at] == '\r' && at + 1 < raw.size() && raw[at + 1] == '\n')
            ++at;  // CR LF makes one blank
        oneLine += lineBreak ? ' ' : raw[at];
    }
    const std::string name = className.substr(0, className.find('\0'));
    return std::to_string(handle) + "\t" + std::to_string(controlId) + "\t" + name + "\t" + oneLine + LineEnd;
}

std::vector<ListingLine> Parse(const std::string &listing)
{
    std::vector<ListingLine> lines;
    std::size_t start = 0;
    while (start < listing.size()) {
        std::size_t end = listing.find(LineEnd, start);
        if (end == std::string::npos)
            end = listing.size();
        const std::string row = listing.substr(start, end - start);
        start = end + LineEnd.size();
        const std::size_t tab1 = row.find('\t');
        const std::size_t tab2 = tab1 == std::string::npos ? tab1 : row.find('\t', tab1 + 1);
        const std::size_t tab3 = tab2 == std::string::npos ? tab2 : row.find('\t', tab2 + 1);
        if (tab3 == std::string::npos)
            continue;
        ListingLine line;
        try {
            line.handle = std::stoll(row.substr(0, tab1));
            line.controlId = std::stol(row.substr(tab1 + 1, tab2 - tab1 - 1));
        } catch (const std::exception &) {
            continue;
        }
        line.className = row.substr(tab2 + 1, tab3 - tab2 - 1);
        line.text = row.substr(tab3 + 1);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string EscapePattern(const std::string &text)
{
    static const std::string special = "\\^$.|?*+()[]{}";
    std::string escaped;
    for (char c : text) {
        if (special.find(c) != std::string::npos)
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string LookupPattern(LookupField field, LookupMatch match, const std::string &what)
{
    if (match == LookupMatch::RegExp) {
        return field == LookupField::ClassName ? R"(^(\d+)\s+\d+\s+([^\s]*?)\s[^\r\n]*?$)"
                                               : R"(^(\d+)\s+\d+\s+[^\s]*?\s([^\r\n]*?)$)";
    }
    const std::string escaped = EscapePattern(what);
    return field == LookupField::ClassName ? R"(^(\d+)\s+\d+\s)" + escaped + R"(\s.*?$)"
                                           : R"(^(\d+)\s+\d+\s.*?\s)" + escaped + "$";
}

bool RegExpTest(const std::string &text, const std::string &pattern)
{
    try {
        return boost::regex_search(text, boost::regex(pattern, RegexOptions));
    } catch (const std::exception &) {
        return false;
    }
}

std::string RegExpReplace(const std::string &text, const std::string &pattern, const std::string &replacement)
{
    try {
        return boost::regex_replace(text, boost::regex(pattern, RegexOptions), replacement);
    } catch (const std::exception &) {
        return text;
    }
}

LookupResult Find(const std::string &listing, LookupField field, LookupMatch match, const std::string &what,
                  int index)
{
    LookupResult result;
    boost::regex expression;
    try {
        expression = boost::regex(match == LookupMatch::Literal ? EscapePattern(what) : what, RegexOptions);
    } catch (const std::exception &) {
        return result;
    }
    for (const ListingLine &line : Parse(listing)) {
        bool matches = false;
        try {
            if (match == LookupMatch::Literal) {
                matches = literalMatches(line, field, expression, what.size());
            } else {
                matches = boost::regex_search(field == LookupField::ClassName ? line.className : line.text,
                                              expression);
            }
        } catch (const std::exception &) {
            matches = false;  // too complex for the bounded engine
        }
        if (!matches)
            continue;
        ++result.matchCount;
        if (result.matchCount == index)
            result.handle = line.handle;
    }
    return result;
}

std::int64_t RelativeDueTime(std::uint32_t milliseconds)
{
    return -static_cast<std::int64_t>(milliseconds) * 10000;
}

}  // namespace ControlListing
