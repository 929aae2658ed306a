#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One mistake found in a story, at a position of its text.
struct CheckFinding {
  enum class Severity { Error, Warning };

  int64_t Pos = 1;
  Severity Level = Severity::Error;
  std::string Message;
};

using CheckFindings = std::vector<CheckFinding>;
