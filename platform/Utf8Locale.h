#pragma once

// Makes the character-type locale UTF-8 when it is not (a plain "C" locale
// under a service or CI): libraries that convert file names through the
// locale could otherwise not open a path holding Chinese characters.
// Only LC_CTYPE is touched, so numbers keep the C locale's format.
void EnsureUtf8CharacterLocale();
