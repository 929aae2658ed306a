#pragma once

// Code page 932 as the build machine's iconv reads it, one- and two-byte
// codes, written out at build time by Cp932TableMaker: WASI's C library has
// no such converter.
enum class Cp932Kind : unsigned char { Invalid, Single, Lead };

extern const Cp932Kind Cp932Kinds[256];
// The unit of each single byte.
extern const char16_t Cp932Singles[256];
// Each lead byte's row in Cp932Pairs.
extern const unsigned char Cp932LeadRows[256];
// The unit of a lead byte and the byte after it; 0 where they are no code
// (no two-byte code is U+0000).
extern const char16_t Cp932Pairs[][256];
