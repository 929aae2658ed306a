#include "platform/qt/QtPlatformChoice.h"

#include <cstdlib>

namespace {

bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }

}  // namespace

std::optional<std::string> QtPlatformFor(const char* qpaPlatform, const char* display,
                                         const char* waylandDisplay) {
  if (IsSet(qpaPlatform)) return std::nullopt;
  // Qt tries the platforms of a ';' list in turn until one connects.
  if (IsSet(display)) return "xcb;wayland";
  if (IsSet(waylandDisplay)) return "wayland";
  return std::nullopt;
}

void ChooseQtPlatform() {
  const std::optional<std::string> platform = QtPlatformFor(
      std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
  if (platform) setenv("QT_QPA_PLATFORM", platform->c_str(), 1);
}
