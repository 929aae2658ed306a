#include "tools/vln/play/PlayReport.h"

#include <vector>

#include "tools/vln/reading/JsonText.h"
#include "tools/vln/reading/ReadableText.h"
#include "tools/vln/reading/Utf8.h"

namespace {

using Json = nlohmann::ordered_json;

Json DialogJson(const std::optional<OpenDialogSetup>& dialog) {
  if (!dialog) return nullptr;
  Json out;
  out["title"] = Utf16ToUtf8(dialog->Title);
  out["filter"] = Utf16ToUtf8(dialog->Filter);
  out["filter_index"] = dialog->FilterIndex;
  out["file_name"] = Utf16ToUtf8(dialog->FileName);
  out["flags"] = dialog->Flags;
  return out;
}

void AppendKey(std::string& out, const char* key) {
  out += '"';
  out += key;
  out += "\":";
}

void AppendDialog(std::string& out, const std::optional<OpenDialogSetup>& dialog) {
  if (!dialog) {
    out += "null";
    return;
  }
  out += '{';
  AppendKey(out, "title");
  AppendJsonString(out, dialog->Title);
  out += ',';
  AppendKey(out, "filter");
  AppendJsonString(out, dialog->Filter);
  out += ',';
  AppendKey(out, "filter_index");
  out += std::to_string(dialog->FilterIndex);
  out += ',';
  AppendKey(out, "file_name");
  AppendJsonString(out, dialog->FileName);
  out += ',';
  AppendKey(out, "flags");
  out += std::to_string(dialog->Flags);
  out += '}';
}

}  // namespace

nlohmann::ordered_json PlayStepJson(const PlayStep& step) {
  Json out;
  // The event word as typed; bytes that are no UTF-8 show as U+FFFD.
  out["event"] = Utf16ToUtf8(Utf8ToUtf16(step.Event));
  out["caption"] = Utf16ToUtf8(step.Caption);
  out["pos"] = step.Pos;
  out["choice"] = Utf16ToUtf8(step.Choice);
  out["flags"] = step.Flags;
  out["minimized"] = step.Minimized;
  out["length"] = step.Length;
  out["message"] = step.Message ? Json(Utf16ToUtf8(*step.Message)) : Json(nullptr);
  out["dialog"] = DialogJson(step.Dialog);
  return out;
}

// Written by hand rather than through the JSON library: a caption can begin
// inside a surrogate pair (a choice that lands there), and this line keeps
// such a unit as its \uXXXX escape, which the library cannot write.
std::string PlayJsonLine(const PlayStep& step) {
  std::string out = "{";
  AppendKey(out, "event");
  AppendJsonString(out, Utf8ToUtf16(step.Event));
  out += ',';
  AppendKey(out, "caption");
  AppendJsonString(out, step.Caption);
  out += ',';
  AppendKey(out, "pos");
  out += std::to_string(step.Pos);
  out += ',';
  AppendKey(out, "choice");
  AppendJsonString(out, step.Choice);
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
    AppendJsonString(out, *step.Message);
  } else {
    out += "null";
  }
  out += ',';
  AppendKey(out, "dialog");
  AppendDialog(out, step.Dialog);
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
