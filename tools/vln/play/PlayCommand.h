#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/TextFileInput.h"

// `vln play [--json] STORY [EVENT...]`; `args` are the words after "play".
// With no EVENT the events come from `in`, one per line, and every result is
// written as soon as it is known so that an author can play interactively.
// Returns the exit status: 0 when the events ran, 2 for a bad event or usage.
int RunPlay(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
            std::ostream& err, TextFileInput& input);
