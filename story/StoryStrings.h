#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The string operations the story markup is defined with. Positions are
// 1-based and wide: no line or list is too long for them. Comparisons are
// exact, unit by unit.

// Position of the first `what` at or after `start` in `text`; 0 when there is
// none or `start` lies beyond the end.
int64_t StoryFind(int64_t start, std::u16string_view text, std::u16string_view what);

// Up to `length` units from `start`; empty when `start` lies beyond the end.
std::u16string_view StoryMid(std::u16string_view text, int64_t start, int64_t length);
std::u16string_view StoryMid(std::u16string_view text, int64_t start);
std::u16string_view StoryLeft(std::u16string_view text, int64_t count);

// Removes spaces at both ends: U+0020 and the ideographic space U+3000 that
// Japanese text indents with. Tabs stay.
std::u16string_view StoryTrim(std::u16string_view text);

// Upper-cases the ASCII letters. That is all keyword matching can tell apart:
// no other letter upper-cases into one of the keywords' letters.
std::u16string StoryUpperCase(std::u16string_view text);
