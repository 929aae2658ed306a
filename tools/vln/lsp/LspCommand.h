#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `vln lsp [--stdio]`: the language server on standard input and output.
// Returns the exit status: 0 after shutdown and exit, 1 when the input ended
// or exit came without shutdown, 2 for bad usage.
int RunLsp(const std::vector<std::string>& args, std::ostream& err);
