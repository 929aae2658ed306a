#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Picks a list item the plain way: cut the whole list at every comma, then
// index the pieces. Slow and obviously right, to hold the real one against.
std::u16string ListItemByOracle(std::u16string_view list, int index);

// Checks GetListItem on one fuzz input: byte 0 picks the index (0..6, past
// the five a choice can use), byte 1 how many times the list is repeated
// (so lists reach past 32,767 characters), and the rest is the list as
// UTF-16 little-endian. Returns what went wrong, or the empty string.
std::string CheckListItem(const uint8_t* data, size_t size);
