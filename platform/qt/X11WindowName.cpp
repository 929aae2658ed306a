#include "platform/qt/X11WindowName.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>
#include <cstring>

namespace {

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
  const xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
  if (reply == nullptr) return XCB_ATOM_NONE;
  const xcb_atom_t atom = reply->atom;
  std::free(reply);
  return atom;
}

}  // namespace

bool ClearX11WindowName(const QWindow& window) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || window.handle() == nullptr) return false;
  // The offscreen platform offers the interface without a connection.
  xcb_connection_t* connection = x11->connection();
  if (connection == nullptr) return false;
  // Atoms live as long as the server; asking once per run is enough.
  static const xcb_atom_t netWmName = InternAtom(connection, "_NET_WM_NAME");
  static const xcb_atom_t utf8String = InternAtom(connection, "UTF8_STRING");
  const auto id = static_cast<xcb_window_t>(window.winId());
  if (netWmName != XCB_ATOM_NONE && utf8String != XCB_ATOM_NONE) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, netWmName, utf8String, 8, 0,
                        nullptr);
  }
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      0, nullptr);
  xcb_flush(connection);
  return true;
}
