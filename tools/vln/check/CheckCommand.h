#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/TextFileInput.h"

// `vln check STORY...`; `args` are the words after "check". Each story is read
// the way the reader reads it, and every finding is written to `out` as
// "FILE:LINE: error: ..." or "FILE:LINE: warning: ...". Returns 2 when a file
// cannot be read (or for bad usage), else 1 when there was an error, else 0.
int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             TextFileInput& input);
