#pragma once

#include <optional>
#include <string>

// The Qt platform the reader asks for: X11 whenever an X server may be
// reached (DISPLAY set, as under XWayland), with Wayland behind it should the
// X server not answer; Wayland where it is the only display. On X11 the
// desktop draws the title bar that is the reader's whole display and tells
// the window when it is minimized; a Wayland client learns neither. Nothing
// when the user chose a platform with QT_QPA_PLATFORM, or when there is no
// display at all (Qt then says so itself). Each argument is the value of the
// environment variable of that name, null when it is unset.
std::optional<std::string> QtPlatformFor(const char* qpaPlatform, const char* display,
                                         const char* waylandDisplay);

// Sets QT_QPA_PLATFORM to that choice. Must run before the QApplication exists.
void ChooseQtPlatform();
