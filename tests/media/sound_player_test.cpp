// The sound player: buffers with their pan and volume, start at activation, rebuilds, and sound
// really mixed into the device's output.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "engine/GX.h"
#include "engine/GXAudio.h"
#include "engine/GXLibStream.h"
#include "engine/gxslib.h"
#include "platform/AudioDevice.h"
#include "platform/Forms.h"
#include "tests/support/ScratchTest.h"

namespace vornu {
namespace {

using Bytes = std::vector<std::uint8_t>;
using ::testing::HasSubstr;

// Run by hand, the program is as headless as under ctest unless told otherwise.
const bool kHeadless =
    setenv("SDL_VIDEODRIVER", "dummy", 0) == 0 && setenv("SDL_AUDIODRIVER", "dummy", 0) == 0;

TGXWaveFormat Pcm(int channels, int rate, int bits) {
  TGXWaveFormat f;
  f.FormatTag = 1;
  f.Channels = static_cast<std::uint16_t>(channels);
  f.SamplesPerSec = static_cast<std::uint32_t>(rate);
  f.BlockAlign = static_cast<std::uint16_t>(channels * bits / 8);
  f.AvgBytesPerSec = f.SamplesPerSec * f.BlockAlign;
  f.BitsPerSample = static_cast<std::uint16_t>(bits);
  return f;
}

// `frames` mono 16-bit frames of the constant `value`.
Bytes Constant16(int frames, std::int16_t value) {
  Bytes b;
  for (int i = 0; i < frames; ++i) {
    b.push_back(static_cast<std::uint8_t>(value));
    b.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(value) >> 8));
  }
  return b;
}

TGXSounds ThreeSounds() {
  TGXSounds s;
  s.Add(Pcm(1, 44100, 16), Constant16(100, 1000), 0, 0);
  s.Add(Pcm(2, 22050, 8), Bytes(400, 0x90), -2500, -300);
  s.Add(Pcm(1, 11025, 8), Bytes(50, 0x70), 10000, -10000);
  return s;
}

using SoundPlayer = support::TScratchTest;

TEST_F(SoundPlayer, BuildsOneBufferPerSoundWithItsPanAndVolume) {
  TGXSoundLib lib;
  lib.SetSounds(ThreeSounds());
  TGXAudio player;
  int initialized = 0;
  player.OnInitialize = [&](TObject* sender) {
    EXPECT_EQ(sender, &player);
    ++initialized;
  };
  player.SetSoundLibrary(&lib);
  EXPECT_EQ(player.Count(), 0) << "no buffers before the device is started";
  player.Start();
  ASSERT_TRUE(player.Started());
  EXPECT_EQ(initialized, 1);
  ASSERT_EQ(player.Count(), 3);
  EXPECT_EQ(player.Buffer(0).Pan(), 0);
  EXPECT_EQ(player.Buffer(1).Pan(), -2500);
  EXPECT_EQ(player.Buffer(1).Volume(), -300);
  EXPECT_EQ(player.Buffer(2).Pan(), 10000);
  EXPECT_EQ(player.Buffer(2).Volume(), -10000);
  EXPECT_EQ(player.Buffer(1).Size(), 400);
  EXPECT_EQ(player.Buffer(1).LengthMs(), 9u);  // 200 frames at 22050 Hz
  EXPECT_EQ(player.Buffer(0).SamplesPerSec(), 44100u);
  EXPECT_TRUE(lib.Sounds().HasData()) << "a library not read from a file keeps its samples";

  player.Play(1, /*Looping=*/true);
  EXPECT_TRUE(player.Buffer(1).Playing());
  player.Play(7);  // past the last sound: nothing
  player.StopAll();
  EXPECT_FALSE(player.Buffer(1).Playing());

  player.Start();  // a second start (a second activation) builds nothing again
  EXPECT_EQ(initialized, 1);
  EXPECT_EQ(player.Count(), 3);

  player.SetSoundLibrary(nullptr);
  EXPECT_EQ(player.Count(), 0) << "setting SoundLibrary to none frees every buffer";
  player.SetSoundLibrary(&lib);
  EXPECT_EQ(player.Count(), 3) << "a started player builds for a new library at once";
}

TEST_F(SoundPlayer, PanAndVolumeOutsideTheirRangesAreRefused) {
  TGXSoundLib lib;
  lib.SetSounds(ThreeSounds());
  TGXAudio player;
  player.SetSoundLibrary(&lib);
  player.Start();
  TGXSoundBuffer& b = player.Buffer(0);
  EXPECT_THROW(b.SetVolume(1), EGXLibrary);
  EXPECT_THROW(b.SetVolume(-10001), EGXLibrary);
  EXPECT_THROW(b.SetPan(10001), EGXLibrary);
  EXPECT_EQ(b.Volume(), 0);
  b.SetPan(-10000);
  EXPECT_EQ(b.Pan(), -10000);

  TGXSounds loud = ThreeSounds();
  loud.Add(Pcm(1, 8000, 8), Bytes(8, 0x80), 20000, 0);
  TGXSoundLib bad;
  bad.SetSounds(loud);
  try {
    player.SetSoundLibrary(&bad);
    FAIL();
  } catch (const EGXLibrary& e) {
    EXPECT_THAT(e.what(), HasSubstr("SetPan Failed"));
    EXPECT_THAT(e.what(), HasSubstr("sound 3 of 4"));
  }
  EXPECT_EQ(player.Count(), 0) << "a failed build leaves no half-filled player";
}

TEST_F(SoundPlayer, UnplayableFormatsFailTheBuildAsAWhole) {
  TGXSounds sounds = ThreeSounds();
  sounds.Add(Pcm(1, 44100, 24), Bytes(30, 0), 0, 0);
  TGXSoundLib lib;
  lib.SetSounds(sounds);
  TGXAudio player;
  player.Start();
  try {
    player.SetSoundLibrary(&lib);
    FAIL();
  } catch (const EGXLibrary& e) {
    EXPECT_THAT(e.what(), HasSubstr("CreateSoundBuffer Failed: 24-bit samples"));
  }
  EXPECT_EQ(player.Count(), 0);
}

TEST_F(SoundPlayer, ASoundTooLongOnceConvertedIsRefusedByNameNotConverted) {
  // 3 MiB of 8-bit mono at 1000 Hz is a legal library file of 3 MB that would grow to 529 MiB
  // in the device format. The sound before it is fine; the one after it is not reached.
  TGXSounds sounds = ThreeSounds();
  sounds.Add(Pcm(1, 1000, 8), Bytes(3 << 20, 0x80), 0, 0);
  sounds.Add(Pcm(1, 1000, 8), Bytes(10, 0x80), 0, 0);
  sounds.SaveToFile(Path("long.sl"));
  TGXSoundLib lib;
  lib.LoadFromFile(Path("long.sl"));
  TGXAudio player;
  player.SetSoundLibrary(&lib);
  try {
    player.Start();
    FAIL() << "a sound of 529 MiB was accepted";
  } catch (const EGXLibrary& e) {
    EXPECT_THAT(e.what(), HasSubstr("CreateSoundBuffer Failed: 3145728 bytes at 1000 Hz would "
                                    "take 530 MiB in the device format, above the limit of "
                                    "64 MiB a sound"));
    EXPECT_THAT(e.what(), HasSubstr("(sound 3 of 5 of " + Path("long.sl") + ")"));
  }
  EXPECT_EQ(player.Count(), 0);
  // Just inside and just outside the limit.
  TGXSoundHeader h;
  h.Format = Pcm(2, 44100, 16);
  h.Size = 64 << 20;
  EXPECT_EQ(SoundPlayProblem(h), "");
  h.Size += 4;
  EXPECT_THAT(SoundPlayProblem(h), HasSubstr("above the limit of 64 MiB"));
  h.Format = Pcm(1, 1000, 8);
  h.Size = 380000;  // 16,758,000 frames once converted
  EXPECT_EQ(SoundPlayProblem(h), "");
  h.Size = 381000;
  EXPECT_NE(SoundPlayProblem(h), "");
}

TEST_F(SoundPlayer, FileLibraryDropsItsSamplesAndALostBufferRebuildsFromTheFile) {
  ThreeSounds().SaveToFile(Path("s.sl"));
  TGXSoundLib lib;
  lib.LoadFromFile(Path("s.sl"));
  TGXAudio player;
  player.SetSoundLibrary(&lib);
  player.Start();
  ASSERT_EQ(player.Count(), 3);
  EXPECT_FALSE(lib.Sounds().HasData()) << "the buffers keep the sounds";
  EXPECT_EQ(lib.Count(), 3);

  TGXSounds two;
  two.Add(Pcm(1, 8000, 8), Bytes(8, 0x80), 0, -100);
  two.Add(Pcm(1, 8000, 8), Bytes(8, 0x80), 0, -200);
  two.SaveToFile(Path("s.sl"));
  player.Buffer(1).MarkLost();
  player.Play(1);  // the lost buffer rebuilds everything from the file
  ASSERT_EQ(player.Count(), 2);
  EXPECT_FALSE(player.Buffer(1).IsLost());
  EXPECT_EQ(player.Buffer(1).Volume(), -200);
  EXPECT_TRUE(player.Buffer(1).Playing());

  player.Buffer(0).MarkLost();
  player.Buffer(0).Play();  // played directly, the buffer hands the loss to its player
  EXPECT_EQ(player.Count(), 2);
  EXPECT_FALSE(player.Buffer(0).IsLost());

  player.SetSoundLibrary(nullptr);
  player.SetSoundLibrary(&lib);  // samples were dropped: read back from the file
  EXPECT_EQ(player.Count(), 2);

  TGXSoundLib fresh;
  TGXAudio other;
  other.SetSoundLibrary(&fresh);
  other.Rebuild();  // nothing loaded and not started: nothing to do
  try {
    fresh.Reload();
    FAIL();
  } catch (const EGXLibrary& e) {
    EXPECT_STREQ(e.what(), "LoadFromFile must be called first");
  }
}

TEST_F(SoundPlayer, ALibraryThatGoesAwayIsForgotten) {
  TGXAudio player;
  player.Start();
  {
    TGXSoundLib lib;
    lib.SetSounds(ThreeSounds());
    player.SetSoundLibrary(&lib);
    EXPECT_EQ(player.Count(), 3);
  }
  EXPECT_EQ(player.SoundLibrary(), nullptr);
  EXPECT_EQ(player.Count(), 0);
}

TEST_F(SoundPlayer, OnAFormWithAScreenItStartsOnlyAtActivation) {
  Application->Initialize();
  TForm form;
  TGXScreen screen(&form);
  screen.SetDisplayMode(dm320x200x8);
  screen.SetColorDepth(16);
  TGXSoundLib lib(&form);
  lib.SetSounds(ThreeSounds());
  TGXAudio player(&form);
  player.SetSoundLibrary(&lib);
  bool screenReady = false;
  player.OnInitialize = [&](TObject*) { screenReady = screen.Initialized(); };
  form.Loaded();
  EXPECT_FALSE(player.Started()) << "the screen starts it at activation";
  EXPECT_EQ(player.Count(), 0);
  form.Show();
  EXPECT_TRUE(player.Started());
  EXPECT_TRUE(screenReady) << "the display is set up before the sound device";
  EXPECT_EQ(player.Count(), 3);
}

TEST_F(SoundPlayer, OnAFormWithoutAScreenItStartsWhenLoaded) {
  TForm form;
  TGXAudio player(&form);
  TGXSoundLib lib(&form);
  lib.SetSounds(ThreeSounds());
  player.SetSoundLibrary(&lib);
  form.Loaded();
  EXPECT_TRUE(player.Started());
  EXPECT_EQ(player.Count(), 3);
}

TEST_F(SoundPlayer, WithoutASoundDeviceStartFailsAndLoadingGoesOnSilent) {
  audio::Close();
  const char* driver = std::getenv("SDL_AUDIODRIVER");
  const std::string old = driver ? driver : "";
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  TGXSoundLib lib;
  lib.SetSounds(ThreeSounds());
  TGXAudio player;
  player.SetSoundLibrary(&lib);
  try {
    player.Start();
    ADD_FAILURE() << "started without a device";
  } catch (const EGXLibrary& e) {
    EXPECT_STREQ(e.what(), "Failed to Create DirectSound");
  }
  EXPECT_FALSE(player.Started());
  TForm form;
  TGXAudio loaded(&form);
  EXPECT_NO_THROW(form.Loaded()) << "the failure is reported, the program goes on";
  EXPECT_FALSE(loaded.Started());
  audio::Close();
  if (old.empty()) {
    unsetenv("SDL_AUDIODRIVER");
  } else {
    setenv("SDL_AUDIODRIVER", old.c_str(), 1);
  }
}

// Plays through SDL's disk audio driver and reads back what the device was given.
class RenderedSound : public SoundPlayer {
 protected:
  void SetUp() override {
    audio::Close();
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    oldDriver_ = driver ? driver : "";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", Path("out.raw").c_str(), 1);
    if (!audio::Open()) GTEST_SKIP() << "SDL has no disk audio driver here";
  }
  void TearDown() override {
    audio::Close();
    if (oldDriver_.empty()) {
      unsetenv("SDL_AUDIODRIVER");
    } else {
      setenv("SDL_AUDIODRIVER", oldDriver_.c_str(), 1);
    }
    unsetenv("SDL_DISKAUDIOFILE");
  }
  // Waits (up to a generous bound) until no buffer plays, then closes the device so that
  // everything mixed is in the file; returns the stereo frames written.
  std::vector<std::pair<int, int>> Render(TGXAudio& player) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    auto playing = [&] {
      for (int i = 0; i < player.Count(); ++i) {
        if (player.Buffer(i).Playing()) return true;
      }
      return false;
    };
    while (playing() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the tail leaves the mixer
    EXPECT_FALSE(playing());
    player.SetSoundLibrary(nullptr);
    audio::Close();
    std::ifstream in(Path("out.raw"), std::ios::binary);
    const Bytes raw((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::pair<int, int>> frames;
    for (std::size_t i = 0; i + 4 <= raw.size(); i += 4) {
      frames.emplace_back(static_cast<std::int16_t>(raw[i] | raw[i + 1] << 8),
                          static_cast<std::int16_t>(raw[i + 2] | raw[i + 3] << 8));
    }
    return frames;
  }
  // How many frames are within 2% of (left, right).
  static int CountNear(const std::vector<std::pair<int, int>>& frames, int left, int right) {
    auto near = [](int v, int want) { return std::abs(v - want) <= std::abs(want) / 50 + 1; };
    return static_cast<int>(std::count_if(frames.begin(), frames.end(), [&](auto f) {
      return near(f.first, left) && near(f.second, right);
    }));
  }
  std::string oldDriver_;
};

TEST_F(RenderedSound, APackedSoundIsHeardAtItsPanAndVolumeMixedWithAnother) {
  // Two tenths of a second each: one sound left only, one right only at half amplitude
  // (-6.02 dB), packed into a library file and played together.
  constexpr int kFrames = 8820;
  TGXSounds sounds;
  sounds.Add(Pcm(1, 44100, 16), Constant16(kFrames, 8000), -10000, 0);
  sounds.Add(Pcm(1, 44100, 16), Constant16(kFrames, 12000), 10000, -602);
  sounds.SaveToFile(Path("two.sl"));
  TGXSoundLib lib;
  lib.LoadFromFile(Path("two.sl"));
  TGXAudio player;
  player.SetSoundLibrary(&lib);
  player.Start();
  ASSERT_EQ(player.Count(), 2);
  player.Play(0);
  player.Play(1);
  const auto frames = Render(player);
  ASSERT_GE(frames.size(), static_cast<std::size_t>(kFrames));
  // Left carries the first sound alone, right the second at half: both at once, summed.
  const int together = CountNear(frames, 8000, 6000);
  EXPECT_GE(together, kFrames * 8 / 10) << "frames with both sounds at their pan and volume";
  EXPECT_EQ(CountNear(frames, 16000, 6000), 0);
  int loudest = 0;
  for (auto [l, r] : frames) loudest = std::max({loudest, std::abs(l), std::abs(r)});
  EXPECT_LE(loudest, 12000) << "nothing louder than the loudest sound";
}

TEST_F(RenderedSound, AnEightBitStereoSoundIsConvertedToTheDeviceFormat) {
  // 8-bit unsigned stereo at 22050 Hz: 0x80 is silence, 0xC0 half scale up, 0x40 half down.
  Bytes data;
  for (int i = 0; i < 4410; ++i) data.insert(data.end(), {0xC0, 0x40});
  TGXSounds sounds;
  sounds.Add(Pcm(2, 22050, 8), data, 0, 0);
  TGXSoundLib lib;
  lib.SetSounds(sounds);
  TGXAudio player;
  player.SetSoundLibrary(&lib);
  player.Start();
  player.Play(0);
  const auto frames = Render(player);
  // 0.2 s at 22050 Hz becomes 0.2 s at 44100 Hz: 8820 frames of (+half, -half).
  EXPECT_GE(CountNear(frames, 16384, -16384), 8820 * 8 / 10);
}

TEST_F(RenderedSound, ASoundLongerThanOnePieceOfTheConversionPlaysWhole) {
  // 0.9 s of 16-bit stereo at 22050 Hz: 80,000 bytes, converted in more than one piece,
  // come to 40,000 frames at 44100 Hz: none lost at the joins or the end, none added.
  constexpr int kFrames = 40000;
  TGXSounds sounds;
  sounds.Add(Pcm(2, 22050, 16), Constant16(kFrames, 9000), 0, 0);
  TGXSoundLib lib;
  lib.SetSounds(sounds);
  TGXAudio player;
  player.SetSoundLibrary(&lib);
  player.Start();
  player.Play(0);
  const auto frames = Render(player);
  const int whole = CountNear(frames, 9000, 9000);
  EXPECT_GE(whole, kFrames - 8);
  EXPECT_LE(whole, kFrames);
}

}  // namespace
}  // namespace vornu
