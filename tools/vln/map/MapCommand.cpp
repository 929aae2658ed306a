#include "tools/vln/map/MapCommand.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <ostream>

#include "platform/FileName.h"
#include "tools/vln/map/MapDot.h"
#include "tools/vln/map/MapRender.h"
#include "tools/vln/reading/RunBeside.h"
#include "tools/vln/reading/StoryFileRead.h"
#include "tools/vln/map/StoryMap.h"

namespace {

constexpr const char* MapUsage = "usage: vln map STORY [-o FILE.svg|.png|.pdf|.dot|-]\n";

struct MapRequest {
  std::string story;
  std::string output;  // "-" for DOT on standard output
  std::string format;  // "svg", "png", "pdf" or "dot"
};

std::string LowerCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Returns an empty string when `args` make a request, else what is wrong.
std::string ParseArgs(const std::vector<std::string>& args, MapRequest& request) {
  bool optionsDone = false;
  bool haveOutput = false;
  std::vector<std::string> stories;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsDone && arg == "--") {
      optionsDone = true;
    } else if (!optionsDone && arg == "-o") {
      if (i + 1 == args.size()) return "-o needs a file name";
      request.output = args[++i];
      haveOutput = true;
    } else if (!optionsDone && arg.starts_with("-") && arg != "-") {
      return "unknown option \"" + arg + "\"";
    } else {
      stories.push_back(arg);
    }
  }
  if (stories.size() != 1) return stories.empty() ? "no story given" : "one story at a time";
  request.story = stories.front();
  if (!haveOutput) {
    request.output = ReplaceExtension(request.story, ".svg");
  }
  if (request.output == "-") {
    request.format = "dot";
    return "";
  }
  const std::string extension = LowerCase(ExtensionOf(request.output));
  for (const char* known : {".svg", ".png", ".pdf", ".dot"}) {
    if (extension == known) request.format = extension.substr(1);
  }
  if (request.format.empty()) {
    return "cannot tell the format of \"" + request.output +
           "\": end it in .svg, .png, .pdf or .dot";
  }
  // A story saved as "x.svg" would otherwise be overwritten by its own map.
  if (SameFile(request.story, request.output)) {
    return "the map would overwrite the story \"" + request.story + "\": name another file with -o";
  }
  return "";
}

// Writes what `put` hands on to the file at `path`; an empty string when
// all of it is there, else what went wrong.
std::string WriteFile(const std::string& path,
                      const std::function<void(const DotSink& sink)>& put) {
  std::ofstream file;
  // Unbuffered: the bytes come in large pieces that go out a write each.
  file.rdbuf()->pubsetbuf(nullptr, 0);
  OpenToWrite(file, path);
  if (!file) return std::strerror(errno);
  put([&file](std::string_view bytes) {
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  });
  file.close();
  if (!file) return std::strerror(errno != 0 ? errno : EIO);
  return "";
}

}  // namespace

int RunMap(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           TextFileInput& input) {
  MapRequest request;
  if (const std::string problem = ParseArgs(args, request); !problem.empty()) {
    err << "vln map: " << problem << '\n' << MapUsage;
    return 2;
  }
  if (request.format != "dot" && !CanRenderMaps()) {
    err << "vln map: this vln was built without Graphviz and cannot draw " << request.format
        << "; write DOT with -o FILE.dot (or -o - for standard output)\n";
    return 2;
  }
  // While the story is read, so that it is there for a long one.
  ReadyTheThreadBeside();
  std::u16string text;
  if (!ReadStoryFile(request.story, input, text)) {
    err << "vln map: " << request.story << ": cannot be read\n";
    return 2;
  }
  if (text.empty()) {
    err << "vln map: " << request.story
        << ": the story is empty: the reader shows \"ファイルが開けません\"\n";
    return 1;
  }
  const StoryLines lines(text);
  const StoryMap map = BuildStoryMap(text, lines);
  // DOT goes out as it is written; an image needs all of it first.
  if (request.output == "-") {
    WriteStoryMapDot(map, [&out](std::string_view bytes) {
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    });
    out.flush();
    return out ? 0 : 2;
  }
  std::string image;
  if (request.format != "dot") {
    const size_t passages = map.Passages.size();
    const std::optional<MapLayout> layout = MapLayoutFor(passages);
    if (!layout) {
      err << "vln map: " << request.story << " has " << passages
          << " passages; laying out more than " << MaxLaidOutPassages
          << " takes minutes: write DOT with -o FILE.dot (or -o -) instead\n";
      return 2;
    }
    if (*layout == MapLayout::Quick) {
      err << "vln map: " << passages << " passages: laid out roughly, with straight edges, to "
          << "keep it quick\n";
    }
    if (const std::string problem = RenderDot(StoryMapDot(map), request.format, *layout, image);
        !problem.empty()) {
      err << "vln map: " << problem << '\n';
      return 2;
    }
  }
  const auto put = [&](const DotSink& sink) {
    if (request.format == "dot") {
      WriteStoryMapDot(map, sink);
    } else {
      sink(image);
    }
  };
  if (const std::string problem = WriteFile(request.output, put); !problem.empty()) {
    err << "vln map: cannot write " << request.output << ": " << problem << '\n';
    return 2;
  }
  return 0;
}
