#pragma once

#include <string>
#include <string_view>

// The `index`-th (0-based) item of a comma-separated list, exactly as it
// stands between the commas; empty when there is no such item. An empty item
// and a missing one look the same. Lists of any length work.
std::u16string GetListItem(std::u16string_view list, int index);
