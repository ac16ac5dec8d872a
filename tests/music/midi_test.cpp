// The MIDI writer and reader: what is written reads back exactly; damaged files are refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/databuild/music/Midi.h"

namespace vornu::midi {
namespace {

Song TwoTrackSong() {
  Song s;
  s.ppq = 96;
  Track conductor;
  conductor.events.push_back(TrackName(0, "Test"));
  conductor.events.push_back(Tempo(0, 500000));     // 120 per minute
  conductor.events.push_back(Tempo(192, 1000000));  // 60 per minute after two beats
  Track tune;
  tune.events.push_back(ProgramChange(0, 2, 8));
  tune.events.push_back(NoteOn(0, 2, 60, 100));
  tune.events.push_back(NoteOff(96, 2, 60));
  tune.events.push_back(NoteOn(96, 2, 64, 90));
  tune.events.push_back(NoteOff(384, 2, 64));
  // A long silence needs a three-byte delta time.
  tune.events.push_back(NoteOn(384 + 20000, 2, 67, 80));
  tune.events.push_back(NoteOff(384 + 20096, 2, 67));
  s.tracks = {conductor, tune};
  return s;
}

std::vector<ParsedEvent> Channel(const ParsedTrack& t) {
  std::vector<ParsedEvent> out;
  for (const ParsedEvent& e : t.events)
    if (e.status < 0xF0) out.push_back(e);
  return out;
}

TEST(MidiRoundTrip, WhatIsWrittenReadsBackWithTimesKeysAndVelocities) {
  const std::vector<std::uint8_t> bytes = Encode(TwoTrackSong());
  ParsedSong p;
  std::string why;
  ASSERT_TRUE(Parse(bytes, p, why)) << why;
  EXPECT_EQ(p.format, 1);
  EXPECT_EQ(p.division, 96);
  ASSERT_EQ(p.tracks.size(), 2u);
  const auto ev = Channel(p.tracks[1]);
  ASSERT_EQ(ev.size(), 7u);
  EXPECT_EQ(ev[0].status, 0xC2);
  EXPECT_EQ(ev[0].data, std::vector<std::uint8_t>({8}));
  // At tick 96 the release of 60 comes before the next note starts.
  EXPECT_EQ(ev[2].status, 0x82);
  EXPECT_EQ(ev[2].tick, 96u);
  EXPECT_EQ(ev[3].status, 0x92);
  EXPECT_EQ(ev[3].data, std::vector<std::uint8_t>({64, 90}));
  EXPECT_EQ(ev[5].tick, 20384u);
  EXPECT_EQ(ev[5].data, std::vector<std::uint8_t>({67, 80}));
  // Each track ends with exactly one end-of-track event.
  EXPECT_EQ(p.tracks[1].events.back().metaType, 0x2F);
}

TEST(MidiRoundTrip, DurationFollowsTheTempoMap) {
  ParsedSong p;
  std::string why;
  ASSERT_TRUE(Parse(Encode(TwoTrackSong()), p, why)) << why;
  // Two beats at 120 (1 s), then 20096 + 192 ticks at 60 per minute (one second per 96 ticks).
  EXPECT_NEAR(p.DurationSeconds(), 1.0 + (20480.0 - 192.0) / 96.0, 1e-6);
}

TEST(MidiRoundTrip, RunningStatusIsUsedAndUnderstood) {
  Song s;
  Track t;
  for (int k = 0; k < 4; ++k) t.events.push_back(NoteOn(static_cast<std::uint32_t>(k), 0, 60 + k, 64));
  s.tracks = {t};
  const std::vector<std::uint8_t> bytes = Encode(s);
  int statusBytes = 0;
  for (std::size_t i = 22; i < bytes.size(); ++i) statusBytes += bytes[i] == 0x90;
  EXPECT_EQ(statusBytes, 1);
  ParsedSong p;
  std::string why;
  ASSERT_TRUE(Parse(bytes, p, why)) << why;
  ASSERT_EQ(Channel(p.tracks[0]).size(), 4u);
  EXPECT_EQ(Channel(p.tracks[0])[3].data, std::vector<std::uint8_t>({63, 64}));
}

TEST(MidiWriter, RefusesMessagesThatCannotBeEncoded) {
  EXPECT_THROW(NoteOn(0, 16, 60, 64), std::invalid_argument);
  EXPECT_THROW(NoteOn(0, 0, 128, 64), std::invalid_argument);
  EXPECT_THROW(TimeSignature(0, 3, 5), std::invalid_argument);
  Song empty;
  EXPECT_THROW(Encode(empty), std::invalid_argument);
}

// A hand-made file: header + one track with the given body.
std::vector<std::uint8_t> FileWithTrack(const std::vector<std::uint8_t>& body, int ntracks = 1) {
  std::vector<std::uint8_t> f = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0,
                                 static_cast<std::uint8_t>(ntracks), 0, 96};
  f.reserve(f.size() + 8 + body.size());
  f.insert(f.end(), {'M', 'T', 'r', 'k', 0, 0, static_cast<std::uint8_t>(body.size() >> 8),
                     static_cast<std::uint8_t>(body.size())});
  f.insert(f.end(), body.begin(), body.end());
  return f;
}

std::string Why(const std::vector<std::uint8_t>& bytes) {
  ParsedSong p;
  std::string why;
  return Parse(bytes, p, why) ? "" : why;
}

TEST(MidiReader, RefusesDamagedFilesWithAReason) {
  EXPECT_EQ(Why(FileWithTrack({0, 0x90, 60, 64, 0, 0xFF, 0x2F, 0})), "");
  EXPECT_NE(Why(FileWithTrack({0, 60, 64, 0, 0xFF, 0x2F, 0})).find("running status"),
            std::string::npos);
  EXPECT_NE(Why(FileWithTrack({0, 0x90, 60, 64})).find("end-of-track"), std::string::npos);
  EXPECT_NE(Why(FileWithTrack({0, 0xFF, 0x2F, 0, 0, 0x90, 60, 64})).find("after the end"),
            std::string::npos);
  EXPECT_NE(Why(FileWithTrack({0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x2F, 0})).find("four bytes"),
            std::string::npos);
  EXPECT_NE(Why(FileWithTrack({0, 0x90, 60, 0x90, 0, 0xFF, 0x2F, 0})).find("status byte inside"),
            std::string::npos);
  EXPECT_NE(Why(FileWithTrack({0, 0xFF, 0x51, 2, 7, 0xA1, 0, 0xFF, 0x2F, 0})).find("tempo"),
            std::string::npos);
  EXPECT_NE(Why(FileWithTrack({0, 0xFF, 0x2F, 0}, 2)).find("announces 2"), std::string::npos);
  std::vector<std::uint8_t> smpte = FileWithTrack({0, 0xFF, 0x2F, 0});
  smpte[12] = 0xE7;
  EXPECT_NE(Why(smpte).find("division"), std::string::npos);
  std::vector<std::uint8_t> longChunk = FileWithTrack({0, 0xFF, 0x2F, 0});
  longChunk[20] = 0x10;
  EXPECT_NE(Why(longChunk).find("claims"), std::string::npos);
}

TEST(MidiReader, EveryTruncationOfAGoodFileIsRefusedWithoutReadingPastIt) {
  const std::vector<std::uint8_t> good = Encode(TwoTrackSong());
  for (std::size_t n = 0; n < good.size(); ++n) {
    const std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_NE(Why(cut), "") << "a file cut to " << n << " bytes was accepted";
  }
}

TEST(MidiReader, DamagedBytesNeverCrashAndAreEitherReadOrExplained) {
  const std::vector<std::uint8_t> good = Encode(TwoTrackSong());
  std::uint32_t seed = 12345;
  auto next = [&seed]() { return seed = seed * 1664525u + 1013904223u; };
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::uint8_t> bad = good;
    for (int k = 0; k < 1 + round % 4; ++k) {
      bad[next() % bad.size()] = static_cast<std::uint8_t>(next() >> 24);
    }
    ParsedSong p;
    std::string why;
    if (!Parse(bad, p, why)) {
      EXPECT_FALSE(why.empty());
    }
  }
}

TEST(MidiReader, SkipsChunksItDoesNotKnow) {
  std::vector<std::uint8_t> f = FileWithTrack({0, 0x90, 60, 64, 0, 0xFF, 0x2F, 0});
  f.insert(f.begin() + 14, {'X', 'y', 'z', 'w', 0, 0, 0, 2, 1, 2});
  EXPECT_EQ(Why(f), "");
}

TEST(MidiReader, NamesTheFileItCannotOpen) {
  std::string why;
  EXPECT_FALSE(ParseMidiFile("/nonexistent/music09.mid", why));
  EXPECT_NE(why.find("music09.mid"), std::string::npos);
}

}  // namespace
}  // namespace vornu::midi
