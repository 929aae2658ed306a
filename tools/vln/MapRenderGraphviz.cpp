#include <gvc.h>

#include "tools/vln/MapRender.h"

bool CanRenderMaps() { return true; }

// The image is made in memory and written by the caller: Graphviz's own
// file output ends the program when the file cannot be opened.
std::string RenderDot(const std::string& dot, const std::string& format, MapLayout layout,
                      std::string& image) {
  GVC_t* context = gvContext();
  if (context == nullptr) return "Graphviz could not start";
  std::string problem;
  Agraph_t* graph = agmemread(dot.c_str());
  if (graph == nullptr) {
    problem = "Graphviz could not read the map";
  } else {
    if (layout == MapLayout::Quick) {
      // Routing curved edges around thousands of boxes and placing nodes
      // exactly take most of dot's time on a big map.
      agsafeset(graph, const_cast<char*>("splines"), const_cast<char*>("line"), const_cast<char*>(""));
      agsafeset(graph, const_cast<char*>("nslimit"), const_cast<char*>("1"), const_cast<char*>(""));
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
  gvFreeContext(context);
  return problem;
}
