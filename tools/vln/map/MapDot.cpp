#include "tools/vln/map/MapDot.h"

#include <algorithm>
#include <charconv>

#include "tools/vln/reading/Utf8.h"

namespace {

constexpr size_t ShownUnits = 24;  // of a passage's first line
constexpr size_t NameUnits = 32;   // of a label, a choice item or a target
constexpr const char* FontName = "IPAPGothic";

// The most one UTF-16 unit can become: "&" is written "&amp;".
constexpr size_t MaxEscapedBytes = 5;

// Writes `cp` (not a surrogate) as UTF-8 at `p` and returns the end: the
// escaping below fills room it made once per text, byte by byte appends
// were most of the writer's time.
char* PutUtf8(char* p, char32_t cp) {
  if (cp < 0x80) {
    *p++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *p++ = static_cast<char>(0xC0 | (cp >> 6));
    *p++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *p++ = static_cast<char>(0xE0 | (cp >> 12));
    *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *p++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *p++ = static_cast<char>(0xF0 | (cp >> 18));
    *p++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *p++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return p;
}

// Control characters show as their pictures, lone surrogates as U+FFFD, so
// what is written is UTF-8 with no line breaks. XML cannot hold U+FFFE and
// U+FFFF, and an SVG of the map is XML. Graphviz reads backslash sequences
// (\n, \N, \G ...) and entities (&amp; ...) in labels; neither may come from
// the story. Every piece of story text in the map goes through here.
void AppendDotEscaped(std::string& out, std::u16string_view text) {
  const size_t start = out.size();
  out.resize(start + text.size() * MaxEscapedBytes);
  char* p = out.data() + start;
  ForEachCodePoint(
      text,
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
  out.resize(static_cast<size_t>(p - out.data()));
}

// At most `units` units and "…", not cutting a surrogate pair in two: a
// label is only a reminder, and dot cannot lay out a box as wide as a line
// of 100,000 characters.
void AppendShortened(std::string& out, std::u16string_view text, size_t units) {
  if (text.size() <= units) return AppendDotEscaped(out, text);
  if (units > 0 && text[units - 1] >= 0xD800 && text[units - 1] <= 0xDBFF) --units;
  AppendDotEscaped(out, text.substr(0, units));
  AppendDotEscaped(out, u"…");
}

template <typename Number>
void AppendNumber(std::string& out, Number number) {
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

void AppendNodeName(std::string& out, const StoryMap& map, const StoryMap::Edge& edge,
                    bool target) {
  const size_t index = target ? edge.To : edge.From;
  if (target && edge.ToMissing) {
    out += "missing";
    AppendNumber(out, index + 1);
  } else {
    out += 'L';
    AppendNumber(out, map.Passages[index].FileLine);
  }
}

const char* EdgeClass(StoryMap::EdgeKind kind) {
  switch (kind) {
    case StoryMap::EdgeKind::Next: return "next";
    case StoryMap::EdgeKind::Jump: return "jump";
    case StoryMap::EdgeKind::Conditional: return "conditional";
    case StoryMap::EdgeKind::Choice: return "choice";
  }
  return "jump";
}

}  // namespace

std::string DotEscaped(std::u16string_view text) {
  std::string out;
  AppendDotEscaped(out, text);
  return out;
}

std::string DotQuoted(std::u16string_view text) { return '"' + DotEscaped(text) + '"'; }

namespace {

// The label is the passage's pieces, each escaped on its own and joined with
// DOT's own line break.
void AppendPassageNode(std::string& dot, const StoryMap::Passage& passage) {
  dot += "  L";
  AppendNumber(dot, passage.FileLine);
  dot += " [label=\"";
  AppendShortened(dot, passage.Label, NameUnits);
  if (!passage.Label.empty()) dot += "  ";
  dot += "line ";
  AppendNumber(dot, passage.FileLine);
  if (!passage.FirstText.empty()) {
    dot += "\\n";
    AppendShortened(dot, passage.FirstText, ShownUnits);
  }
  for (size_t i = 0; i < passage.FlagChanges.size(); ++i) {
    dot += i == 0 ? "\\n" : ", ";
    AppendDotEscaped(dot, passage.FlagChanges[i]);
  }
  if (passage.Ends) dot += "\\n■ end";
  if (passage.Stuck) dot += "\\n✖ stuck: no key answers the choice";
  dot += "\", class=\"passage";
  if (passage.Ends) dot += " end";
  if (passage.Stuck) dot += " stuck";
  if (!passage.Reached) dot += " unreached";
  dot += passage.Reached ? "\", style=\"rounded\"" : "\", style=\"rounded,filled\"";
  if (passage.Ends) dot += ", peripheries=2";
  if (passage.Stuck) dot += ", color=red";
  if (!passage.Reached) {
    if (!passage.Stuck) dot += ", color=grey60";
    dot += ", fillcolor=grey90, fontcolor=grey45";
  }
  dot += "];\n";
}

void AppendMissingNode(std::string& dot, size_t index, std::u16string_view target) {
  dot += "  missing";
  AppendNumber(dot, index + 1);
  dot += " [label=\"missing: ";
  AppendShortened(dot, target, NameUnits);
  dot += "\", class=\"missing\", color=red, fontcolor=red, style=\"rounded,dashed\"];\n";
}

void AppendEdgeLine(std::string& dot, const StoryMap& map, const StoryMap::Edge& edge) {
  dot += "  ";
  AppendNodeName(dot, map, edge, false);
  dot += " -> ";
  AppendNodeName(dot, map, edge, true);
  dot += " [label=\"";
  AppendShortened(dot, edge.Label, NameUnits);
  if (edge.ReadAsConditional) dot += " (read as conditional)";
  dot += "\", class=\"";
  dot += EdgeClass(edge.Kind);
  if (edge.ReadAsConditional) dot += " misread";
  if (edge.ToMissing) dot += " missing";
  dot += '"';
  if (edge.ReadAsConditional) dot += ", penwidth=2";
  if (edge.ToMissing) {
    dot += ", color=red, fontcolor=red, style=dashed";
  } else if (edge.ReadAsConditional) {
    dot += ", color=darkorange, fontcolor=darkorange";
  } else if (edge.Kind == StoryMap::EdgeKind::Next) {
    dot += ", style=dotted";
  }
  dot += "];\n";
}

}  // namespace

std::string StoryMapDot(const StoryMap& map) {
  std::string dot;
  // Enough for most maps at once: a passage's line is about 200 bytes, an
  // edge's about 60, and every time the string outgrows its room all of it
  // is copied.
  dot.reserve(map.Passages.size() * 200 + map.Edges.size() * 80 + map.MissingTargets.size() * 200);
  dot += "digraph story {\n";
  const std::string font = std::string("fontname=\"") + FontName + "\"";
  dot += "  graph [rankdir=TB, " + font + "];\n";
  dot += "  node [shape=box, style=rounded, " + font + ", fontsize=11];\n";
  dot += "  edge [" + font + ", fontsize=10];\n";
  for (const StoryMap::Passage& passage : map.Passages) AppendPassageNode(dot, passage);
  for (size_t i = 0; i < map.MissingTargets.size(); ++i) {
    AppendMissingNode(dot, i, map.MissingTargets[i]);
  }
  for (const StoryMap::Edge& edge : map.Edges) AppendEdgeLine(dot, map, edge);
  dot += "}\n";
  return dot;
}
