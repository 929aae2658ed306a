#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/TextFileInput.h"

// Story files held in memory by name, already split into lines as the real
// file input splits them.
class VlnFakeFiles : public TextFileInput {
 public:
  std::map<std::string, std::vector<std::u16string>> files;
  // Files whose reading fails after this many lines.
  std::map<std::string, size_t> failAfter;

  bool Open(const std::string& path) override {
    const auto found = files.find(path);
    if (found == files.end()) return false;
    lines_ = &found->second;
    next_ = 0;
    const auto fails = failAfter.find(path);
    failAt_ = fails == failAfter.end() ? lines_->size() + 1 : fails->second;
    return true;
  }
  ReadResult ReadLine(std::u16string_view& line) override {
    if (lines_ == nullptr) return ReadResult::EndOfFile;
    if (next_ == failAt_) return ReadResult::Failed;
    if (next_ == lines_->size()) return ReadResult::EndOfFile;
    line = (*lines_)[next_++];
    return ReadResult::Line;
  }
  void Close() override { lines_ = nullptr; }

 private:
  const std::vector<std::u16string>* lines_ = nullptr;
  size_t next_ = 0;
  size_t failAt_ = 0;
};
