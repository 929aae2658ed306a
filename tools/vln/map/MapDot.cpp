#include "tools/vln/map/MapDot.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "tools/vln/reading/Utf8.h"

namespace {

constexpr size_t ShownUnits = 24;  // of a passage's first line
constexpr size_t NameUnits = 32;   // of a label, a choice item or a target
constexpr const char* FontName = "IPAPGothic";

// The most one UTF-16 unit can become: "&" is written "&amp;".
constexpr size_t MaxEscapedBytes = 5;

// Whether `unit` goes into a DOT label as its own UTF-8, unchanged.
bool IsPlain(char16_t unit) {
  if (unit < 0x80) return unit >= 0x20 && unit != 0x7F && unit != u'"' && unit != u'\\' && unit != u'&';
  return unit < 0xD800 || (unit > 0xDFFF && unit < 0xFFFE);
}

// Builds the DOT text through a pointer into room made ahead, so that a
// piece costs one compare and a copy: a map has tens of thousands of lines
// of a dozen pieces each, and std::string's own appends, byte by byte for
// the story's text, were most of the writer's time.
class DotWriter {
 public:
  explicit DotWriter(size_t expectedBytes) {
    dot_.reserve(expectedBytes);
    p_ = end_ = dot_.data();
  }

  // Hands the text to `sink` a piece at a time, so that a map written to a
  // file never stands in memory whole: a long story's map is megabytes of
  // memory touched once and then copied.
  explicit DotWriter(const DotSink& sink) : sink_(&sink) {
    constexpr size_t PieceBytes = 128 * 1024;
    dot_.resize(PieceBytes);
    p_ = dot_.data();
    end_ = p_ + dot_.size();
  }

  void Put(std::string_view text) {
    Room(text.size());
    p_ = std::copy(text.begin(), text.end(), p_);
  }

  // Most pieces are literals, whose length the compiler knows.
  template <size_t Size>
  void Put(const char (&text)[Size]) {
    Room(Size - 1);
    p_ = std::copy_n(text, Size - 1, p_);
  }

  void Put(char c) {
    Room(1);
    *p_++ = c;
  }

  template <typename Number>
  void PutNumber(Number number) {
    constexpr size_t MaxDigits = 24;
    Room(MaxDigits);
    p_ = std::to_chars(p_, p_ + MaxDigits, number).ptr;
  }

  // Control characters show as their pictures, lone surrogates as U+FFFD,
  // so what is written is UTF-8 with no line breaks. XML cannot hold U+FFFE
  // and U+FFFF, and an SVG of the map is XML. Graphviz reads backslash
  // sequences (\n, \N, \G ...) and entities (&amp; ...) in labels; neither
  // may come from the story. All story text in the map goes through here.
  void PutEscaped(std::u16string_view text) {
    Room(text.size() * MaxEscapedBytes);
    char* p = p_;
    for (size_t i = 0; i < text.size();) {
      // Nearly all story text is printable ASCII and kana or kanji, each
      // unit one character that is written as it is.
      for (; i < text.size() && IsPlain(text[i]); ++i) p = PutUtf8(p, text[i]);
      size_t runEnd = i;
      while (runEnd < text.size() && !IsPlain(text[runEnd])) ++runEnd;
      // A surrogate pair is never plain, so both its halves are in this run.
      ForEachCodePoint(
          text.substr(i, runEnd - i),
          [&](char32_t cp) {
            switch (cp) {
              case U'"': *p++ = '\\'; *p++ = '"'; return;
              case U'\\': *p++ = '\\'; *p++ = '\\'; return;
              case U'&': p = std::copy_n("&amp;", MaxEscapedBytes, p); return;
              case 0xFFFE:
              case 0xFFFF: cp = 0xFFFD; break;
              case 0x7F: cp = 0x2421; break;
              default:
                if (cp < 0x20) cp += 0x2400;
            }
            p = PutUtf8(p, cp);
          },
          [&](char16_t) { p = PutUtf8(p, 0xFFFD); });
      i = runEnd;
    }
    p_ = p;
  }

  // At most `units` units and "…", not cutting a surrogate pair in two: a
  // label is only a reminder, and dot cannot lay out a box as wide as a line
  // of 100,000 characters.
  void PutShortened(std::u16string_view text, size_t units) {
    if (text.size() <= units) return PutEscaped(text);
    if (units > 0 && text[units - 1] >= 0xD800 && text[units - 1] <= 0xDBFF) --units;
    PutEscaped(text.substr(0, units));
    PutEscaped(u"…");
  }

  std::string Finish() && {
    dot_.resize(Used());
    return std::move(dot_);
  }

  void Flush() {
    if (Used() > 0) (*sink_)(std::string_view(dot_.data(), Used()));
    p_ = dot_.data();
  }

 private:
  size_t Used() const { return static_cast<size_t>(p_ - dot_.data()); }

  void Room(size_t bytes) {
    if (static_cast<size_t>(end_ - p_) >= bytes) return;
    if (sink_ != nullptr) {
      Flush();
      if (dot_.size() >= bytes) return;
    }
    Grow(bytes);
  }

  // The string's size runs ahead of what is written, a step at a time
  // within the room reserved: making it larger fills the new bytes with
  // zeros, and doing that to all the room at once would touch memory that
  // a generous estimate never uses.
  void Grow(size_t bytes) {
    constexpr size_t Step = 64 * 1024;
    const size_t used = Used();
    dot_.resize(std::max(used + bytes, std::min(used + Step, dot_.capacity())));
    p_ = dot_.data() + used;
    end_ = dot_.data() + dot_.size();
  }

  std::string dot_;
  char* p_;    // where the next byte goes
  char* end_;  // the end of the room made so far
  const DotSink* sink_ = nullptr;
};

const char* EdgeClass(StoryMap::EdgeKind kind) {
  switch (kind) {
    case StoryMap::EdgeKind::Next: return "next";
    case StoryMap::EdgeKind::Jump: return "jump";
    case StoryMap::EdgeKind::Conditional: return "conditional";
    case StoryMap::EdgeKind::Choice: return "choice";
  }
  return "jump";
}

void PutNodeName(DotWriter& dot, const StoryMap& map, const StoryMap::Edge& edge, bool target) {
  const size_t index = target ? edge.To : edge.From;
  if (target && edge.ToMissing) {
    dot.Put("missing");
    dot.PutNumber(index + 1);
  } else {
    dot.Put('L');
    dot.PutNumber(map.Passages[index].FileLine);
  }
}

// The label is the passage's pieces, each escaped on its own and joined with
// DOT's own line break.
void PutPassageNode(DotWriter& dot, const StoryMap::Passage& passage) {
  dot.Put("  L");
  dot.PutNumber(passage.FileLine);
  dot.Put(" [label=\"");
  dot.PutShortened(passage.Label, NameUnits);
  if (!passage.Label.empty()) dot.Put("  ");
  dot.Put("line ");
  dot.PutNumber(passage.FileLine);
  if (!passage.FirstText.empty()) {
    dot.Put("\\n");
    dot.PutShortened(passage.FirstText, ShownUnits);
  }
  if (!passage.FlagChanges.empty()) {
    dot.Put("\\n");
    dot.PutEscaped(passage.FlagChanges);
  }
  if (passage.Ends) dot.Put("\\n■ end");
  if (passage.Stuck) dot.Put("\\n✖ stuck: no key answers the choice");
  dot.Put("\", class=\"passage");
  if (passage.Ends) dot.Put(" end");
  if (passage.Stuck) dot.Put(" stuck");
  if (!passage.Reached) dot.Put(" unreached");
  dot.Put("\", style=\"rounded");
  if (!passage.Reached) dot.Put(",filled");
  dot.Put('"');
  if (passage.Ends) dot.Put(", peripheries=2");
  if (passage.Stuck) dot.Put(", color=red");
  if (!passage.Reached) {
    if (!passage.Stuck) dot.Put(", color=grey60");
    dot.Put(", fillcolor=grey90, fontcolor=grey45");
  }
  dot.Put("];\n");
}

void PutMissingNode(DotWriter& dot, size_t index, std::u16string_view target) {
  dot.Put("  missing");
  dot.PutNumber(index + 1);
  dot.Put(" [label=\"missing: ");
  dot.PutShortened(target, NameUnits);
  dot.Put("\", class=\"missing\", color=red, fontcolor=red, style=\"rounded,dashed\"];\n");
}

void PutEdgeLine(DotWriter& dot, const StoryMap& map, const StoryMap::Edge& edge) {
  dot.Put("  ");
  PutNodeName(dot, map, edge, false);
  dot.Put(" -> ");
  PutNodeName(dot, map, edge, true);
  dot.Put(" [label=\"");
  // "1 [up]" or "A on", shortened as a whole: the key and the space
  // before the item are two plain units.
  if (edge.Key != 0) {
    dot.PutEscaped(std::u16string_view(&edge.Key, 1));
    if (edge.Kind == StoryMap::EdgeKind::Choice) {
      dot.Put(' ');
      dot.PutShortened(edge.Item, NameUnits - 2);
    } else {
      dot.Put(edge.FlagOn ? " on" : " off");
    }
  }
  if (edge.ReadAsConditional) dot.Put(" (read as conditional)");
  dot.Put("\", class=\"");
  dot.Put(EdgeClass(edge.Kind));
  if (edge.ReadAsConditional) dot.Put(" misread");
  if (edge.ToMissing) dot.Put(" missing");
  dot.Put('"');
  if (edge.ReadAsConditional) dot.Put(", penwidth=2");
  if (edge.ToMissing) {
    dot.Put(", color=red, fontcolor=red, style=dashed");
  } else if (edge.ReadAsConditional) {
    dot.Put(", color=darkorange, fontcolor=darkorange");
  } else if (edge.Kind == StoryMap::EdgeKind::Next) {
    dot.Put(", style=dotted");
  }
  dot.Put("];\n");
}

void PutMap(DotWriter& dot, const StoryMap& map) {
  dot.Put("digraph story {\n");
  const std::string font = std::string("fontname=\"") + FontName + "\"";
  dot.Put("  graph [rankdir=TB, " + font + "];\n");
  dot.Put("  node [shape=box, style=rounded, " + font + ", fontsize=11];\n");
  dot.Put("  edge [" + font + ", fontsize=10];\n");
  for (const StoryMap::Passage& passage : map.Passages) PutPassageNode(dot, passage);
  for (size_t i = 0; i < map.MissingTargets.size(); ++i) {
    PutMissingNode(dot, i, map.MissingTargets[i]);
  }
  for (const StoryMap::Edge& edge : map.Edges) PutEdgeLine(dot, map, edge);
  dot.Put("}\n");
}

}  // namespace

std::string StoryMapDot(const StoryMap& map) {
  // About what a map takes, so that the string seldom outgrows its room:
  // then all of it is copied.
  DotWriter dot(map.Passages.size() * 200 + map.Edges.size() * 80 +
                map.MissingTargets.size() * 200);
  PutMap(dot, map);
  return std::move(dot).Finish();
}

void WriteStoryMapDot(const StoryMap& map, const DotSink& sink) {
  DotWriter dot(sink);
  PutMap(dot, map);
  dot.Flush();
}

std::string DotEscaped(std::u16string_view text) {
  DotWriter out(text.size() * MaxEscapedBytes);
  out.PutEscaped(text);
  return std::move(out).Finish();
}

std::string DotQuoted(std::u16string_view text) { return '"' + DotEscaped(text) + '"'; }
