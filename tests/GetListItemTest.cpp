#include "story/mdlFunction.h"

#include <gtest/gtest.h>

#include "tests/StoryTestSupport.h"

namespace {

TEST(GetListItem, PicksItemsExactlyAsWritten) {
  const struct {
    std::u16string list;
    int index;
    std::u16string expected;
    const char* why;
  } cases[] = {
      {u"A,B,C", 0, u"A", "first item"},
      {u"A,B,C", 2, u"C", "last item"},
      {u"A,B,C", 3, u"", "past the end"},
      {u"A, B", 1, u" B", "spaces after a comma belong to the item"},
      {u"A,,B", 1, u"", "empty item"},
      {u"A,,B", 2, u"B", "item after an empty one"},
      {u"", 0, u"", "empty list"},
      {u"", 4, u"", "empty list, any index"},
      {u"A", 0, u"A", "single item"},
      {u"A", 1, u"", "single item, second"},
      {u"A,", 1, u"", "trailing comma"},
      {u"[up],[sleep]", 1, u"[sleep]", "bracketed labels"},
      {u"A,B", -1, u"", "negative index"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetListItem(c.list, c.index), c.expected) << c.why;
  }
}

// Commas past 32,767 units once overflowed a 16-bit counter; they must not.
TEST(GetListItem, LongListsWork) {
  std::u16string list(40000, u'x');
  list += u",far,farther";
  EXPECT_EQ(GetListItem(list, 0), std::u16string(40000, u'x'));
  EXPECT_EQ(GetListItem(list, 1), u"far");
  EXPECT_EQ(GetListItem(list, 2), u"farther");
  EXPECT_EQ(GetListItem(list, 3), u"");
}

}  // namespace
