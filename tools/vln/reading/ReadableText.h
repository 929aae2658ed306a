#pragma once

#include <string>
#include <string_view>

// Story text for a person at a terminal: UTF-8, one line stays one line.
// Control characters (a lone LF inside a story line, tabs) show as their
// visible pictures (U+2400 ...), a lone surrogate unit as U+FFFD.
std::string ReadableText(std::u16string_view text);

// As above, cut after `maxUnits` units with "…" so that a message quoting a
// long line stays short.
std::string ReadableExcerpt(std::u16string_view text, size_t maxUnits);
