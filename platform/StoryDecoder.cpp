#include "platform/StoryDecoder.h"

#include <array>
#include <cstring>
#include <vector>

#include "platform/Cp932Converter.h"
#include "platform/UnitSearch.h"

namespace {

constexpr char16_t Replacement = u'\uFFFD';
constexpr size_t NotUtf8 = static_cast<size_t>(-1);

bool StartsWith(std::string_view bytes, std::string_view mark) {
  return bytes.substr(0, mark.size()) == mark;
}

constexpr std::string_view Utf8Mark{"\xEF\xBB\xBF", 3};
constexpr std::string_view Utf16LEMark{"\xFF\xFE", 2};
constexpr std::string_view Utf16BEMark{"\xFE\xFF", 2};

// Length of the well-formed UTF-8 sequence at `p` (Unicode's table of
// well-formed byte sequences: no overlong forms, no surrogates, nothing past
// U+10FFFF), with its code point in `codePoint`; 0 when the bytes there are
// not one. `p` points at a byte of 0x80 or above.
int Utf8Sequence(const unsigned char* p, size_t left, char32_t& codePoint) {
  const unsigned lead = p[0];
  int length = 0;
  unsigned low = 0x80;
  unsigned high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (left < static_cast<size_t>(length)) return 0;
  if (p[1] < low || p[1] > high) return 0;
  codePoint = (codePoint << 6) | (p[1] & 0x3F);
  for (int i = 2; i < length; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (p[i] & 0x3F);
  }
  return length;
}

bool EightAsciiBytes(const unsigned char* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return (word & 0x8080808080808080u) == 0;
}

// Decodes UTF-8. Strict: gives NotUtf8 at the first ill-formed byte, so that
// the caller can fall back to code page 932. Otherwise an ill-formed byte
// becomes U+FFFD and decoding goes on with the next byte.
template <bool Strict>
size_t DecodeUtf8(const unsigned char* in, size_t size, char16_t* out) {
  char16_t* const start = out;
  size_t i = 0;
  while (i < size) {
    // Story text is mostly markup, digits and line breaks between the
    // Japanese, and a file may well be all ASCII: take it eight at a time.
    while (i + 8 <= size && EightAsciiBytes(in + i)) {
      for (int k = 0; k < 8; ++k) out[k] = in[i + k];
      out += 8;
      i += 8;
    }
    if (i == size) break;
    const unsigned lead = in[i];
    if (lead < 0x80) {
      *out++ = static_cast<char16_t>(lead);
      ++i;
      continue;
    }
    // Japanese is three-byte sequences almost throughout; E0 and ED, whose
    // second byte has a narrower range, take the general way below.
    if (lead >= 0xE1 && lead <= 0xEF && lead != 0xED && i + 2 < size &&
        (in[i + 1] & 0xC0) == 0x80 && (in[i + 2] & 0xC0) == 0x80) {
      *out++ = static_cast<char16_t>(((lead & 0x0F) << 12) | ((in[i + 1] & 0x3F) << 6) |
                                     (in[i + 2] & 0x3F));
      i += 3;
      continue;
    }
    char32_t codePoint = 0;
    const int length = Utf8Sequence(in + i, size - i, codePoint);
    if (length == 0) {
      if constexpr (Strict) return NotUtf8;
      *out++ = Replacement;
      ++i;
      continue;
    }
    if (codePoint >= 0x10000) {
      codePoint -= 0x10000;
      *out++ = static_cast<char16_t>(0xD800 + (codePoint >> 10));
      *out++ = static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
    } else {
      *out++ = static_cast<char16_t>(codePoint);
    }
    i += static_cast<size_t>(length);
  }
  return static_cast<size_t>(out - start);
}

// Decodes UTF-16 without its mark. A surrogate without its partner and an odd
// last byte each become U+FFFD.
size_t DecodeUtf16(const unsigned char* in, size_t size, char16_t* out, bool bigEndian) {
  const size_t units = size / 2;
  for (size_t i = 0; i < units; ++i) {
    const unsigned first = bigEndian ? in[2 * i] : in[2 * i + 1];
    const unsigned second = bigEndian ? in[2 * i + 1] : in[2 * i];
    out[i] = static_cast<char16_t>((first << 8) | second);
  }
  MendLoneSurrogates(out, units);
  size_t written = units;
  if (size % 2 != 0) out[written++] = Replacement;
  return written;
}

// Code page 932 as the system's converter reads it (the table Japanese
// Windows uses: NEC and IBM rows included, 0x5C a backslash), asked once for
// every one- and two-byte code and kept in a table. The converter decides
// from a lead byte and the byte after it, so the table reads exactly as the
// converter does, at several times its speed.
class Cp932Table {
 public:
  enum class Kind : unsigned char { Invalid, Single, Lead };
  using Outcome = Cp932Converter::Outcome;

  Cp932Table() {
    const Cp932Converter converter;
    if (!converter.Available()) return;
    usable_ = true;
    for (unsigned byte = 0; byte < 256; ++byte) {
      const unsigned char one[1] = {static_cast<unsigned char>(byte)};
      char16_t unit = 0;
      switch (converter.Convert(one, 1, unit)) {
        case Outcome::Unit:
          kinds_[byte] = Kind::Single;
          singles_[byte] = unit;
          break;
        case Outcome::CutOff:
          kinds_[byte] = Kind::Lead;
          FillPairs(converter, byte);
          break;
        case Outcome::Invalid:
          break;
        case Outcome::Unexpected:
          usable_ = false;
          break;
      }
    }
  }

  // False when the converter is missing or answered in a way a table cannot
  // hold (then nothing but ASCII can be read faithfully).
  bool Usable() const { return usable_; }

  // The code written for each unit: the first, in code order, that reads
  // back as it, so a file written from what was read holds the same bytes
  // wherever code page 932 has one code for the unit. 0 where none has.
  std::vector<uint16_t> Codes() const {
    std::vector<uint16_t> codes(65536, 0);
    for (unsigned byte = 1; byte < 256; ++byte) {
      if (kinds_[byte] == Kind::Single && codes[singles_[byte]] == 0) codes[singles_[byte]] = static_cast<uint16_t>(byte);
    }
    for (unsigned code = 256; code < 65536; ++code) {
      const char16_t unit = pairs_[code];
      if (unit != NoUnit && codes[unit] == 0) codes[unit] = static_cast<uint16_t>(code);
    }
    return codes;
  }

  size_t Decode(const unsigned char* in, size_t size, char16_t* out) const {
    char16_t* const start = out;
    size_t i = 0;
    while (i < size) {
      const unsigned byte = in[i];
      switch (kinds_[byte]) {
        case Kind::Single:
          *out++ = singles_[byte];
          ++i;
          continue;
        case Kind::Lead:
          if (i + 1 < size) {
            const char16_t unit = pairs_[byte * 256 + in[i + 1]];
            if (unit != NoUnit) {
              *out++ = unit;
              i += 2;
              continue;
            }
          }
          break;
        case Kind::Invalid:
          break;
      }
      // A byte the converter refuses, or a lead byte whose second byte is
      // wrong or cut off at the end: one replacement, then the next byte.
      *out++ = Replacement;
      ++i;
    }
    return static_cast<size_t>(out - start);
  }

 private:
  // No two-byte code decodes to U+0000, so it can mark the missing ones.
  static constexpr char16_t NoUnit = 0;

  void FillPairs(const Cp932Converter& converter, unsigned lead) {
    for (unsigned trail = 0; trail < 256; ++trail) {
      const unsigned char two[2] = {static_cast<unsigned char>(lead),
                                    static_cast<unsigned char>(trail)};
      char16_t unit = 0;
      switch (converter.Convert(two, 2, unit)) {
        case Outcome::Unit:
          if (unit == NoUnit) usable_ = false;
          pairs_[lead * 256 + trail] = unit;
          break;
        case Outcome::Invalid:
          break;
        case Outcome::CutOff:
        case Outcome::Unexpected:
          usable_ = false;
          break;
      }
    }
  }

  bool usable_ = false;
  std::array<Kind, 256> kinds_{};
  std::array<char16_t, 256> singles_{};
  std::array<char16_t, 65536> pairs_{};
};

const Cp932Table& TheCp932Table() {
  static const Cp932Table table;
  return table;
}

size_t DecodeCp932(const unsigned char* in, size_t size, char16_t* out) {
  const Cp932Table& table = TheCp932Table();
  if (table.Usable()) return table.Decode(in, size, out);
  for (size_t i = 0; i < size; ++i) out[i] = in[i] < 0x80 ? in[i] : Replacement;
  return size;
}

}  // namespace

namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

size_t FindSurrogate(const char16_t* units, size_t from, size_t count) {
  return FindUnit(units, from, count, 0xF800, 0xD800);
}

// Where the first surrogate that is not half of a pair is, or `count`.
size_t FindLoneSurrogate(const char16_t* units, size_t count) {
  for (size_t i = FindSurrogate(units, 0, count); i < count; i = FindSurrogate(units, i + 1, count)) {
    if (!IsHighSurrogate(units[i]) || i + 1 == count || !IsLowSurrogate(units[i + 1])) return i;
    ++i;
  }
  return count;
}

}  // namespace

bool HasLoneSurrogate(std::u16string_view units) {
  return FindLoneSurrogate(units.data(), units.size()) != units.size();
}

void MendLoneSurrogates(char16_t* units, size_t count) {
  for (size_t i = FindSurrogate(units, 0, count); i < count; i = FindSurrogate(units, i + 1, count)) {
    if (IsHighSurrogate(units[i]) && i + 1 < count && IsLowSurrogate(units[i + 1])) {
      ++i;
    } else {
      units[i] = Replacement;
    }
  }
}

namespace {

enum class Utf8Kind { NotUtf8, Ascii, NonAscii };

Utf8Kind Utf8KindOf(std::string_view bytes) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  bool sawNonAscii = false;
  for (size_t i = 0; i < bytes.size();) {
    if (i + 8 <= bytes.size() && EightAsciiBytes(in + i)) {
      i += 8;
      continue;
    }
    if (in[i] < 0x80) {
      ++i;
      continue;
    }
    char32_t codePoint = 0;
    const int length = Utf8Sequence(in + i, bytes.size() - i, codePoint);
    if (length == 0) return Utf8Kind::NotUtf8;
    sawNonAscii = true;
    i += static_cast<size_t>(length);
  }
  return sawNonAscii ? Utf8Kind::NonAscii : Utf8Kind::Ascii;
}

}  // namespace

StoryEncoding DetectStoryEncoding(std::string_view bytes) {
  if (StartsWith(bytes, Utf8Mark)) return StoryEncoding::Utf8;
  if (StartsWith(bytes, Utf16LEMark)) return StoryEncoding::Utf16LE;
  if (StartsWith(bytes, Utf16BEMark)) return StoryEncoding::Utf16BE;
  return Utf8KindOf(bytes) == Utf8Kind::NonAscii ? StoryEncoding::Utf8 : StoryEncoding::Cp932;
}

bool IsUtf8(std::string_view bytes) { return Utf8KindOf(bytes) != Utf8Kind::NotUtf8; }

uint64_t MaxDecodedLength(std::string_view firstBytes, uint64_t byteCount) {
  if (StartsWith(firstBytes, Utf8Mark)) return byteCount - Utf8Mark.size();
  if (StartsWith(firstBytes, Utf16LEMark) || StartsWith(firstBytes, Utf16BEMark)) {
    return (byteCount - Utf16LEMark.size() + 1) / 2;
  }
  return byteCount;
}

size_t DecodeStory(std::string_view bytes, char16_t* out) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t size = bytes.size();
  if (StartsWith(bytes, Utf8Mark)) {
    return DecodeUtf8<false>(in + Utf8Mark.size(), size - Utf8Mark.size(), out);
  }
  if (StartsWith(bytes, Utf16LEMark) || StartsWith(bytes, Utf16BEMark)) {
    return DecodeUtf16(in + 2, size - 2, out, StartsWith(bytes, Utf16BEMark));
  }
  // Decoding as UTF-8 straight away costs nothing extra for a UTF-8 file; a
  // code page 932 file with Japanese in it fails within its first few
  // characters. All-ASCII text decodes the same either way.
  const size_t written = DecodeUtf8<true>(in, size, out);
  if (written != NotUtf8) return written;
  return DecodeCp932(in, size, out);
}

std::u16string DecodeStory(std::string_view bytes) {
  std::u16string text(MaxDecodedLength(bytes.substr(0, 3), bytes.size()), u'\0');
  text.resize(DecodeStory(bytes, text.data()));
  return text;
}

size_t EncodeCp932(std::u16string_view text, std::string& out) {
  const Cp932Table& table = TheCp932Table();
  out.clear();
  out.reserve(text.size() * 2);
  static const std::vector<uint16_t> usable = table.Usable() ? table.Codes() : std::vector<uint16_t>();
  const std::vector<uint16_t>* codes = usable.empty() ? nullptr : &usable;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    // U+0000 is the one unit whose code is 0.
    const uint16_t code = unit == 0 ? 0 : codes != nullptr ? (*codes)[unit] : unit < 0x80 ? unit : 0;
    if (code == 0 && unit != 0) return i;
    if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
  }
  return std::u16string_view::npos;
}
