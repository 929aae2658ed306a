#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Replays one fuzz input through the window's handlers on a headless window
// and checks the story state after every event. Returns a description of the
// first broken rule, or the empty string when every event kept them all.
//
// Layout of an input: byte 0 says how many event bytes follow (so no input
// runs more than 255 events), then come the events, and every byte after them
// is the story file's text as UTF-16 little-endian (an odd last byte is
// dropped). The text may hold anything: lone CRs and LFs, NULs, surrogates.
std::string RunStoryEvents(const uint8_t* data, size_t size);

// Building inputs by hand, for the seed corpus and the regression tests.
namespace StoryEvents {

// What the Open dialog answers. The story's own text is on offer under three
// names: whole, without its first line (so a second story can be opened), and
// one whose reading fails halfway.
enum class Answer : uint8_t { Cancel, Story, StoryTail, Missing, Broken, EmptyFile };

uint8_t Down(uint8_t shift = 0);
uint8_t Digit(int key);   // main row, key 0..6 (0 and 6 border the choice keys)
uint8_t Keypad(int key);  // keypad, key 0..6
uint8_t Space();
uint8_t RestoreWindow();
uint8_t Open(Answer answer);
uint8_t OtherKey(int which);  // 0..15: keys that must do nothing
uint8_t Exit();

std::vector<uint8_t> Encode(std::u16string_view story, const std::vector<uint8_t>& events);

}  // namespace StoryEvents
