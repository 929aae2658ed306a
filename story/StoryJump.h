#pragma once

#include <cstdint>
#include <string_view>

#include "story/StoryState.h"

// Whether a jump line's jump is conditional, as the interpreter reads it: of
// every ">>" followed by a flag letter anywhere in the line, the earliest
// letter decides, at its first such marker.
struct JumpCondition {
  int Flag = FlagCount;  // FlagCount: the jump is plain
  int64_t MarkerAt = 0;  // where the deciding ">>" stands, 0 when plain
};

// `jump` is where the line's first ">>" stands.
JumpCondition ReadJumpCondition(std::u16string_view line, int64_t jump);
