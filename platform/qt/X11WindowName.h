#pragma once

class QWindow;

// Qt never leaves a title empty: it puts the application's name there
// instead. On X11 this writes the window's name properties empty behind its
// back; false when the window is not an X11 window.
bool ClearX11WindowName(const QWindow& window);
