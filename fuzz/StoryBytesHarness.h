#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Reads one fuzz input as a story file: decoded by the file input, split into
// lines and joined by the loader, exactly as opening it from disk would.
// Returns what went wrong, or the empty string.
//
// Byte 0 picks a byte order mark to put in front of the rest (none, UTF-8,
// UTF-16LE, UTF-16BE), so every encoding is reached without the fuzzer having
// to find the marks itself; every byte after it is the file's content.
std::string CheckStoryBytes(const uint8_t* data, size_t size);
