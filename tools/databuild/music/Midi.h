// Standard MIDI files: a format-1 writer for the music step and a strict reader for the data checker.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vornu::midi {

// One event at an absolute tick; `bytes` is the complete message without delta time
// (status byte first; meta events as FF type length data).
struct Event {
  std::uint32_t tick = 0;
  std::vector<std::uint8_t> bytes;
};

struct Track {
  std::vector<Event> events;  // any order; the writer sorts them stably by tick
};

struct Song {
  std::uint16_t ppq = 480;  // ticks per quarter note
  std::vector<Track> tracks;
};

// Message builders (channel 0..15, data values 0..127).
Event NoteOn(std::uint32_t tick, int channel, int key, int velocity);
Event NoteOff(std::uint32_t tick, int channel, int key);
Event ProgramChange(std::uint32_t tick, int channel, int program);
Event Controller(std::uint32_t tick, int channel, int controller, int value);
Event Tempo(std::uint32_t tick, std::uint32_t microsPerQuarter);
Event TimeSignature(std::uint32_t tick, int numerator, int denominator);
Event TrackName(std::uint32_t tick, const std::string& name);

// The file image of `song` as format 1: events of a track sorted by tick (at equal ticks meta
// events first, then note-offs, then the rest in insertion order), running status, an end-of-track
// event after the last one. Throws std::invalid_argument on a malformed event.
std::vector<std::uint8_t> Encode(const Song& song);

// Writes Encode(song) to `path`; throws std::runtime_error naming the file on failure.
void WriteFile(const std::filesystem::path& path, const Song& song);

// What the reader found in a file.
struct ParsedEvent {
  std::uint32_t tick = 0;   // absolute
  std::uint8_t status = 0;  // 0x80..0xEF channel message, 0xF0/0xF7 system exclusive, 0xFF meta
  std::uint8_t metaType = 0;
  std::vector<std::uint8_t> data;  // data bytes (meta and sysex: the payload)
};

struct ParsedTrack {
  std::vector<ParsedEvent> events;
};

struct ParsedSong {
  int format = 0;
  int division = 0;  // ticks per quarter note (SMPTE timing is rejected)
  std::vector<ParsedTrack> tracks;
  // Time in seconds at which the last event of any track happens, following the tempo map.
  double DurationSeconds() const;
};

// Parses a file image; false with a reason (naming the track and byte offset) when the data is
// not a well-formed Standard MIDI file: header, chunk lengths, variable-length numbers, running
// status, event lengths, end-of-track placement. Never reads outside `data`.
bool Parse(const std::vector<std::uint8_t>& data, ParsedSong& out, std::string& why);

// Reads and parses `path`; false with a reason that names the file.
bool ParseMidiFile(const std::filesystem::path& path, ParsedSong& out, std::string& why);

// Same, when only the verdict matters (the data checker).
bool ParseMidiFile(const std::filesystem::path& path, std::string& why);

}  // namespace vornu::midi
