#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One mistake found in a story, at a position of its text. `Pos` and `Length`
// cover exactly what is wrong (a target's name, a marker, a label), so that an
// editor can underline it; positions are 1-based units of the story text.
struct CheckFinding {
  enum class Severity { Error, Warning };
  // Another place worth seeing, such as the first definition of a label that
  // is defined twice.
  struct Place {
    int64_t Pos = 1;
    int64_t Length = 0;
    std::string Message;
  };
  int64_t Pos = 1;
  Severity Level = Severity::Error;
  std::string Message;
  int64_t Length = 0;  // 0: the finding points at `Pos` alone
  std::string Code;    // stable per kind of finding, for editors and scripts
  std::vector<Place> Related;
};

using CheckFindings = std::vector<CheckFinding>;
