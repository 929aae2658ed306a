#include "tools/vln/map/MapRender.h"

bool CanRenderMaps() { return false; }

std::string RenderDot(const std::string&, const std::string& format, MapLayout, std::string&) {
  return "this vln was built without Graphviz and cannot draw " + format;
}
