#include <gtest/gtest.h>

#include <string>

#include "platform/AudioDevice.h"
#include "platform/MediaPlayer.h"
#include "tests/support/ScratchTest.h"

namespace {

using AudioFiles = support::TScratchTest;

const std::string kSoundFont = std::string("RIFF\x10\0\0\0sfbk", 12) + std::string(16, '\0');

// A format-0 MIDI file with one note.
std::string Song() {
  const std::string track("\x00\x90\x3C\x40\x60\x80\x3C\x40\x00\xFF\x2F\x00", 12);
  return std::string("MThd\0\0\0\x06\0\0\0\x01\0\x60", 14) + "MTrk" + std::string("\0\0\0", 3) +
         static_cast<char>(track.size()) + track;
}

TEST_F(AudioFiles, SoundFontFromTheUserComesFirst) {
  Write("system/sounds/sf2/a.sf2", kSoundFont);
  const std::string user = Write("user/sounds/sf3/mine.sf3", kSoundFont);
  EXPECT_EQ(vornu::audio::FindSoundFont((dir_ / "user").string(), (dir_ / "system").string()),
            user);
  // Files that are not soundfonts are passed over; the distribution's default is preferred.
  Write("other/sounds/sf2/broken.sf2", "not a soundfont");
  Write("other/sounds/sf2/a.sf2", kSoundFont);
  const std::string preferred = Write("other/sounds/sf2/default-GM.sf2", kSoundFont);
  EXPECT_EQ(vornu::audio::FindSoundFont((dir_ / "nothing").string(), (dir_ / "other").string()),
            preferred);
  // The small font the setup installs wins over a large distribution default.
  const std::string small = Write("other/sounds/sf2/TimGM6mb.sf2", kSoundFont);
  EXPECT_EQ(vornu::audio::FindSoundFont((dir_ / "nothing").string(), (dir_ / "other").string()),
            small);
}

TEST_F(AudioFiles, MediaPlayerRefusesMissingAndForeignFilesByName) {
  TMediaPlayer player;
  player.SetFileName((dir_ / "music01.mid").string());
  try {
    player.Open();
    FAIL();
  } catch (const EMCIDeviceError& e) {
    EXPECT_NE(std::string(e.what()).find("music01.mid"), std::string::npos);
  }
  EXPECT_FALSE(player.IsOpen());
  player.SetFileName(Write("picture.mid", "BM not a song"));
  EXPECT_THROW(player.Open(), EMCIDeviceError);
  EXPECT_FALSE(player.IsOpen());
}

TEST_F(AudioFiles, ASongOpensAndPlaysOnceEvenWithoutMusic) {
  // Under the dummy audio driver the device opens; whether music can sound depends on the
  // soundfont. Either way the player opens and plays without an error.
  TMediaPlayer player;
  player.SetDeviceType(dtSequencer);
  player.SetFileName(Write("song.mid", Song()));
  EXPECT_NO_THROW(player.Open());
  EXPECT_TRUE(player.IsOpen());
  EXPECT_NO_THROW(player.Play());
  player.Close();
  EXPECT_FALSE(player.IsOpen());
  EXPECT_FALSE(player.Playing());
  // The device is opened once; asking again reports the same.
  EXPECT_EQ(vornu::audio::Open(), vornu::audio::IsOpen());
}

TEST(SoundChunks, ConvertPlayAndStop) {
  if (!vornu::audio::Open()) GTEST_SKIP() << "no audio device";
  std::vector<std::uint8_t> pcm(22050, 128);  // half a second of 8-bit mono silence
  vornu::audio::SoundChunk chunk(pcm.data(), pcm.size(), 22050, 8, 1);
  chunk.SetVolume(-20000);
  EXPECT_EQ(chunk.Volume(), -10000);
  chunk.SetPan(300);
  chunk.Play(true);
  EXPECT_TRUE(chunk.Playing());
  chunk.Stop();
  EXPECT_FALSE(chunk.Playing());
  EXPECT_THROW(vornu::audio::SoundChunk(pcm.data(), pcm.size(), 22050, 12, 1), std::runtime_error);
}

}  // namespace
