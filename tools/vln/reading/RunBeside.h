#pragma once

#include <cstddef>
#include <functional>

// Below this many lines a second thread costs more than it saves.
inline constexpr size_t LinesWorthAThread = 4096;

// Runs `aside` on a second thread while `here` runs on this one, for two
// parts of the work of `size` (lines, units) that share nothing either
// changes: an editor's server checks the story on every change. One after
// the other when `size` is below `worthAThread`, or when no thread can be
// had. An exception from either comes out here.
void RunBeside(size_t size, size_t worthAThread, const std::function<void()>& aside,
               const std::function<void()>& here);

// Starts the second thread ahead of the work: a thread started for the work
// itself takes milliseconds to get a processor of its own, more than a
// long story's parts save.
void ReadyTheThreadBeside();
