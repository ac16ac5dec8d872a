#include "platform/Gamepad.h"

#include <map>

#include "platform/Forms.h"

namespace vornu::gamepad {

namespace {

struct Pad {
  SDL_GameController* Handle = nullptr;
  Sint16 X = 0, Y = 0;
  // Buttons this pad holds down now: released for the game when the pad goes away, so that no
  // button stays pressed for good.
  std::map<TPadButton, bool> Held;
  bool DpadHeld[4] = {false, false, false, false};
};

std::map<SDL_JoystickID, Pad> gPads;
bool gStarted = false;

bool ToButton(Uint8 b, TPadButton& out) {
  switch (b) {
    case SDL_CONTROLLER_BUTTON_A:
      out = TPadButton::South;
      return true;
    case SDL_CONTROLLER_BUTTON_B:
      out = TPadButton::East;
      return true;
    case SDL_CONTROLLER_BUTTON_X:
      out = TPadButton::West;
      return true;
    case SDL_CONTROLLER_BUTTON_Y:
      out = TPadButton::North;
      return true;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
      out = TPadButton::LeftShoulder;
      return true;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
      out = TPadButton::RightShoulder;
      return true;
    case SDL_CONTROLLER_BUTTON_START:
      out = TPadButton::Start;
      return true;
    case SDL_CONTROLLER_BUTTON_BACK:
      out = TPadButton::Back;
      return true;
    default:
      return false;
  }
}

// The d-pad is the arrow keys: one pixel a press, faster while held.
int DpadIndex(Uint8 b) {
  switch (b) {
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      return 0;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      return 1;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
      return 2;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      return 3;
    default:
      return -1;
  }
}

constexpr std::uint16_t kDpadKeys[4] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN};

double Unit(Sint16 v) {
  return v < 0 ? v / 32768.0 : v / 32767.0;
}

void Open(int DeviceIndex) {
  if (!SDL_IsGameController(DeviceIndex)) return;
  SDL_GameController* c = SDL_GameControllerOpen(DeviceIndex);
  if (c == nullptr) return;
  const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c));
  if (gPads.count(id) != 0) {
    SDL_GameControllerClose(c);  // already open: SDL counts the second open
    return;
  }
  gPads[id].Handle = c;
}

// Forgets a pad; what it held is released and its stick let go, as if the player had let go.
void Close(TForm& Form, SDL_JoystickID Id) {
  auto it = gPads.find(Id);
  if (it == gPads.end()) return;
  Pad pad = it->second;
  gPads.erase(it);
  if (pad.Handle != nullptr) SDL_GameControllerClose(pad.Handle);
  for (const auto& [button, down] : pad.Held) {
    if (down) Form.PadButton(button, false);
  }
  for (int i = 0; i < 4; ++i) {
    if (pad.DpadHeld[i]) Form.KeyUp(kDpadKeys[i], 0);
  }
  if (pad.X != 0 || pad.Y != 0) Form.PadStick(0, 0);
}

}  // namespace

void Start() {
  if (gStarted) return;
  // No controller support (or no permission to read the devices) only means no gamepad.
  gStarted = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  if (gStarted) SDL_GameControllerEventState(SDL_ENABLE);
}

void Stop() {
  for (auto& [id, pad] : gPads) {
    if (pad.Handle != nullptr) SDL_GameControllerClose(pad.Handle);
  }
  gPads.clear();
  if (gStarted) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  gStarted = false;
}

bool Deliver(TForm& Form, const SDL_Event& e) {
  switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED:
      Open(e.cdevice.which);
      return true;
    case SDL_CONTROLLERDEVICEREMOVED:
      Close(Form, e.cdevice.which);
      return true;
    case SDL_CONTROLLERAXISMOTION: {
      auto it = gPads.find(e.caxis.which);
      if (it == gPads.end()) return true;
      Pad& pad = it->second;
      if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) {
        pad.X = e.caxis.value;
      } else if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) {
        pad.Y = e.caxis.value;
      } else {
        return true;
      }
      Form.PadStick(Unit(pad.X), Unit(pad.Y));
      return true;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      auto it = gPads.find(e.cbutton.which);
      if (it == gPads.end()) return true;
      Pad& pad = it->second;
      const bool down = e.type == SDL_CONTROLLERBUTTONDOWN;
      if (const int d = DpadIndex(e.cbutton.button); d >= 0) {
        if (pad.DpadHeld[d] == down) return true;
        pad.DpadHeld[d] = down;
        if (down) {
          Form.KeyDown(kDpadKeys[d], 0);
        } else {
          Form.KeyUp(kDpadKeys[d], 0);
        }
        return true;
      }
      TPadButton b;
      if (!ToButton(e.cbutton.button, b)) return true;
      if (pad.Held[b] == down) return true;
      pad.Held[b] = down;
      Form.PadButton(b, down);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace vornu::gamepad
