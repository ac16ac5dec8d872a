// Asks the window system itself how large a window really is (SDL reports what it asked for).
#pragma once

namespace vornu {

// The window's real size on the X server; false where that cannot be asked (not X11).
bool RealWindowSize(void* SdlWindow, int& Width, int& Height);

// Whether a window manager runs on the window's screen: 1 yes, 0 no, -1 cannot be told (not
// X11). Without one, nobody answers a request for full screen.
int WindowManagerRunning(void* SdlWindow);

}  // namespace vornu
