#include "story/mdlFunction.h"

std::u16string GetListItem(std::u16string_view list, int index) {
  if (index < 0) return {};
  size_t start = 0;
  for (int count = 0; count < index; ++count) {
    const size_t comma = list.find(u',', start);
    if (comma == std::u16string_view::npos) return {};
    start = comma + 1;
  }
  const std::u16string_view rest = list.substr(start);
  return std::u16string(rest.substr(0, rest.find(u',')));
}
