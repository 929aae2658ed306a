#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/vln/check/CheckFinding.h"
#include "tools/vln/lsp/EditorStory.h"

// What the story file on disk says of its line ends, read when the editor
// opens or saves it: an editor may have lost the difference between CR LF
// and a lone LF on the way into its text, the file has not.
struct SavedStory {
  // A lone LF of the file, as `vln check` reports it for the file.
  struct LoneLineFeed {
    size_t Line = 0;  // 1-based, counted as an editor does, as vln check does
    CheckFinding Finding;
  };

  // Whether most of the file's line breaks hold a CR (CR LF, or a lone CR)
  // rather than being LF alone: an editor that makes every break of a file
  // the same (VS Code) makes them what most of them are.
  bool BreaksHoldCr = false;
  std::vector<LoneLineFeed> LoneLineFeeds;
};

// The file's bytes read as the reader reads them; nothing when it cannot be
// read or is larger than `maxBytes`.
std::optional<SavedStory> ReadSavedStory(const std::string& path, size_t maxBytes);
// The same for bytes already read.
SavedStory SavedStoryOf(std::string_view bytes);

// How the editor will save each lone LF of `editorText`, given the file it
// last read or wrote: a file whose breaks hold CR, while the editor's text
// has LF and no CR at all, is converted on the way in and out, so each LF is
// the break the editor writes. Anything else is saved as it is held.
SavedLineFeed SavedLineFeedOf(const SavedStory& file, std::u16string_view editorText);

// The path a `file:` URI names, or nothing for any other URI.
std::optional<std::string> FilePathOfUri(std::string_view uri);
