#include "tools/vln/map/MapDot.h"

#include <vector>

#include "tools/vln/reading/Utf8.h"

namespace {

constexpr size_t ShownUnits = 24;  // of a passage's first line
constexpr size_t NameUnits = 32;   // of a label, a choice item or a target
constexpr const char* FontName = "IPAPGothic";

std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

// At most `units` units and "…", not cutting a surrogate pair in two: a
// label is only a reminder, and dot cannot lay out a box as wide as a line
// of 100,000 characters.
std::u16string Shortened(std::u16string_view text, size_t units) {
  if (text.size() <= units) return std::u16string(text);
  if (units > 0 && text[units - 1] >= 0xD800 && text[units - 1] <= 0xDBFF) --units;
  return std::u16string(text.substr(0, units)) + u"…";
}

std::string NodeName(const StoryMap& map, const StoryMap::Edge& edge, bool target) {
  const size_t index = target ? edge.To : edge.From;
  if (target && edge.ToMissing) return "missing" + std::to_string(index + 1);
  return "L" + std::to_string(map.Passages[index].FileLine);
}

// The node's text, one piece per line of the label.
std::vector<std::u16string> PassageLabel(const StoryMap::Passage& passage) {
  std::vector<std::u16string> lines;
  std::u16string first = Shortened(passage.Label, NameUnits);
  if (!first.empty()) first += u"  ";
  first += Ascii("line " + std::to_string(passage.FileLine));
  lines.push_back(std::move(first));
  if (!passage.FirstText.empty()) {
    lines.push_back(Shortened(passage.FirstText, ShownUnits));
  }
  if (!passage.FlagChanges.empty()) {
    std::u16string flags;
    for (const std::u16string& change : passage.FlagChanges) {
      if (!flags.empty()) flags += u", ";
      flags += change;
    }
    lines.push_back(std::move(flags));
  }
  if (passage.Ends) lines.push_back(u"■ end");
  if (passage.Stuck) lines.push_back(u"✖ stuck: no key answers the choice");
  return lines;
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

// Control characters show as their pictures, lone surrogates as U+FFFD, so
// what is written is UTF-8 with no line breaks. XML cannot hold U+FFFE and
// U+FFFF, and an SVG of the map is XML. Graphviz reads backslash sequences
// (\n, \N, \G ...) and entities (&amp; ...) in labels; neither may come from
// the story. Written straight into `out`: a map has tens of thousands of
// labels.
void AppendDotEscaped(std::string& out, std::u16string_view text) {
  ForEachCodePoint(
      text,
      [&](char32_t cp) {
        switch (cp) {
          case U'"': out += "\\\""; return;
          case U'\\': out += "\\\\"; return;
          case U'&': out += "&amp;"; return;
          case 0xFFFE:
          case 0xFFFF: cp = 0xFFFD; break;
          case 0x7F: cp = 0x2421; break;
          default:
            if (cp < 0x20) cp += 0x2400;
        }
        AppendUtf8(out, cp);
      },
      [&](char16_t) { AppendUtf8(out, 0xFFFD); });
}

}  // namespace

std::string DotEscaped(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendDotEscaped(out, text);
  return out;
}

std::string DotQuoted(std::u16string_view text) { return '"' + DotEscaped(text) + '"'; }

namespace {

void AppendPassageNode(std::string& dot, const StoryMap::Passage& passage) {
  std::string classes = "passage";
  std::string style = "rounded";
  std::string look;
  if (passage.Ends) {
    classes += " end";
    look += ", peripheries=2";
  }
  if (passage.Stuck) {
    classes += " stuck";
    look += ", color=red";
  }
  if (!passage.Reached) {
    classes += " unreached";
    style += ",filled";
    look += std::string(passage.Stuck ? "" : ", color=grey60") + ", fillcolor=grey90, fontcolor=grey45";
  }
  dot += "  L";
  dot += std::to_string(passage.FileLine);
  // Each piece is escaped on its own and joined with DOT's own line break.
  dot += " [label=\"";
  bool first = true;
  for (const std::u16string& line : PassageLabel(passage)) {
    if (!first) dot += "\\n";
    first = false;
    AppendDotEscaped(dot, line);
  }
  dot += "\", class=\"" + classes + "\", style=\"" + style + "\"" + look + "];\n";
}

std::string MissingNode(size_t index, std::u16string_view target) {
  return "  missing" + std::to_string(index + 1) +
         " [label=" + DotQuoted(u"missing: " + Shortened(target, NameUnits)) +
         ", class=\"missing\", color=red, fontcolor=red, style=\"rounded,dashed\"];\n";
}

void AppendEdgeLine(std::string& dot, const StoryMap& map, const StoryMap::Edge& edge) {
  std::string classes = EdgeClass(edge.Kind);
  std::u16string label = Shortened(edge.Label, NameUnits);
  std::string look;
  if (edge.ReadAsConditional) {
    classes += " misread";
    label += u" (read as conditional)";
    look += ", penwidth=2";
  }
  if (edge.ToMissing) {
    classes += " missing";
    look += ", color=red, fontcolor=red, style=dashed";
  } else if (edge.ReadAsConditional) {
    look += ", color=darkorange, fontcolor=darkorange";
  } else if (edge.Kind == StoryMap::EdgeKind::Next) {
    look += ", style=dotted";
  }
  dot += "  " + NodeName(map, edge, false) + " -> " + NodeName(map, edge, true) + " [label=\"";
  AppendDotEscaped(dot, label);
  dot += "\", class=\"" + classes + "\"" + look + "];\n";
}

}  // namespace

std::string StoryMapDot(const StoryMap& map) {
  std::string dot;
  dot.reserve(map.Passages.size() * 160 + map.Edges.size() * 80);
  dot += "digraph story {\n";
  const std::string font = std::string("fontname=\"") + FontName + "\"";
  dot += "  graph [rankdir=TB, " + font + "];\n";
  dot += "  node [shape=box, style=rounded, " + font + ", fontsize=11];\n";
  dot += "  edge [" + font + ", fontsize=10];\n";
  for (const StoryMap::Passage& passage : map.Passages) AppendPassageNode(dot, passage);
  for (size_t i = 0; i < map.MissingTargets.size(); ++i) {
    dot += MissingNode(i, map.MissingTargets[i]);
  }
  for (const StoryMap::Edge& edge : map.Edges) AppendEdgeLine(dot, map, edge);
  dot += "}\n";
  return dot;
}
