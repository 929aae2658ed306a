#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TextFileInput.h"

// Text files that live in memory, already decoded, split into lines by the
// same rule as the real file input: CR LF or a lone CR ends a line, a lone LF
// stays inside it, and the last line needs no break. A file can be made to
// fail partway, as a disk read error would.
class MemoryTextInput : public TextFileInput {
 public:
  struct File {
    std::vector<std::u16string> Lines;
    // Reading fails instead of returning line number FailAt (0-based).
    std::optional<size_t> FailAt;
  };

  static std::vector<std::u16string> SplitLines(std::u16string_view text);

  void AddFile(const std::string& name, File file) { files_[name] = std::move(file); }

  bool Open(const std::string& path) override;
  ReadResult ReadLine(std::u16string_view& line) override;
  void Close() override { open_ = nullptr; }

 private:
  std::map<std::string, File> files_;
  const File* open_ = nullptr;
  size_t next_ = 0;
};
