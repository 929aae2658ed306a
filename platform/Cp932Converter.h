#pragma once

#include <cstddef>

// The system's own converter for code page 932, asked about one code at a
// time. The decoder asks it once for every one- and two-byte code and keeps
// the answers in a table, so stories read exactly as the system reads text.
class Cp932Converter {
 public:
  enum class Outcome {
    Unit,        // the bytes are one code, giving one UTF-16 unit
    CutOff,      // the bytes begin a code that needs more of them
    Invalid,     // the bytes are no code
    Unexpected,  // an answer no table can hold
  };

  Cp932Converter();
  Cp932Converter(const Cp932Converter&) = delete;
  Cp932Converter& operator=(const Cp932Converter&) = delete;
  ~Cp932Converter();

  // False when the system has no such converter.
  bool Available() const { return handle_ != nullptr; }
  // What the system makes of `bytes` (one or two of them) on their own.
  Outcome Convert(const unsigned char* bytes, size_t size, char16_t& unit) const;

 private:
  void* handle_ = nullptr;
};
