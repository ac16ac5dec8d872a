// Asks the window system itself how large a window really is (SDL reports what it asked for).
#pragma once

namespace vornu {

// The window's real size on the X server; false where that cannot be asked (not X11).
bool RealWindowSize(void* SdlWindow, int& Width, int& Height);

}  // namespace vornu
