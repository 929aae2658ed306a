#pragma once

#include <string>

#include "platform/TextFileInput.h"

// Reads the story file at `path` as the reader's Open command does, through
// the reader's own loader. Returns false when the file cannot be read:
// nothing, or only the lines before a read error, is not the story. `text`
// is empty for an empty file.
bool ReadStoryFile(const std::string& path, TextFileInput& input, std::u16string& text);
