#pragma once

#include <cstddef>
#include <optional>
#include <string>

// Whether this vln can lay maps out itself; without Graphviz it writes DOT
// only.
bool CanRenderMaps();

enum class MapLayout {
  Full,   // dot's own curved edges around the nodes
  Quick,  // straight edges and a short search for node places: big maps
};

// dot's layout time grows much faster than the map: above this many passages
// a map is laid out quickly (straight edges), and above the second not at
// all: DOT, which any size of story gives at once, stands in for it.
inline constexpr size_t MaxFullLayoutPassages = 100;
inline constexpr size_t MaxLaidOutPassages = 1000;

// How a map of `passages` passages is laid out; nothing when it is too big.
inline std::optional<MapLayout> MapLayoutFor(size_t passages) {
  if (passages > MaxLaidOutPassages) return std::nullopt;
  return passages > MaxFullLayoutPassages ? MapLayout::Quick : MapLayout::Full;
}

// Lays `dot` out with Graphviz's dot and returns it as `format` ("svg",
// "png" or "pdf") in `image`. Returns an empty string on success, else what
// went wrong.
std::string RenderDot(const std::string& dot, const std::string& format, MapLayout layout,
                      std::string& image);
