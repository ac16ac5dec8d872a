// The MIDI music player component: set a file name, open, play; a song plays once.
#pragma once

#include <string>

#include "platform/Classes.h"
#include "platform/SdlHandles.h"

// The player could not open its file; the message names the file.
class EMCIDeviceError : public Exception {
 public:
  using Exception::Exception;
};

enum TMPDeviceTypes { dtAutoSelect, dtWaveAudio, dtSequencer };

class TMediaPlayer : public TComponent {
 public:
  explicit TMediaPlayer(TComponent* Owner = nullptr);
  ~TMediaPlayer() override;

  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& FileName) { fileName_ = FileName; }
  TMPDeviceTypes DeviceType() const { return deviceType_; }
  void SetDeviceType(TMPDeviceTypes Type) { deviceType_ = Type; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value) { enabled_ = Value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool Value) { visible_ = Value; }
  bool AutoEnable() const { return autoEnable_; }
  void SetAutoEnable(bool Value) { autoEnable_ = Value; }

  // Opens FileName (a song already open is closed first). A file that CheckFile refuses, or
  // that the synthesizer cannot read, throws EMCIDeviceError naming it. With no audio device
  // or no soundfont the song opens silently (the device has said so once on stderr).
  void Open();
  // Whether FileName is a whole Standard MIDI file: its header and every track it announces
  // lie in the file. Throws EMCIDeviceError naming the file and the fault; opens no device.
  static void CheckFile(const std::string& FileName);
  // Plays the open song from the start, once; nothing when no song is open.
  void Play();
  // Stops the song.
  void Stop();
  // Closes the song; nothing when none is open.
  void Close();
  // Whether a song is open.
  bool IsOpen() const { return open_; }
  // Whether the open song is sounding now.
  bool Playing() const;
  // Loads the song that was opened before it had arrived, once it has, and plays it if it was
  // played meanwhile. Called by the application loop after every round of events.
  static void TakeArrivedSong();

 private:
  std::string fileName_;
  TMPDeviceTypes deviceType_ = dtAutoSelect;
  bool enabled_ = true;
  bool visible_ = true;
  bool autoEnable_ = true;
  bool open_ = false;
  bool playWhenArrived_ = false;  // Play() came while the song was still on its way
  vornu::sdl::Music music_;       // the mixer's song
};
