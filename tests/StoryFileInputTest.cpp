#include <gtest/gtest.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/HeadlessWindow.h"
#include "platform/StoryFileInput.h"
#include "story/mdlRead.h"
#include "tests/StoryTestSupport.h"
#include "tests/TempFolder.h"

namespace {

using namespace std::string_view_literals;

struct ReadOutcome {
  std::vector<std::u16string> lines;
  bool failed = false;
};

ReadOutcome ReadEveryLine(TextFileInput& input) {
  ReadOutcome outcome;
  std::u16string_view line;
  for (;;) {
    const auto result = input.ReadLine(line);
    if (result == TextFileInput::ReadResult::EndOfFile) return outcome;
    if (result == TextFileInput::ReadResult::Failed) {
      outcome.failed = true;
      return outcome;
    }
    outcome.lines.emplace_back(line);
  }
}

// A hung test would hang the whole run; the alarm's default action ends the
// program instead, and ctest reports the failure.
class Deadline {
 public:
  explicit Deadline(unsigned seconds) { ::alarm(seconds); }
  ~Deadline() { ::alarm(0); }
};

TEST(StoryFileInput, SplitsLinesByTheStoryRules) {
  const struct {
    const char* why;
    std::string_view bytes;
    std::vector<std::u16string> lines;
  } cases[] = {
      {"CR LF", "one\r\ntwo\r\n"sv, {u"one", u"two"}},
      {"lone CR", "one\rtwo\r"sv, {u"one", u"two"}},
      {"no break after the last line", "one\r\ntwo"sv, {u"one", u"two"}},
      {"LF only: one line holding the LFs", "one\ntwo\n"sv, {u"one\ntwo\n"}},
      {"two breaks at the end: an empty last line", "one\r\n\r\n"sv, {u"one", u""}},
      {"CR, then CR LF", "a\r\r\nb"sv, {u"a", u"", u"b"}},
      {"CR LF, then a lone LF that starts the next line", "a\r\n\nb"sv, {u"a", u"\nb"}},
      {"lone CR at the very end", "a\r\n\r"sv, {u"a", u""}},
      {"a file of one break has one empty line", "\r\n"sv, {u""}},
      {"an empty file has no lines", ""sv, {}},
      {"breaks on both sides of a four-unit block", "abcdefg\rhijklmnopq\r\nr"sv,
       {u"abcdefg", u"hijklmnopq", u"r"}},
      {"NUL bytes are kept", "\0\0\0\r\n\0"sv, {std::u16string(3, u'\0'), std::u16string(1, u'\0')}},
      {"code page 932 lines", "\x83\x5C\x82\xA0\r\n\xB1\r"sv, {u"ソあ", u"ｱ"}},
      {"a CR after a lead byte still ends the line", "\x82\xA0\x82\r\nx"sv,
       {u"あ\uFFFD", u"x"}},
      {"UTF-8 lines, mark dropped", "\xEF\xBB\xBF\xE6\x98\x9F\r\n\xE9\xA7\x85"sv,
       {u"星", u"駅"}},
      {"UTF-16LE: breaks found in the decoded text", "\xFF\xFE" "a\0\r\0\n\0b\0\r\0"sv,
       {u"a", u"b"}},
      {"UTF-16LE: a 0x0D byte inside a character is no break", "\xFF\xFE\x30\x0D\x0A\x00"sv,
       {u"\u0D30\n"}},
      {"UTF-16BE", "\xFE\xFF\x30\x42\x00\x0D\x30\x44"sv, {u"あ", u"い"}},
  };
  TempFolder folder;
  for (const auto& c : cases) {
    const std::string path = folder.Write("story.vln", c.bytes);
    StoryFileInput fromFile;
    ASSERT_TRUE(fromFile.Open(path)) << c.why;
    EXPECT_EQ(fromFile.LengthHint(), StoryOfLines(c.lines).size()) << c.why;
    const ReadOutcome read = ReadEveryLine(fromFile);
    EXPECT_FALSE(read.failed) << c.why;
    EXPECT_EQ(read.lines, c.lines) << c.why;

    StoryFileInput fromMemory;
    ASSERT_TRUE(fromMemory.OpenBytes(c.bytes)) << c.why;
    EXPECT_EQ(ReadEveryLine(fromMemory).lines, c.lines) << c.why << " (from memory)";
  }
}

// Text that is UTF-16 already reads as a UTF-16 file of the same units:
// the same lines, the same mended surrogates, the same story length.
TEST(StoryFileInput, ReadsUnitsAsTheirUtf16File) {
  const struct {
    const char* why;
    std::u16string units;
  } cases[] = {
      {"CR at the end", u"a\r\nb\r"},
      {"CR CR LF", u"a\r\r\nb"},
      {"LF CR", u"a\n\rb\n\r"},
      {"empty lines", u"\r\n\r\n\r\r"},
      {"a mark the text holds stays", u"\uFEFFa\r\n\uFEFF"},
      {"a lone high surrogate before a break", u"a\xD83D\r\nb"},
      {"a lone high surrogate at the very end", u"abcdefgh\xD83D"},
      {"a lone low surrogate", u"\xDE00" u"abc"},
      {"a pair across a four-unit block", u"abc\U0001F600d"},
      {"a pair split by a break", u"\xD83D\r\xDE00"},
      {"only CRs", std::u16string(37, u'\r')},
      {"CR LF astride each four-unit block", u"abc\r\nabcdefg\r\nab\r\r\r\n\n\r"},
      {"nothing", u""},
  };
  for (const auto& c : cases) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : c.units) {
      bytes += static_cast<char>(unit & 0xFF);
      bytes += static_cast<char>(unit >> 8);
    }
    StoryFileInput fromBytes;
    ASSERT_TRUE(fromBytes.OpenBytes(bytes)) << c.why;
    StoryFileInput fromUnits;
    ASSERT_TRUE(fromUnits.OpenUnits(c.units)) << c.why;
    const std::vector<std::u16string> lines = ReadEveryLine(fromUnits).lines;
    EXPECT_EQ(lines, ReadEveryLine(fromBytes).lines) << c.why;
    EXPECT_EQ(fromUnits.LengthHint(), StoryOfLines(lines).size()) << c.why;
  }
}

// The loader with a real file behind the headless window's dialog: a story
// read clears FlagA to FlagC; anything else leaves every flag alone.
TEST(StoryFileInput, LoadsThroughTheDialog) {
  TempFolder folder;
  const std::string story = folder.Write("story.vln", "\x82\xA0\r\n[x]\x82\xA2::AON"sv);
  const std::string empty = folder.Write("empty.vln", ""sv);
  const struct {
    const char* why;
    std::optional<std::string> answer;
    std::u16string text;
    bool flagsCleared;
  } cases[] = {
      {"a story", story, StoryOf({u"あ", u"[x]い::AON"}), true},
      {"an empty file is read, so the flags clear", empty, u"", true},
      {"cancelled", std::nullopt, u"", false},
      {"a name typed for a file that does not exist", (folder.Path() / "none.vln").string(), u"",
       false},
      {"a folder", folder.Path().string(), u"", false},
  };
  for (const auto& c : cases) {
    StoryState state = AllFlagsOn();
    HeadlessWindow window;
    StoryFileInput input;
    window.QueueDialogAnswer(c.answer);
    EXPECT_EQ(LoadStory(state, window, input), c.text) << c.why;
    const int16_t abc = c.flagsCleared ? FlagOff : FlagOn;
    EXPECT_EQ(state.FlagA, abc) << c.why;
    EXPECT_EQ(state.FlagB, abc) << c.why;
    EXPECT_EQ(state.FlagC, abc) << c.why;
    EXPECT_EQ(state.FlagD, FlagOn) << c.why;
    EXPECT_EQ(state.FlagE, FlagOn) << c.why;
  }
}

// Each of these would block a reader that opened it without care (a FIFO
// without a writer, a device that never ends) or is no file at all.
TEST(StoryFileInput, RefusesAnythingButARegularFileAtOnce) {
  TempFolder folder;
  const std::string fifo = (folder.Path() / "fifo.vln").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0) << std::strerror(errno);

  const std::string socketPath = (folder.Path() / "socket.vln").string();
  const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(listening, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, socketPath.c_str());
  ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listening, 1), 0);

  const struct {
    const char* why;
    std::string path;
  } cases[] = {
      {"missing file", (folder.Path() / "missing.vln").string()},
      {"empty name", ""},
      {"directory", folder.Path().string()},
      {"FIFO without a writer", fifo},
      {"endless device", "/dev/zero"},
      {"endless random device", "/dev/urandom"},
      {"empty device", "/dev/null"},
      {"listening UNIX socket", socketPath},
  };
  const Deadline deadline(20);
  for (const auto& c : cases) {
    StoryFileInput input;
    EXPECT_FALSE(input.Open(c.path)) << c.why;
    StoryState state = AllFlagsOn();
    HeadlessWindow window;
    window.QueueDialogAnswer(c.path);
    EXPECT_EQ(LoadStory(state, window, input), u"") << c.why;
    EXPECT_EQ(state.FlagA, FlagOn) << c.why;
  }
  ::close(listening);
}

// The owner of a file can always read it as root, so as root the check runs
// in a child process that has given up root for the "nobody" user.
TEST(StoryFileInput, RefusesAFileWithoutReadPermission) {
  TempFolder folder;
  const std::string readable = folder.Write("readable.vln", "ok\r\n"sv);
  const std::string secret = folder.Write("secret.vln", "hidden\r\n"sv);
  ASSERT_EQ(::chmod(readable.c_str(), 0644), 0);
  ASSERT_EQ(::chmod(secret.c_str(), 0000), 0);
  if (::geteuid() != 0) {
    StoryFileInput input;
    EXPECT_TRUE(input.Open(readable));
    EXPECT_FALSE(input.Open(secret));
    return;
  }
  ASSERT_EQ(::chmod(folder.Path().c_str(), 0755), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    constexpr uid_t Nobody = 65534;
    if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0) {
      ::_exit(10);
    }
    StoryFileInput input;
    const bool readsReadable = input.Open(readable);
    const bool readsSecret = input.Open(secret);
    ::_exit((readsReadable ? 0 : 1) | (readsSecret ? 2 : 0));
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 10) GTEST_SKIP() << "running as root and cannot drop to nobody";
  EXPECT_EQ(WEXITSTATUS(status) & 1, 0) << "the readable file must open as nobody";
  EXPECT_EQ(WEXITSTATUS(status) & 2, 0) << "the file without read permission must not";
}

// Sparse files: their size is real, their disk space is not. A file whose
// text could pass the 32-bit limit fails before anything is read; how far a
// byte goes depends on the byte order mark.
TEST(StoryFileInput, RefusesFilesTooLargeForThirtyTwoBitPositions) {
  TempFolder folder;
  const struct {
    const char* why;
    std::string_view head;
    off_t size;
  } cases[] = {
      {"2 GiB of single bytes: one unit each could pass the limit", "abc"sv, off_t{1} << 31},
      {"UTF-8 mark, then 2^31 bytes", "\xEF\xBB\xBF"sv, (off_t{1} << 31) + 3},
      {"UTF-16: 2^31 units after the mark", "\xFF\xFE"sv, (off_t{1} << 32) + 2},
  };
  const Deadline deadline(20);
  for (const auto& c : cases) {
    const std::string path = folder.Write("huge.vln", c.head);
    ASSERT_EQ(::truncate(path.c_str(), c.size), 0) << std::strerror(errno);
    StoryFileInput input;
    EXPECT_FALSE(input.Open(path)) << c.why;
  }
}

// The same limits at a scale that can be read: the text, counted with the CR
// LF after every line, may hold at most `limit` units.
TEST(StoryFileInput, KeepsTheTextWithinTheLimit) {
  constexpr uint64_t Limit = 12;
  const struct {
    const char* why;
    std::string_view bytes;
    bool fits;
  } cases[] = {
      {"ten characters and the break the loader adds", "0123456789"sv, true},
      {"one more character", "01234567890"sv, false},
      {"ten characters with their own break", "0123456789\r\n"sv, true},
      {"six lone CRs become twelve units", "\r\r\r\r\r\r"sv, true},
      {"seven lone CRs become fourteen", "\r\r\r\r\r\r\r"sv, false},
      {"far more bytes than the limit", "0123456789012345678901234567890123456789"sv, false},
      {"the UTF-8 mark does not count", "\xEF\xBB\xBF" "0123456789"sv, true},
      {"twenty-two UTF-16 bytes are ten characters",
       "\xFF\xFE" "0\0" "1\0" "2\0" "3\0" "4\0" "5\0" "6\0" "7\0" "8\0" "9\0"sv, true},
      {"three four-byte UTF-8 characters: twelve bytes, six units",
       "\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80"sv, true},
      {"thirteen bytes could give thirteen units, so they are refused unread",
       "\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80" "a"sv, false},
  };
  TempFolder folder;
  for (const auto& c : cases) {
    const std::string path = folder.Write("story.vln", c.bytes);
    StoryFileInput fromFile(Limit);
    EXPECT_EQ(fromFile.Open(path), c.fits) << c.why;
    StoryFileInput fromMemory(Limit);
    EXPECT_EQ(fromMemory.OpenBytes(c.bytes), c.fits) << c.why << " (from memory)";
  }
}

// Steps through a loaded story the way the Down arrow does, for as long as
// there are lines, and checks the story text keeps its shape.
void StepThrough(const std::u16string& text) {
  ASSERT_FALSE(text.empty());
  ASSERT_EQ(text.substr(text.size() - 2), u"\r\n");
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == u'\n') << "lone CR at " << i;
    }
  }
  StoryState story;
  HeadlessWindow window;
  story.StoryText = text;
  story.StoryPos = 1;
  for (int step = 0; step < 20000 && story.StoryPos > 0; ++step) {
    story.StoryPos = ShowNextLine(story, window);
  }
}

std::string Junk(size_t size, uint32_t seed) {
  std::string bytes;
  bytes.reserve(size);
  for (size_t i = 0; i < size; ++i) {
    seed = seed * 1664525u + 1013904223u;
    bytes += static_cast<char>(seed >> 24);
  }
  return bytes;
}

TEST(StoryFileInput, LoadsAndStepsThroughHostileContent) {
  std::string everyByte;
  for (int round = 0; round < 4; ++round) {
    for (int byte = 0; byte < 256; ++byte) everyByte += static_cast<char>(byte);
  }
  std::string longLine;
  while (longLine.size() < 10'000'000) longLine += "\xE9\x95\xB7";  // 長
  const struct {
    const char* why;
    std::string bytes;
  } cases[] = {
      {"binary junk", Junk(1'000'000, 1)},
      {"junk behind a UTF-8 mark", "\xEF\xBB\xBF" + Junk(100'000, 2)},
      {"junk behind a UTF-16 mark", "\xFF\xFE" + Junk(100'001, 3)},
      {"every byte value", everyByte},
      {"NUL bytes only", std::string(5000, '\0')},
      {"markup fragments", "[\r\n??\r\n::\r\n>>\r\n>>A\r\n]??,,,::END>>[\r\n[]"},
      {"10 MB on one line without a break", longLine},
  };
  TempFolder folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const std::string path = folder.Write("junk.vln", c.bytes);
    StoryState story;
    HeadlessWindow window;
    StoryFileInput input;
    window.QueueDialogAnswer(path);
    const std::u16string text = LoadStory(story, window, input);
    StepThrough(text);
  }
}

TEST(StoryFileInput, ServesTheLongLineWhole) {
  std::string longLine;
  while (longLine.size() < 10'000'000) longLine += "\xE9\x95\xB7";
  TempFolder folder;
  StoryState story;
  HeadlessWindow window;
  StoryFileInput input;
  window.QueueDialogAnswer(folder.Write("long.vln", longLine));
  story.StoryText = LoadStory(story, window, input);
  ASSERT_EQ(story.StoryText.size(), longLine.size() / 3 + 2);
  story.StoryPos = 1;
  story.StoryPos = ShowNextLine(story, window);
  EXPECT_EQ(window.CurrentCaption(), std::u16string(longLine.size() / 3, u'長'));
  EXPECT_EQ(ShowNextLine(story, window), 0);
}

// Files under /proc report a size of 0 and still have content, as does a
// file that grows while it is read: reading goes on to the real end.
TEST(StoryFileInput, ReadsPastASizeOfZero) {
  StoryFileInput input;
  ASSERT_TRUE(input.Open("/proc/self/status"));
  const ReadOutcome read = ReadEveryLine(input);
  // The file has LF line ends, so it arrives as one line holding them all.
  ASSERT_EQ(read.lines.size(), 1u);
  EXPECT_EQ(read.lines[0].substr(0, 5), u"Name:");
  EXPECT_NE(read.lines[0].find(u"\nPid:"), std::u16string::npos);
}

// Opening again, or closing, forgets the story that was open before.
TEST(StoryFileInput, EachOpenStartsAfresh) {
  TempFolder folder;
  const std::string first = folder.Write("first.vln", "a\r\nb\r\n"sv);
  StoryFileInput input;
  ASSERT_TRUE(input.Open(first));
  std::u16string_view line;
  ASSERT_EQ(input.ReadLine(line), TextFileInput::ReadResult::Line);
  EXPECT_FALSE(input.Open((folder.Path() / "missing.vln").string()));
  EXPECT_EQ(input.ReadLine(line), TextFileInput::ReadResult::EndOfFile);
  ASSERT_TRUE(input.OpenBytes("c"sv));
  EXPECT_EQ(ReadEveryLine(input).lines, std::vector<std::u16string>{u"c"});
  ASSERT_TRUE(input.Open(first));
  input.Close();
  EXPECT_EQ(input.ReadLine(line), TextFileInput::ReadResult::EndOfFile);
}

}  // namespace
