#pragma once

#include "rebooter/automation/WindowSystem.h"

#include <cstdint>
#include <string>
#include <vector>

// The control listing: one line per window, "handle<TAB>id<TAB>class<TAB>text"
// ended by CR LF, the window itself first. The control lookups search it.

enum class LookupField { ClassName, Text };
enum class LookupMatch { Literal, RegExp };

struct ListingLine {
    WindowHandle handle = 0;
    long controlId = 0;
    std::string className;
    std::string text;
};

struct LookupResult {
    WindowHandle handle = 0;  // 0 when there is no index-th match
    int matchCount = 0;       // matching lines in the whole listing
};

namespace ControlListing {

// One listing line. Line breaks in the text become blanks so that every window
// takes exactly one line; the text stops at its first NUL.
std::string Line(WindowHandle handle, long controlId, const std::string &className, const std::string &text);
std::vector<ListingLine> Parse(const std::string &listing);

// Puts a backslash before every character that has a meaning in a pattern.
std::string EscapePattern(const std::string &text);
// The lookup pattern over the listing as the trace shows it: the escaped text
// for a literal lookup, the line reader for a regular-expression lookup.
std::string LookupPattern(LookupField field, LookupMatch match, const std::string &what);

// Regular-expression test ignoring case; an invalid expression matches nothing.
bool RegExpTest(const std::string &text, const std::string &pattern);
// Replaces every match ($1, $& in the replacement); an invalid expression changes nothing.
std::string RegExpReplace(const std::string &text, const std::string &pattern,
                          const std::string &replacement);

// The index-th (1-based) line that matches. A literal class lookup takes lines
// whose class equals the text; a literal text lookup takes lines whose text ends
// in the text right after a blank or the field separator; a regular-expression
// lookup tests the class or the text with the caller's expression. No index-th
// match (or an index below 1) gives handle 0.
LookupResult Find(const std::string &listing, LookupField field, LookupMatch match, const std::string &what,
                  int index);

// Due time of a relative system timer wait in 100-nanosecond units (negative).
std::int64_t RelativeDueTime(std::uint32_t milliseconds);

}  // namespace ControlListing
