#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Runs the language server over one fuzz input as its standard input, and
// checks what it writes: every message framed, JSON, and JSON-RPC 2.0.
// Returns what went wrong, or the empty string.
//
// Byte 0 says what goes in front of the rest, so that the fuzzer need not
// find a whole conversation's opening itself: bit 0 an initialize request,
// bit 1 with UTF-8 positions offered, bit 2 a didOpen of the worked example
// story. Every byte after it is sent as it is.
std::string CheckLspStream(const uint8_t* data, size_t size);

// The opening byte 0 asks for, framed.
std::string LspStreamOpening(uint8_t flags);
