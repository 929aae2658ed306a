#include "fuzz/ListItemOracle.h"

#include <cstdint>
#include <vector>

#include "story/mdlFunction.h"

std::u16string ListItemByOracle(std::u16string_view list, int index) {
  std::vector<std::u16string> items(1);
  for (const char16_t c : list) {
    if (c == u',') {
      items.emplace_back();
    } else {
      items.back().push_back(c);
    }
  }
  if (index < 0 || static_cast<size_t>(index) >= items.size()) return {};
  return items[static_cast<size_t>(index)];
}

std::string CheckListItem(const uint8_t* data, size_t size) {
  if (size < 2) return {};
  const int index = data[0] % 7;
  // Most inputs stay short; a few are stretched up to 33 times over, which
  // takes a 2 KB list past the 16-bit marks.
  const int repeats = data[1] < 240 ? 1 : 1 + (data[1] - 239) * 2;
  std::u16string piece;
  for (size_t i = 2; i + 1 < size; i += 2) {
    piece.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  }
  std::u16string list;
  for (int i = 0; i < repeats; ++i) list += piece;

  const std::u16string got = GetListItem(list, index);
  const std::u16string want = ListItemByOracle(list, index);
  if (got != want) {
    return "item " + std::to_string(index) + " of a " + std::to_string(list.size()) +
           "-unit list: got " + std::to_string(got.size()) + " units, want " +
           std::to_string(want.size());
  }
  return {};
}
