#pragma once

#include <string>
#include <string_view>

// Appends `text` as a quoted JSON string in UTF-8. Surrogate pairs become one
// character; a lone surrogate unit, which is no character at all, is kept as
// its \uXXXX escape so that nothing of the story text is lost.
void AppendJsonString(std::string& out, std::u16string_view text);
