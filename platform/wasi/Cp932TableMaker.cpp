// Writes Cp932Table.h's tables as C++ from this machine's iconv, through the
// same converter the POSIX reader asks (posix/Cp932Converter.cpp).
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Cp932Converter.h"
#include "platform/wasi/Cp932Table.h"

namespace {

using Outcome = Cp932Converter::Outcome;

int Fail(const std::string& why) {
  std::fprintf(stderr, "Cp932TableMaker: %s\n", why.c_str());
  return 1;
}

void PrintUnits(std::FILE* out, const char16_t* units, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    std::fprintf(out, "%s0x%04X,", i % 12 == 0 ? "\n " : " ", static_cast<unsigned>(units[i]));
  }
}

}  // namespace

// Cp932TableMaker OUTPUT.cpp
int main(int argc, char** argv) {
  if (argc != 2) return Fail("usage: Cp932TableMaker OUTPUT.cpp");
  const Cp932Converter converter;
  if (!converter.Available()) return Fail("this C library's iconv has no CP932");
  unsigned kinds[256] = {};
  char16_t singles[256] = {};
  std::vector<unsigned> leads;
  std::vector<char16_t> pairs;
  for (unsigned byte = 0; byte < 256; ++byte) {
    const unsigned char one[1] = {static_cast<unsigned char>(byte)};
    char16_t unit = 0;
    switch (converter.Convert(one, 1, unit)) {
      case Outcome::Unit:
        kinds[byte] = static_cast<unsigned>(Cp932Kind::Single);
        singles[byte] = unit;
        break;
      case Outcome::CutOff:
        kinds[byte] = static_cast<unsigned>(Cp932Kind::Lead);
        leads.push_back(byte);
        for (unsigned trail = 0; trail < 256; ++trail) {
          const unsigned char two[2] = {static_cast<unsigned char>(byte),
                                        static_cast<unsigned char>(trail)};
          char16_t pair = 0;
          const Outcome outcome = converter.Convert(two, 2, pair);
          if (outcome == Outcome::Invalid) pair = 0;
          if ((outcome != Outcome::Unit || pair == 0) && outcome != Outcome::Invalid) {
            return Fail("bytes " + std::to_string(byte) + " " + std::to_string(trail) +
                        " are neither one unit nor refused");
          }
          pairs.push_back(pair);
        }
        break;
      case Outcome::Invalid:
        break;
      case Outcome::Unexpected:
        return Fail("byte " + std::to_string(byte) + " gives more than one unit");
    }
  }
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) return Fail(std::string("cannot write ") + argv[1]);
  std::fprintf(out, "// Made by Cp932TableMaker from this machine's iconv.\n"
              "#include \"platform/wasi/Cp932Table.h\"\n\nconst Cp932Kind Cp932Kinds[256] = {");
  for (unsigned byte = 0; byte < 256; ++byte) {
    std::fprintf(out, "%sCp932Kind(%u),", byte % 8 == 0 ? "\n " : " ", kinds[byte]);
  }
  std::fprintf(out, "\n};\n\nconst char16_t Cp932Singles[256] = {");
  PrintUnits(out, singles, 256);
  std::fprintf(out, "\n};\n\nconst unsigned char Cp932LeadRows[256] = {");
  unsigned rows[256] = {};
  for (size_t row = 0; row < leads.size(); ++row) rows[leads[row]] = static_cast<unsigned>(row);
  for (unsigned byte = 0; byte < 256; ++byte) std::fprintf(out, "%s%u,", byte % 16 == 0 ? "\n " : " ", rows[byte]);
  std::fprintf(out, "\n};\n\nconst char16_t Cp932Pairs[][256] = {");
  for (size_t row = 0; row < leads.size(); ++row) {
    std::fprintf(out, "\n {");
    PrintUnits(out, pairs.data() + row * 256, 256);
    std::fprintf(out, "\n },");
  }
  std::fprintf(out, "\n};\n");
  return std::fclose(out) != 0 ? Fail("cannot write the table") : 0;
}
