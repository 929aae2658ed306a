#pragma once

#include <string>
#include <vector>

// cmd and PowerShell hand "*.vln" to a program as it was typed, and Windows
// programs expand it themselves. The names an argument with * or ? matches,
// each with the pattern's folder in front as it was written, in the order of
// their names; the argument itself when it has no wildcard or matches
// nothing, so that the program reports a file it cannot read.
std::vector<std::wstring> ExpandWildcards(const std::wstring& argument);
