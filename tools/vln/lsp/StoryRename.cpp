#include "tools/vln/lsp/StoryRename.h"

#include <array>

#include "tools/vln/check/CheckText.h"
#include "tools/vln/lsp/StoryLabels.h"
#include "tools/vln/reading/ReadableText.h"

namespace {

std::string LineNumber(const StoryLines& lines, size_t line) {
  if (line == TargetLanding::NoLine) return "no line";
  return "line " + std::to_string(lines.FileLineAt(lines.Lines()[line].Start));
}

// What makes a name unfit for a label: it would end the label early, split
// a list, begin a marker, or break the line.
std::string NameProblem(std::u16string_view name) {
  if (name.empty()) return "a label needs a name";
  if (name.front() == u' ' || name.front() == u'\u3000' || name.back() == u' ' || name.back() == u'\u3000') {
    return "a target loses the spaces around a name";
  }
  constexpr std::array<std::u16string_view, 6> Unfit{u"]", u",", u"??", u"::", u">>", u"\r"};
  for (const std::u16string_view bad : Unfit) {
    if (name.find(bad) != std::u16string_view::npos) {
      return "a label's name cannot hold \"" + ReadableText(bad) + "\"";
    }
  }
  if (name.find(u'\n') != std::u16string_view::npos) return "a label's name cannot hold a line break";
  return "";
}

}  // namespace

std::string TargetDescription(const StoryTarget& target, const StoryLines& lines) {
  std::string kind = "jump target ";
  if (target.Kind == TargetKind::Choice) {
    kind = "choice item " + std::to_string(target.Key) + " ";
  } else if (target.Flag >= 0) {
    kind = std::string("flag ") + static_cast<char>('A' + target.Flag) +
           (target.Kind == TargetKind::FlagOn ? " on" : " off") + " target ";
  }
  return kind + Quoted(target.Name) + " on line " + std::to_string(lines.FileLineAt(target.Pos));
}

std::optional<RenameSpot> RenameSpotAt(StoryAnalysis& analysis, int64_t pos, std::string& why) {
  const auto& lines = analysis.Lines().Lines();
  if (lines.empty()) {
    why = "the story is empty";
    return std::nullopt;
  }
  if (const StoryTarget* target = analysis.Targets().At(pos)) {
    if (!target->Landing.Lands()) {
      why = "the target " + Quoted(target->Name) + " lands on no line";
      return std::nullopt;
    }
    const StoryLines::Line& landing = lines[target->Landing.Line];
    const std::u16string_view label = LineLabel(landing.Text);
    if (label.empty() || label != target->Name) {
      why = "the target " + Quoted(target->Name) + " is not the whole label of the line it lands on";
      return std::nullopt;
    }
    return RenameSpot{{target->Pos + 1, static_cast<int64_t>(label.size()) - 2}, label, target->Landing.Line};
  }
  const size_t index = analysis.Lines().LineIndexAt(pos);
  const StoryLines::Line& line = lines[index];
  const std::u16string_view label = LineLabel(line.Text);
  if (label.empty() || pos < line.Start || pos > line.Start + static_cast<int64_t>(label.size())) {
    why = "only a label at the start of a line, or a target naming one, can be renamed";
    return std::nullopt;
  }
  return RenameSpot{{line.Start + 1, static_cast<int64_t>(label.size()) - 2}, label, index};
}

std::vector<StoryEdit> RenameLabel(StoryAnalysis& analysis, int64_t pos, std::u16string_view newName,
                                   std::string& why) {
  const std::optional<RenameSpot> spot = RenameSpotAt(analysis, pos, why);
  if (!spot) return {};
  if (newName.size() >= 2 && newName.front() == u'[' && newName.back() == u']') {
    newName = newName.substr(1, newName.size() - 2);
  }
  if (std::string problem = NameProblem(newName); !problem.empty()) {
    why = problem;
    return {};
  }
  const auto& lines = analysis.Lines().Lines();
  const std::u16string name(newName);
  std::vector<StoryEdit> edits;
  const auto renameAt = [&](int64_t labelPos) {
    edits.push_back({labelPos + 1, static_cast<int64_t>(spot->Label.size()) - 2, name});
  };
  const TargetIndex& targets = analysis.Targets();
  bool labelDone = false;
  for (const StoryTarget& target : targets.All()) {
    // The label line's own label comes before any target on that line.
    if (!labelDone && target.Pos > lines[spot->Line].Start) {
      renameAt(lines[spot->Line].Start);
      labelDone = true;
    }
    if (target.Landing.Line == spot->Line && target.Name == spot->Label) renameAt(target.Pos);
  }
  if (!labelDone) renameAt(lines[spot->Line].Start);
  if (std::string changed = FirstLandingChanged(analysis, edits); !changed.empty()) {
    why = "renaming " + Quoted(spot->Label) + " to " + Quoted(u"[" + name + u"]") + " would change where " +
          changed;
    return {};
  }
  return edits;
}

std::u16string EditedText(std::u16string_view text, const std::vector<StoryEdit>& edits) {
  std::u16string out;
  out.reserve(text.size());
  size_t done = 0;
  for (const StoryEdit& edit : edits) {
    const auto at = static_cast<size_t>(edit.Pos - 1);
    out.append(text.substr(done, at - done));
    out += edit.Text;
    done = at + static_cast<size_t>(edit.Length);
  }
  out.append(text.substr(done));
  return out;
}

std::string FirstLandingChanged(StoryAnalysis& analysis, const std::vector<StoryEdit>& edits,
                                size_t skipLine) {
  const std::u16string text = EditedText(analysis.Text(), edits);
  const StoryLines lines(text);
  const TargetIndex after(text, lines);
  const auto& old = analysis.Targets().All();
  const auto& now = after.All();
  const StoryLines& oldLines = analysis.Lines();
  size_t i = 0;
  size_t j = 0;
  while (i < old.size() || j < now.size()) {
    if (i < old.size() && old[i].Line == skipLine) {
      ++i;
    } else if (j < now.size() && now[j].Line == skipLine) {
      ++j;
    } else if (i == old.size() || j == now.size() || old[i].Line != now[j].Line) {
      const size_t line = i < old.size() ? old[i].Line : now[j].Line;
      return "the targets of " + LineNumber(oldLines, line) + " lead";
    } else {
      if (old[i].Landing.Line != now[j].Landing.Line) {
        return "the " + TargetDescription(old[i], oldLines) + " lands: " + LineNumber(oldLines, now[j].Landing.Line) +
               " instead of " + LineNumber(oldLines, old[i].Landing.Line);
      }
      ++i;
      ++j;
    }
  }
  return "";
}
