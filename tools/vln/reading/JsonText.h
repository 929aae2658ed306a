#pragma once

#include <string>
#include <string_view>

// What becomes of a lone surrogate unit, which is no character at all: kept
// as its \uXXXX escape so that nothing of the story text is lost, or U+FFFD
// for a reader that takes characters only.
enum class LoneSurrogates { Escaped, Replaced };

// Appends `text` as a quoted JSON string in UTF-8. Surrogate pairs become one
// character.
void AppendJsonString(std::string& out, std::u16string_view text,
                      LoneSurrogates lone = LoneSurrogates::Escaped);
