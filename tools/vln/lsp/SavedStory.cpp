#include "tools/vln/lsp/SavedStory.h"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "platform/FileName.h"
#include "platform/StoryDecoder.h"
#include "tools/vln/lsp/StoryAnalysis.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

size_t LoneLineFeedCount(std::u16string_view text) {
  size_t count = 0;
  for (size_t at = text.find(u'\n'); at != std::u16string_view::npos; at = text.find(u'\n', at + 1)) {
    if (at == 0 || text[at - 1] != u'\r') ++count;
  }
  return count;
}

}  // namespace

SavedStory SavedStoryOf(std::string_view bytes) {
  SavedStory saved;
  const std::u16string units = DecodeStory(bytes);
  const size_t loneLineFeeds = LoneLineFeedCount(units);
  saved.BreaksHoldCr = static_cast<size_t>(std::count(units.begin(), units.end(), u'\r')) > loneLineFeeds;
  // The whole check runs only for a file that has something to find.
  if (loneLineFeeds == 0) return saved;
  // The decoded units are what the reader's loader reads from the file.
  StoryAnalysis analysis(units);
  for (const CheckFinding& finding : analysis.Findings()) {
    if (finding.Code != "lone-line-feed") continue;
    saved.LoneLineFeeds.push_back({static_cast<size_t>(analysis.Lines().FileLineAt(finding.Pos)), finding});
  }
  return saved;
}

std::optional<SavedStory> ReadSavedStory(const std::string& path, size_t maxBytes) {
  // The path comes from a URI, so it is UTF-8 on every platform, as the
  // program's file names are.
  std::ifstream file;
  if (!OpenRegularToRead(file, path)) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
    bytes.append(buffer, static_cast<size_t>(file.gcount()));
    if (bytes.size() > maxBytes) return std::nullopt;
  }
  if (file.bad()) return std::nullopt;
  return SavedStoryOf(bytes);
}

SavedLineFeed SavedLineFeedOf(const SavedStory& file, std::u16string_view editorText) {
  const bool lineFeedsOnly = editorText.find(u'\r') == std::u16string_view::npos &&
                             editorText.find(u'\n') != std::u16string_view::npos;
  return file.BreaksHoldCr && lineFeedsOnly ? SavedLineFeed::AsBreak : SavedLineFeed::AsItIs;
}

std::optional<std::string> FilePathOfUri(std::string_view uri) {
  constexpr std::string_view Scheme = "file://";
  if (uri.size() < Scheme.size()) return std::nullopt;
  for (size_t i = 0; i < Scheme.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(uri[i])) != Scheme[i]) return std::nullopt;
  }
  uri.remove_prefix(Scheme.size());
  // An empty authority or localhost is this machine; any other is not ours.
  const size_t slash = uri.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::string_view host = uri.substr(0, slash);
  if (!host.empty() && host != "localhost") return std::nullopt;
  uri.remove_prefix(slash);
  std::string path;
  for (size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() && HexValue(uri[i + 1]) >= 0 && HexValue(uri[i + 2]) >= 0) {
      path += static_cast<char>(HexValue(uri[i + 1]) * 16 + HexValue(uri[i + 2]));
      i += 2;
    } else {
      path += uri[i];
    }
  }
  // file:///C:/story.vln is C:/story.vln on Windows.
  if (path.size() >= 3 && path[0] == '/' && std::isalpha(static_cast<unsigned char>(path[1])) && path[2] == ':') {
    path.erase(0, 1);
  }
  return path;
}
