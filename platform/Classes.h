// The component model the game's classes are built from: objects, owned components, exceptions.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// Root of every class that is handed to an event as its Sender.
class TObject {
 public:
  virtual ~TObject() = default;
};

// Every failure the platform and the engine report; what() is the English message.
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file could not be read or written; the message names the file.
class EInOutError : public Exception {
 public:
  using Exception::Exception;
};

// A notify event: the sender only.
using TNotifyEvent = std::function<void(TObject* Sender)>;

// A rectangle with exclusive right and bottom, as the drawing calls take it.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  // Whether the rectangle holds no pixel.
  bool Empty() const { return Right <= Left || Bottom <= Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

// Builds a rectangle from its four edges.
inline TRect Rect(int Left, int Top, int Right, int Bottom) { return TRect{Left, Top, Right, Bottom}; }

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// A component lives on a form: its owner destroys nothing (the form holds its components
// in unique_ptr members), but knows them, so the screen can find the form's sound players.
class TComponent : public TObject {
 public:
  // Registers the component with Owner (may be null).
  explicit TComponent(TComponent* Owner = nullptr);
  // Unregisters the component from its owner and forgets its own components.
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return Owner_; }
  // The components created with this one as owner, in creation order.
  const std::vector<TComponent*>& Components() const { return Components_; }
  int ComponentCount() const { return static_cast<int>(Components_.size()); }

  // Called once after the owner has applied all settings (the "form resource"); the form
  // calls it on itself and then on each of its components.
  virtual void Loaded() {}

 private:
  TComponent* Owner_ = nullptr;
  std::vector<TComponent*> Components_;
};
