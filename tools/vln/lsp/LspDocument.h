#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/vln/lsp/EditorLines.h"
#include "tools/vln/lsp/LspJson.h"
#include "tools/vln/lsp/LspPositions.h"
#include "tools/vln/lsp/SavedStory.h"
#include "tools/vln/lsp/StoryAnalysis.h"

// One open document as the editor holds it, and the translation between the
// protocol's positions and the story's.
class LspDocument {
 public:
  LspDocument(std::string uri, int64_t version, std::u16string text, PositionEncoding encoding,
              SavedLineFeed lineFeeds = SavedLineFeed::AsItIs);

  const std::string& Uri() const { return uri_; }
  int64_t Version() const { return version_; }
  const std::u16string& Text() const { return text_; }
  const EditorLines& Lines() const { return *lines_; }
  PositionEncoding Encoding() const { return encoding_; }

  void Replace(std::u16string text, int64_t version);
  // Replaces the units between two offsets (in either order, clamped to the
  // text) with `text`.
  void Edit(size_t from, size_t to, std::u16string_view text);
  void SetVersion(int64_t version) { version_ = version; }

  // The file on disk as the editor opened or saved it. Unless the client
  // said how it saves line breaks, the file decides whether the editor's
  // lone LFs are breaks it will write.
  void FileRead(SavedStory file, bool clientSaid);
  // The file's lone LFs where the editor's text holds none the reader would
  // keep: the editor has lost them on the way in and will write breaks
  // there, but until it saves the reader reads the file as it is.
  const std::vector<SavedStory::LoneLineFeed>& SavedLoneLineFeeds();
  // The semantic tokens last sent in whole, and the id they went with, for
  // the next request to send only what changed.
  struct SentTokens {
    uint64_t Count = 0;  // how many went out, for each its own id
    std::string ResultId;
    std::vector<uint32_t> Data;
  };
  SentTokens& LastTokens() { return lastTokens_; }
  // The semantic tokens of the whole current text, once worked out. An edit
  // inside a line of plain text leaves them as they are: that line holds
  // none, and no other line moves.
  std::optional<std::vector<uint32_t>>& WholeTokens() { return wholeTokens_; }
  // The outline's answer last written, kept the same way: where each
  // passage's entry begins (and, last, where the list ends), and the story
  // lines edited since, whose entries are to be written again.
  struct WrittenOutline {
    std::string Text;
    std::vector<size_t> Starts;
    std::vector<size_t> EditedLines;
    // The last answer's buffers, for the next to be written into.
    std::string SpareText;
    std::vector<size_t> SpareStarts;
  };
  std::optional<WrittenOutline>& Outline() { return outline_; }

  // The analysis of the current text, made when first asked for.
  StoryAnalysis& Analysis();

  // Protocol positions and ranges.
  std::optional<size_t> OffsetOf(const Json& position) const;
  Json PositionOf(size_t offset) const;
  Json RangeOf(size_t from, size_t to) const;
  // The editor range of story units [pos, pos + length).
  Json StoryRange(int64_t pos, int64_t length);
  // The story position a protocol position stands for.
  std::optional<int64_t> StoryPosOf(const Json& position);

 private:
  void Changed();
  // The analysis and all that is kept of it are made again when next asked for.
  void ForgetAnalysis();

  std::string uri_;
  int64_t version_;
  std::u16string text_;
  PositionEncoding encoding_;
  std::unique_ptr<EditorLines> lines_;
  std::unique_ptr<StoryAnalysis> analysis_;
  SavedLineFeed lineFeeds_;
  std::vector<SavedStory::LoneLineFeed> savedLoneLineFeeds_;
  SentTokens lastTokens_;
  std::optional<std::vector<uint32_t>> wholeTokens_;
  std::optional<WrittenOutline> outline_;
};
