#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/TextFileInput.h"

// File input that serves fixed lines and can fail on open or after N lines.
// With `files` filled in, each name serves its own lines and any other name
// cannot be opened.
class ScriptedInput : public TextFileInput {
 public:
  std::vector<std::u16string> lines;
  std::map<std::string, std::vector<std::u16string>> files;
  bool openFails = false;
  std::optional<size_t> failAfter;
  std::vector<std::string> opened;
  int closes = 0;

  bool Open(const std::string& path) override {
    opened.push_back(path);
    next_ = 0;
    if (!files.empty()) {
      const auto file = files.find(path);
      if (file == files.end()) return false;
      lines = file->second;
    }
    return !openFails;
  }
  ReadResult ReadLine(std::u16string_view& line) override {
    if (failAfter && next_ == *failAfter) return ReadResult::Failed;
    if (next_ == lines.size()) return ReadResult::EndOfFile;
    line = lines[next_++];
    return ReadResult::Line;
  }
  void Close() override { ++closes; }

 private:
  size_t next_ = 0;
};
