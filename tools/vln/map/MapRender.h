#pragma once

#include <string>

// Whether this vln can lay maps out itself; without Graphviz it writes DOT
// only.
bool CanRenderMaps();

enum class MapLayout {
  Full,   // dot's own curved edges around the nodes
  Quick,  // straight edges and a short search for node places: big maps
};

// Lays `dot` out with Graphviz's dot and returns it as `format` ("svg",
// "png" or "pdf") in `image`. Returns an empty string on success, else what
// went wrong.
std::string RenderDot(const std::string& dot, const std::string& format, MapLayout layout,
                      std::string& image);
