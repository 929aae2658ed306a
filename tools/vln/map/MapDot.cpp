#include "tools/vln/map/MapDot.h"

#include <vector>

#include "tools/vln/reading/ReadableText.h"

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

}  // namespace

std::string DotEscaped(std::u16string_view text) {
  // XML cannot hold U+FFFE and U+FFFF, and an SVG of the map is XML.
  std::u16string safe(text);
  for (char16_t& c : safe) {
    if (c == 0xFFFE || c == 0xFFFF) c = 0xFFFD;
  }
  // Control characters show as their pictures, lone surrogates as U+FFFD, so
  // what is left is UTF-8 with no line breaks.
  const std::string readable = ReadableText(safe);
  std::string out;
  out.reserve(readable.size());
  for (const char c : readable) {
    switch (c) {
      // Graphviz reads backslash sequences (\n, \N, \G ...) and entities
      // (&amp; ...) in labels; neither may come from the story.
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '&': out += "&amp;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string DotQuoted(std::u16string_view text) { return '"' + DotEscaped(text) + '"'; }

namespace {

std::string PassageNode(const StoryMap::Passage& passage) {
  // Each piece is escaped on its own and joined with DOT's own line break.
  std::string label = "\"";
  for (const std::u16string& line : PassageLabel(passage)) {
    if (label.size() > 1) label += "\\n";
    label += DotEscaped(line);
  }
  label += '"';
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
  return "  L" + std::to_string(passage.FileLine) + " [label=" + label + ", class=\"" + classes +
         "\", style=\"" + style + "\"" + look + "];\n";
}

std::string MissingNode(size_t index, std::u16string_view target) {
  return "  missing" + std::to_string(index + 1) +
         " [label=" + DotQuoted(u"missing: " + Shortened(target, NameUnits)) +
         ", class=\"missing\", color=red, fontcolor=red, style=\"rounded,dashed\"];\n";
}

std::string EdgeLine(const StoryMap& map, const StoryMap::Edge& edge) {
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
  return "  " + NodeName(map, edge, false) + " -> " + NodeName(map, edge, true) +
         " [label=" + DotQuoted(label) + ", class=\"" + classes + "\"" + look + "];\n";
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
  for (const StoryMap::Passage& passage : map.Passages) dot += PassageNode(passage);
  for (size_t i = 0; i < map.MissingTargets.size(); ++i) {
    dot += MissingNode(i, map.MissingTargets[i]);
  }
  for (const StoryMap::Edge& edge : map.Edges) dot += EdgeLine(map, edge);
  dot += "}\n";
  return dot;
}
