#include <gvc.h>

#include <utility>

#include "tools/vln/map/MapRender.h"

namespace {

// One context for the whole run, never freed: Graphviz 2.43 measures text
// with a font name kept from the first context, so laying out with a second
// one after freeing the first reads freed memory.
GVC_t* Context() {
  static GVC_t* const context = gvContext();
  return context;
}

}  // namespace

bool CanRenderMaps() { return true; }

// The image is made in memory and written by the caller: Graphviz's own
// file output ends the program when the file cannot be opened.
std::string RenderDot(const std::string& dot, const std::string& format, MapLayout layout,
                      std::string& image) {
  GVC_t* context = Context();
  if (context == nullptr) return "Graphviz could not start";
  std::string problem;
  Agraph_t* graph = agmemread(dot.c_str());
  if (graph == nullptr) {
    problem = "Graphviz could not read the map";
  } else {
    if (layout == MapLayout::Quick) {
      // On a big map dot spends its time placing nodes exactly, cutting
      // down crossings and routing curved edges around thousands of boxes;
      // a rougher search of the first two and straight edges take seconds,
      // not minutes.
      for (const auto& [name, value] : {std::pair{"nslimit", "0.05"}, std::pair{"mclimit", "0.05"},
                                        std::pair{"splines", "line"}}) {
        agsafeset(graph, const_cast<char*>(name), const_cast<char*>(value), const_cast<char*>(""));
      }
    }
    if (gvLayout(context, graph, "dot") != 0) {
      problem = "Graphviz could not lay the map out";
    } else {
      char* data = nullptr;
      unsigned int length = 0;
      if (gvRenderData(context, graph, format.c_str(), &data, &length) != 0 || data == nullptr) {
        problem = "Graphviz could not draw the map as " + format;
      } else {
        image.assign(data, length);
      }
      gvFreeRenderData(data);
      gvFreeLayout(context, graph);
    }
    agclose(graph);
  }
  return problem;
}
