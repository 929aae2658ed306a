#include "story/StoryCommand.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A command's switches as a word: the flags it turns on ("A"), off ("b"),
// and "!" when it ends the story.
std::string Switches(const CommandSwitches& found) {
  std::string out;
  for (size_t flag = 0; flag < found.On.size(); ++flag) {
    if (found.On[flag]) out += static_cast<char>('A' + flag);
    if (found.Off[flag]) out += static_cast<char>('a' + flag);
  }
  return found.Ends ? out + "!" : out;
}

TEST(ReadCommand, FindsEveryKeywordAsTheInterpreterDoes) {
  const struct {
    const char* why;
    std::u16string command;
    const char* switches;
  } rows[] = {
      {"nothing", u"", ""},
      {"one flag on", u"AON", "A"},
      {"any case", u"bOn eoff", "Be"},
      {"on and off of one flag", u"COFF CON", "Cc"},
      {"inside another word", u"xxDONxx", "D"},
      {"END anywhere, in any case", u"weekend", "!"},
      {"keywords sharing letters", u"AONEND", "A!"},
      {"F is no flag", u"FON FOFF", ""},
      {"OF is not OFF", u"AOF", ""},
      {"a full-width letter is no keyword", u"\uFF21ON", ""},
      {"every flag and END", u"aon,bon,coff,doff,eon::end", "ABcdE!"},
  };
  for (const auto& row : rows) EXPECT_EQ(Switches(ReadCommand(row.command)), row.switches) << row.why;
}

}  // namespace
