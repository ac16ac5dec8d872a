#include "platform/WindowProbe.h"

#include <SDL.h>
#include <SDL_syswm.h>

#ifdef VORNU_HAVE_X11
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

}  // namespace vornu
