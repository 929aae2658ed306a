#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/vln/reading/StoryLines.h"

// The story text the reader would hold for an editor's document, and the way
// between the two. The editor ends a line at CR LF, CR and LF; the reader's
// loader at CR LF and a lone CR only, and puts CR LF after every line, so a
// lone CR grows into CR LF, a missing last break is added, and a lone LF
// stays inside its line. The story text is built by the reader's own loader
// over the platform's own line splitting, from the text the editor holds,
// never from the file on disk.
//
// An editor that converts line ends (Emacs with a `-dos` coding system)
// holds LF alone for every break and writes each as CR LF when it saves:
// there each lone LF of its text is read as the break it will be.
enum class SavedLineFeed { AsItIs, AsBreak };

class EditorStory {
 public:
  explicit EditorStory(std::u16string_view editorText, SavedLineFeed lineFeeds = SavedLineFeed::AsItIs);
  EditorStory(const EditorStory&) = delete;
  EditorStory& operator=(const EditorStory&) = delete;

  // Empty for an empty document, and for one too long for the reader.
  const std::u16string& Text() const { return text_; }
  const StoryLines& Lines() const { return lines_; }
  size_t EditorSize() const { return editorSize_; }

  // The editor offset of the 1-based story position `pos`. A position on the
  // LF the loader added after a lone CR goes to the end of that CR, and one
  // past the story's end to the end of the document.
  size_t EditorOffset(int64_t pos) const;
  // The 1-based story position of an editor offset; an offset inside a CR LF
  // goes to the story's LF.
  int64_t StoryPos(size_t offset) const;

  // The break a new line should get, in the editor's own line ends: the
  // document's first CR LF or lone CR; without either, LF where the editor
  // writes it as a break, else CR LF (a lone LF is no break for the reader).
  std::u16string_view NewLineBreak() const { return newLineBreak_; }
  // Whether the editor's text holds a CR LF: an editor that converts line
  // ends holds none, so a CR LF put into this text is saved as it is, never
  // as CR CR LF.
  bool HoldsCrLf() const { return holdsCrLf_; }
  // Whether the document's last line ends with a break the reader keeps.
  bool EndsWithBreak() const { return endsWithBreak_; }

 private:
  // Where each story line came from in the editor's text.
  struct Origin {
    size_t EditorStart = 0;
    size_t BreakLength = 0;  // 2 for CR LF, 1 for a lone CR, 0 at the end
  };

  void Load(std::u16string_view editorText, SavedLineFeed lineFeeds);

  std::u16string text_;
  std::vector<Origin> origins_;
  StoryLines lines_;
  size_t editorSize_ = 0;
  std::u16string_view newLineBreak_ = u"\r\n";
  bool endsWithBreak_ = false;
  bool holdsCrLf_ = false;
};
