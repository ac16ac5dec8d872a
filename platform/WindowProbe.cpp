#include "platform/WindowProbe.h"

#include <SDL.h>
#include <SDL_syswm.h>

#ifdef VORNU_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace vornu {

bool RealWindowSize(void* SdlWindow, int& Width, int& Height) {
#ifdef VORNU_HAVE_X11
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SdlWindow || !SDL_GetWindowWMInfo(static_cast<SDL_Window*>(SdlWindow), &info) ||
      info.subsystem != SDL_SYSWM_X11) {
    return false;
  }
  XSync(info.info.x11.display, 0);
  XWindowAttributes a;
  if (!XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &a)) return false;
  Width = a.width;
  Height = a.height;
  return true;
#else
  (void)SdlWindow;
  (void)Width;
  (void)Height;
  return false;
#endif
}

int WindowManagerRunning(void* SdlWindow) {
#ifdef VORNU_HAVE_X11
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SdlWindow || !SDL_GetWindowWMInfo(static_cast<SDL_Window*>(SdlWindow), &info) ||
      info.subsystem != SDL_SYSWM_X11) {
    return -1;
  }
  Display* d = info.info.x11.display;
  // A compliant window manager names its check window on the root window, and the check
  // window names itself again.
  const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return 0;
  auto checkWindow = [&](Window Of, Window& Out) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(d, Of, check, 0, 1, False, XA_WINDOW, &type, &format,
                                          &count, &after, &data);
    const bool found = status == Success && type == XA_WINDOW && format == 32 && count == 1;
    if (found) Out = *reinterpret_cast<Window*>(data);
    if (data) XFree(data);
    return found;
  };
  Window wm = 0, again = 0;
  if (!checkWindow(DefaultRootWindow(d), wm)) return 0;
  return checkWindow(wm, again) && again == wm ? 1 : 0;
#else
  (void)SdlWindow;
  return -1;
#endif
}

}  // namespace vornu
