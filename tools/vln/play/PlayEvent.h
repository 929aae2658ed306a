#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// One thing an author's script does to the reader.
struct PlayEvent {
  enum class Kind {
    Open,    // File > Open
    Exit,    // File > Exit
    Key,     // a key-down with KeyCode and Shift
    File,    // from now on the Open dialog answers Path
    Cancel,  // the next Open dialog is cancelled
  };

  Kind EventKind = Kind::Open;
  // The word as the author wrote it; reports echo it back unchanged.
  std::string Word;
  uint16_t KeyCode = 0;
  int16_t Shift = 0;
  std::string Path;
};

// Modifier bits of the Shift argument, as the window reports them.
namespace ShiftState {
inline constexpr int16_t Shift = 1;
inline constexpr int16_t Ctrl = 2;
inline constexpr int16_t Alt = 4;
}  // namespace ShiftState

// Nothing when `word` is no event the tool knows.
std::optional<PlayEvent> ParsePlayEvent(std::string_view word);
