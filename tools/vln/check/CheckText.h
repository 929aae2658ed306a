#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Helpers the checks share for naming what they found.

// `text` quoted for a message, long text cut short.
std::string Quoted(std::u16string_view text);

// Where `part`, a view into `text`, begins in it (1-based); `fallback` when
// the view is empty and points nowhere.
int64_t PositionIn(std::u16string_view text, std::u16string_view part, int64_t fallback);
