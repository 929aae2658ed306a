// Code page 932 under WASI, from the table made at build time from the build
// machine's iconv: it answers as that iconv does.
#include "platform/Cp932Converter.h"

#include "platform/wasi/Cp932Table.h"

Cp932Converter::Cp932Converter() : handle_(const_cast<Cp932Kind*>(Cp932Kinds)) {}

Cp932Converter::~Cp932Converter() = default;

Cp932Converter::Outcome Cp932Converter::Convert(const unsigned char* bytes, size_t size,
                                                char16_t& unit) const {
  const Cp932Kind kind = Cp932Kinds[bytes[0]];
  if (kind == Cp932Kind::Invalid) return Outcome::Invalid;
  if (size == 1) {
    if (kind == Cp932Kind::Lead) return Outcome::CutOff;
    unit = Cp932Singles[bytes[0]];
    return Outcome::Unit;
  }
  // A single byte and another make two units, which iconv gives and no
  // table holds.
  if (kind == Cp932Kind::Single || size != 2) return Outcome::Unexpected;
  const char16_t pair = Cp932Pairs[Cp932LeadRows[bytes[0]]][bytes[1]];
  if (pair == 0) return Outcome::Invalid;
  unit = pair;
  return Outcome::Unit;
}
