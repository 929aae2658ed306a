#include "story/StoryCommand.h"

#include <string>

#include "story/StoryStrings.h"

CommandSwitches ReadCommand(std::u16string_view command) {
  const std::u16string upper = StoryUpperCase(command);
  const std::u16string_view text = upper;
  // One pass over the command finds every keyword.
  CommandSwitches found;
  for (size_t i = 0; i < text.size(); ++i) {
    const std::u16string_view rest = text.substr(i);
    found.Ends = found.Ends || rest.starts_with(u"END");
    if (text[i] < u'A' || text[i] >= u'A' + FlagCount) continue;
    const auto flag = static_cast<size_t>(text[i] - u'A');
    found.On[flag] = found.On[flag] || rest.substr(1).starts_with(u"ON");
    found.Off[flag] = found.Off[flag] || rest.substr(1).starts_with(u"OFF");
  }
  return found;
}
