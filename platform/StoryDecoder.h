#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// How the bytes of a story file are read. Japanese Windows writes code page
// 932; Linux editors write UTF-8, sometimes UTF-16 with a byte order mark.
enum class StoryEncoding { Utf8, Utf16LE, Utf16BE, Cp932 };

// The encoding a story's bytes are read in, from their first bytes and, when
// there is no byte order mark, from whether they are valid UTF-8:
//   EF BB BF -> UTF-8, FF FE -> UTF-16LE, FE FF -> UTF-16BE;
//   no mark, valid UTF-8 holding a non-ASCII byte -> UTF-8;
//   anything else -> CP932 (ASCII reads the same either way).
StoryEncoding DetectStoryEncoding(std::string_view bytes);

// Whether the bytes are well-formed UTF-8, as the detection above judges it
// (all ASCII is).
bool IsUtf8(std::string_view bytes);

// The most UTF-16 units `byteCount` bytes can decode to, decided by the byte
// order mark alone, so a file's size can be judged from its first three
// bytes before the rest is read. UTF-8 and CP932 give at most one unit per
// byte (a four-byte UTF-8 sequence gives two); UTF-16 gives one per two bytes
// (an odd last byte becomes one replacement character).
uint64_t MaxDecodedLength(std::string_view firstBytes, uint64_t byteCount);

// Decodes story bytes to UTF-16 in the detected encoding, dropping a byte
// order mark. A byte that does not decode becomes U+FFFD and decoding goes on
// with the next byte; nothing makes it stop early. `out` must have room for
// MaxDecodedLength(bytes, bytes.size()) units; returns how many were written.
size_t DecodeStory(std::string_view bytes, char16_t* out);

// The same into a string, for callers that do not mind the extra copy.
std::u16string DecodeStory(std::string_view bytes);

// Writes text in code page 932 so that DecodeStory reads it back as it is:
// each unit as the first code that reads as it. Returns the index of the
// first unit code page 932 has no code for, or npos when all were written;
// `out` then holds what came before it.
size_t EncodeCp932(std::u16string_view text, std::string& out);

// UTF-16 holds no surrogate that is not half of a pair once decoded: each
// becomes U+FFFD. Text that is UTF-16 already is read the same way.
bool HasLoneSurrogate(std::u16string_view units);
void MendLoneSurrogates(char16_t* units, size_t count);
