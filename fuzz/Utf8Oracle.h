#pragma once

#include <optional>
#include <string>
#include <string_view>

// Strict UTF-8 as the standard defines it: no overlong forms, no encoded
// surrogates, nothing past U+10FFFF. True for empty input.
bool IsValidUtf8(std::string_view bytes);

// UTF-16 back to UTF-8; nothing when the text holds an unpaired surrogate.
std::optional<std::string> EncodeUtf8(std::u16string_view text);
