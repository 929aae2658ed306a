// Key to caption, measured from outside the reader as a user sees it: a
// Down press put into the X server (XTest) until the window's title property
// changes. Works for any X window, the reader under Wine included.
//   key_to_caption WINDOW-ID PRESSES
// Prints the median, the 99th percentile and the slowest, in microseconds.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Waits up to a second for the window's _NET_WM_NAME to change.
bool WaitForTitle(Display* display, Window window, Atom title) {
  const Clock::time_point give_up = Clock::now() + std::chrono::seconds(1);
  while (Clock::now() < give_up) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == PropertyNotify && event.xproperty.window == window &&
          event.xproperty.atom == title) {
        return true;
      }
    }
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    poll(&connection, 1, 10);
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: key_to_caption WINDOW-ID PRESSES\n");
    return 2;
  }
  const Window window = std::strtoul(argv[1], nullptr, 0);
  const int presses = std::atoi(argv[2]);
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "key_to_caption: no X display\n");
    return 2;
  }
  const Atom title = XInternAtom(display, "_NET_WM_NAME", False);
  const KeyCode down = XKeysymToKeycode(display, XK_Down);
  XSelectInput(display, window, PropertyChangeMask);
  XSync(display, False);

  std::vector<double> micros;
  for (int i = 0; i < presses; ++i) {
    const Clock::time_point pressed = Clock::now();
    XTestFakeKeyEvent(display, down, True, CurrentTime);
    XFlush(display);
    const bool changed = WaitForTitle(display, window, title);
    const Clock::time_point shown = Clock::now();
    XTestFakeKeyEvent(display, down, False, CurrentTime);
    XSync(display, False);
    if (!changed) {
      std::fprintf(stderr, "key_to_caption: press %d changed no title\n", i + 1);
      return 1;
    }
    micros.push_back(std::chrono::duration<double, std::micro>(shown - pressed).count());
    // Let the release and anything it causes pass before the next press.
    poll(nullptr, 0, 5);
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
    }
  }
  std::sort(micros.begin(), micros.end());
  const auto at = [&](double share) {
    return micros[std::min(micros.size() - 1, static_cast<size_t>(share * micros.size()))];
  };
  std::printf("median %.0f us, p99 %.0f us, slowest %.0f us over %zu presses\n", at(0.5), at(0.99),
              micros.back(), micros.size());
  XCloseDisplay(display);
  return 0;
}
