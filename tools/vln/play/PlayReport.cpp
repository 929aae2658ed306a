#include "tools/vln/play/PlayReport.h"

#include <vector>

#include "tools/vln/reading/ReadableText.h"
#include "tools/vln/reading/Utf8.h"

namespace {

void AppendKey(std::string& out, const char* key) {
  out += '"';
  out += key;
  out += "\":";
}

void AppendDialog(std::string& out, const std::optional<OpenDialogSetup>& dialog, LoneSurrogates lone) {
  if (!dialog) {
    out += "null";
    return;
  }
  out += '{';
  AppendKey(out, "title");
  AppendJsonString(out, dialog->Title, lone);
  out += ',';
  AppendKey(out, "filter");
  AppendJsonString(out, dialog->Filter, lone);
  out += ',';
  AppendKey(out, "filter_index");
  out += std::to_string(dialog->FilterIndex);
  out += ',';
  AppendKey(out, "file_name");
  AppendJsonString(out, dialog->FileName, lone);
  out += ',';
  AppendKey(out, "flags");
  out += std::to_string(dialog->Flags);
  out += '}';
}

}  // namespace

// Written by hand rather than through the JSON library: a caption can begin
// inside a surrogate pair (a choice that lands there), and this line can keep
// such a unit as its \uXXXX escape, which the library cannot write.
std::string PlayJsonLine(const PlayStep& step, LoneSurrogates lone) {
  std::string out = "{";
  AppendKey(out, "event");
  AppendJsonString(out, Utf8ToUtf16(step.Event), lone);
  out += ',';
  AppendKey(out, "caption");
  AppendJsonString(out, step.Caption, lone);
  out += ',';
  AppendKey(out, "pos");
  out += std::to_string(step.Pos);
  out += ',';
  AppendKey(out, "choice");
  AppendJsonString(out, step.Choice, lone);
  out += ',';
  AppendKey(out, "flags");
  out += '[';
  for (size_t i = 0; i < step.Flags.size(); ++i) {
    if (i > 0) out += ',';
    out += std::to_string(step.Flags[i]);
  }
  out += "],";
  AppendKey(out, "minimized");
  out += step.Minimized ? "true" : "false";
  out += ',';
  AppendKey(out, "length");
  out += std::to_string(step.Length);
  out += ',';
  AppendKey(out, "message");
  if (step.Message) {
    AppendJsonString(out, *step.Message, lone);
  } else {
    out += "null";
  }
  out += ',';
  AppendKey(out, "message_title");
  if (step.Message) {
    AppendJsonString(out, step.MessageTitle, lone);
  } else {
    out += "null";
  }
  out += ',';
  AppendKey(out, "dialog");
  AppendDialog(out, step.Dialog, lone);
  out += '}';
  return out;
}

std::string PlayTextLine(const PlayStep& step) {
  std::vector<std::string> marks;
  if (step.Message) marks.push_back("<message \"" + ReadableText(*step.Message) + "\">");
  // The same order of tests as the key handler: a pending choice decides
  // before anything else.
  if (!step.Choice.empty()) {
    marks.push_back("<choice " + ReadableText(step.Choice) + ">");
  } else if (step.Length == 0) {
    marks.push_back("<no story>");
  } else if (step.Pos <= 0) {
    marks.push_back("<stopped>");
  }
  if (step.Minimized) marks.push_back("<minimized>");
  if (step.Ended) marks.push_back("<exit>");

  std::string out = ReadableText(step.Caption);
  if (!marks.empty()) out += "  ";
  for (size_t i = 0; i < marks.size(); ++i) {
    if (i > 0) out += ' ';
    out += marks[i];
  }
  return out;
}
