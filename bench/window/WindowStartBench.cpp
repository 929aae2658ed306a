// From starting a program to its window being on the screen with the title
// "Velnori": the reader against a bare Qt main window (and the same with a
// menu bar), on the X server in DISPLAY. Each repetition starts the program afresh and ends it again.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>

extern char** environ;

namespace {

constexpr std::string_view ExpectedTitle = "Velnori";
constexpr auto GiveUpAfter = std::chrono::seconds(20);

template <typename T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

class Display {
 public:
  Display() : connection_(xcb_connect(nullptr, nullptr)) {
    if (xcb_connection_has_error(connection_) != 0) return;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    netWmName_ = Atom("_NET_WM_NAME");
    // Windows created on the root, reparented by the window manager, or its
    // frames mapped: every step towards a window on the screen wakes us.
    const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &events);
    xcb_flush(connection_);
  }
  ~Display() { xcb_disconnect(connection_); }

  bool Ok() const { return xcb_connection_has_error(connection_) == 0; }

  // Waits until a window created since the last call is viewable and has
  // the expected title; false when none is within the time limit.
  bool WaitForTitledWindow() {
    const auto deadline = std::chrono::steady_clock::now() + GiveUpAfter;
    while (std::chrono::steady_clock::now() < deadline) {
      while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        if ((event->response_type & 0x7f) == XCB_CREATE_NOTIFY) {
          created_.insert(reinterpret_cast<xcb_create_notify_event_t*>(event)->window);
        }
        std::free(event);
      }
      for (const xcb_window_t window : created_) {
        if (IsViewable(window) && Title(window) == ExpectedTitle) {
          created_.clear();
          return true;
        }
      }
      // Events say when to look again; the timeout covers a title written
      // after the window was mapped, which no root event announces.
      pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
      poll(&fd, 1, 1);
    }
    created_.clear();
    return false;
  }

 private:
  xcb_atom_t Atom(const char* name) {
    XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection_,
                              xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr),
        &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  }

  bool IsViewable(xcb_window_t window) {
    XcbReply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, window), nullptr),
        &std::free);
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
  }

  std::string Title(xcb_window_t window) {
    XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection_,
                               xcb_get_property(connection_, 0, window, netWmName_,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
                               nullptr),
        &std::free);
    if (!reply) return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<size_t>(xcb_get_property_value_length(reply.get())));
  }

  xcb_connection_t* connection_;
  xcb_window_t root_ = 0;
  xcb_atom_t netWmName_ = XCB_ATOM_NONE;
  std::set<xcb_window_t> created_;
};

void BM_StartToTitledWindow(benchmark::State& state, const char* program) {
  Display display;
  if (!display.Ok()) {
    state.SkipWithError("no X display: run bench/window/WindowStart.sh");
    return;
  }
  for (auto _ : state) {
    char* const argv[] = {const_cast<char*>(program), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("cannot start the program");
      return;
    }
    const bool shown = display.WaitForTitledWindow();
    const auto end = std::chrono::steady_clock::now();
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    if (!shown) {
      state.SkipWithError("no window titled Velnori appeared");
      return;
    }
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
}

// One start per repetition, so every repetition is a cold-started process.
BENCHMARK_CAPTURE(BM_StartToTitledWindow, reader, VELNORI_READER)
    ->UseManualTime()->Iterations(1)->Repetitions(25)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartToTitledWindow, bare_window, VELNORI_BARE_WINDOW)
    ->UseManualTime()->Iterations(1)->Repetitions(25)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartToTitledWindow, bare_window_menu, VELNORI_BARE_WINDOW_MENU)
    ->UseManualTime()->Iterations(1)->Repetitions(25)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
