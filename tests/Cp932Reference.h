#pragma once

#include <string>
#include <string_view>

// What the system's code page 932 converter gives when called over and over,
// one replacement and one byte skipped at each stop: the decoder's table must
// read every code the same way. Each platform's tests bring their own.
std::u16string DecodeWithConverterAlone(std::string_view bytes);
