#include "tools/vln/play/PlayEvent.h"

#include <array>
#include <utility>

namespace {

struct NamedKey {
  std::string_view Name;
  uint16_t KeyCode;
};

constexpr std::array<NamedKey, 14> NamedKeys{{
    {"down", 40}, {"up", 38}, {"space", 32}, {"enter", 13},
    {"1", 49}, {"2", 50}, {"3", 51}, {"4", 52}, {"5", 53},
    {"kp1", 97}, {"kp2", 98}, {"kp3", 99}, {"kp4", 100}, {"kp5", 101},
}};

// "key:N" with N a plain decimal number that fits a virtual-key code.
std::optional<uint16_t> NumberedKey(std::string_view name) {
  constexpr std::string_view Prefix = "key:";
  if (!name.starts_with(Prefix)) return std::nullopt;
  const std::string_view digits = name.substr(Prefix.size());
  if (digits.empty()) return std::nullopt;
  uint32_t value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint32_t>(c - '0');
    if (value > 65535) return std::nullopt;
  }
  return static_cast<uint16_t>(value);
}

std::optional<uint16_t> KeyCodeOf(std::string_view name) {
  for (const NamedKey& key : NamedKeys) {
    if (key.Name == name) return key.KeyCode;
  }
  return NumberedKey(name);
}

// Strips "shift+", "ctrl+" and "alt+" from the front, in any order.
int16_t TakeModifiers(std::string_view& name) {
  constexpr std::array<std::pair<std::string_view, int16_t>, 3> Modifiers{{
      {"shift+", ShiftState::Shift}, {"ctrl+", ShiftState::Ctrl}, {"alt+", ShiftState::Alt}}};
  int16_t shift = 0;
  for (bool found = true; found;) {
    found = false;
    for (const auto& [prefix, bit] : Modifiers) {
      if (name.starts_with(prefix)) {
        name.remove_prefix(prefix.size());
        shift = static_cast<int16_t>(shift | bit);
        found = true;
      }
    }
  }
  return shift;
}

}  // namespace

std::optional<PlayEvent> ParsePlayEvent(std::string_view word) {
  PlayEvent event;
  event.Word = std::string(word);
  if (word == "open") {
    event.EventKind = PlayEvent::Kind::Open;
    return event;
  }
  if (word == "exit") {
    event.EventKind = PlayEvent::Kind::Exit;
    return event;
  }
  if (word == "cancel") {
    event.EventKind = PlayEvent::Kind::Cancel;
    return event;
  }
  if (word.starts_with("file:")) {
    // An empty name is no answer a dialog can give.
    if (word.size() == 5) return std::nullopt;
    event.EventKind = PlayEvent::Kind::File;
    event.Path = std::string(word.substr(5));
    return event;
  }
  std::string_view key = word;
  event.Shift = TakeModifiers(key);
  const std::optional<uint16_t> code = KeyCodeOf(key);
  if (!code) return std::nullopt;
  event.EventKind = PlayEvent::Kind::Key;
  event.KeyCode = *code;
  return event;
}
