#include "tools/databuild/music/Midi.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>

namespace vornu::midi {
namespace {

std::uint8_t Data7(int v, const char* what) {
  if (v < 0 || v > 127) throw std::invalid_argument(std::string(what) + " out of range 0..127");
  return static_cast<std::uint8_t>(v);
}

std::uint8_t Channel(int c) {
  if (c < 0 || c > 15) throw std::invalid_argument("MIDI channel out of range 0..15");
  return static_cast<std::uint8_t>(c);
}

void PutVarLen(std::vector<std::uint8_t>& out, std::uint32_t v) {
  if (v > 0x0FFFFFFF) throw std::invalid_argument("delta time too large for a MIDI file");
  std::uint8_t buf[4];
  int n = 0;
  buf[n++] = v & 0x7F;
  while ((v >>= 7) != 0) buf[n++] = static_cast<std::uint8_t>(0x80 | (v & 0x7F));
  while (n > 0) out.push_back(buf[--n]);
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}

Event Meta(std::uint32_t tick, std::uint8_t type, const std::vector<std::uint8_t>& payload) {
  Event e{tick, {0xFF, type}};
  PutVarLen(e.bytes, static_cast<std::uint32_t>(payload.size()));
  e.bytes.insert(e.bytes.end(), payload.begin(), payload.end());
  return e;
}

// Data bytes a channel message with this status carries.
int ChannelDataLength(std::uint8_t status) {
  switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
      return 1;
    default:
      return 2;
  }
}

// Sort rank at one tick: meta first (tempo before notes), then releases, then everything else.
int Rank(const Event& e) {
  if (e.bytes.empty()) throw std::invalid_argument("empty MIDI event");
  const std::uint8_t s = e.bytes[0];
  if (s == 0xFF) return 0;
  if ((s & 0xF0) == 0x80 || ((s & 0xF0) == 0x90 && e.bytes.size() == 3 && e.bytes[2] == 0)) {
    return 1;
  }
  return 2;
}

std::vector<std::uint8_t> EncodeTrack(const Track& track) {
  std::vector<const Event*> order;
  order.reserve(track.events.size());
  for (const Event& e : track.events) {
    // An end-of-track inside the list would cut the track short; the writer adds its own.
    if (e.bytes.size() >= 2 && e.bytes[0] == 0xFF && e.bytes[1] == 0x2F) continue;
    order.push_back(&e);
  }
  std::stable_sort(order.begin(), order.end(), [](const Event* a, const Event* b) {
    if (a->tick != b->tick) return a->tick < b->tick;
    return Rank(*a) < Rank(*b);
  });
  std::vector<std::uint8_t> out;
  std::uint32_t now = 0;
  std::uint8_t running = 0;
  for (const Event* e : order) {
    const std::uint8_t s = e->bytes[0];
    PutVarLen(out, e->tick - now);
    now = e->tick;
    if (s >= 0x80 && s <= 0xEF) {
      if (e->bytes.size() != 1u + ChannelDataLength(s)) {
        throw std::invalid_argument("channel message with the wrong number of data bytes");
      }
      for (std::size_t i = 1; i < e->bytes.size(); ++i) {
        if (e->bytes[i] & 0x80) throw std::invalid_argument("data byte above 127");
      }
      if (s != running) out.push_back(s);
      running = s;
      out.insert(out.end(), e->bytes.begin() + 1, e->bytes.end());
    } else if (s == 0xFF || s == 0xF0 || s == 0xF7) {
      // Meta and system-exclusive events cancel running status for readers that are strict.
      out.insert(out.end(), e->bytes.begin(), e->bytes.end());
      running = 0;
    } else {
      throw std::invalid_argument("MIDI event with an invalid status byte");
    }
  }
  PutVarLen(out, 0);
  out.insert(out.end(), {0xFF, 0x2F, 0x00});
  return out;
}

// Bounds-checked cursor over the file image.
class Reader {
 public:
  Reader(const std::vector<std::uint8_t>& d, std::size_t begin, std::size_t end)
      : d_(d), pos_(begin), end_(end) {}
  std::size_t Pos() const { return pos_; }
  bool AtEnd() const { return pos_ >= end_; }
  bool Byte(std::uint8_t& b) {
    if (pos_ >= end_) return false;
    b = d_[pos_++];
    return true;
  }
  bool Peek(std::uint8_t& b) const {
    if (pos_ >= end_) return false;
    b = d_[pos_];
    return true;
  }
  // Variable-length number of at most four bytes.
  bool VarLen(std::uint32_t& v, bool& tooLong) {
    v = 0;
    tooLong = false;
    for (int i = 0; i < 4; ++i) {
      std::uint8_t b;
      if (!Byte(b)) return false;
      v = (v << 7) | (b & 0x7F);
      if (!(b & 0x80)) return true;
    }
    tooLong = true;
    return false;
  }
  bool Bytes(std::size_t n, std::vector<std::uint8_t>& out) {
    if (n > end_ - pos_) return false;
    out.assign(d_.begin() + static_cast<std::ptrdiff_t>(pos_),
               d_.begin() + static_cast<std::ptrdiff_t>(pos_ + n));
    pos_ += n;
    return true;
  }

 private:
  const std::vector<std::uint8_t>& d_;
  std::size_t pos_, end_;
};

std::uint32_t Be32(const std::vector<std::uint8_t>& d, std::size_t at) {
  return (std::uint32_t{d[at]} << 24) | (std::uint32_t{d[at + 1]} << 16) |
         (std::uint32_t{d[at + 2]} << 8) | d[at + 3];
}

bool ParseTrack(const std::vector<std::uint8_t>& data, std::size_t begin, std::size_t end,
                int index, ParsedTrack& track, std::string& why) {
  Reader r(data, begin, end);
  std::uint8_t running = 0;
  std::uint32_t tick = 0;
  const std::string where = "track " + std::to_string(index) + ": ";
  auto fail = [&](const std::string& what) {
    why = where + what + " at byte " + std::to_string(r.Pos());
    return false;
  };
  while (true) {
    if (r.AtEnd()) return fail("track chunk ends without an end-of-track event");
    std::uint32_t delta;
    bool tooLong;
    if (!r.VarLen(delta, tooLong)) {
      return fail(tooLong ? "delta time longer than four bytes" : "truncated delta time");
    }
    if (delta > 0xFFFFFFFFu - tick) return fail("event time overflows");
    tick += delta;
    std::uint8_t first;
    if (!r.Peek(first)) return fail("truncated event");
    ParsedEvent ev;
    ev.tick = tick;
    if (first & 0x80) {
      r.Byte(first);
      ev.status = first;
    } else {
      if (running == 0) return fail("data byte without a status (no running status)");
      ev.status = running;
    }
    if (ev.status >= 0x80 && ev.status <= 0xEF) {
      running = ev.status;
      const int n = ChannelDataLength(ev.status);
      for (int i = 0; i < n; ++i) {
        std::uint8_t b;
        if (!r.Byte(b)) return fail("truncated channel message");
        if (b & 0x80) return fail("status byte inside a channel message");
        ev.data.push_back(b);
      }
    } else if (ev.status == 0xFF) {
      running = 0;
      std::uint32_t len;
      if (!r.Byte(ev.metaType)) return fail("truncated meta event");
      if (!r.VarLen(len, tooLong)) return fail("bad meta event length");
      if (!r.Bytes(len, ev.data)) return fail("meta event runs past the end of its track");
      if (ev.metaType == 0x51 && len != 3) return fail("tempo event of length other than 3");
      if (ev.metaType == 0x2F) {
        if (len != 0) return fail("end-of-track event with data");
        track.events.push_back(std::move(ev));
        if (!r.AtEnd()) return fail("data after the end-of-track event");
        return true;
      }
    } else if (ev.status == 0xF0 || ev.status == 0xF7) {
      running = 0;
      std::uint32_t len;
      if (!r.VarLen(len, tooLong)) return fail("bad system-exclusive length");
      if (!r.Bytes(len, ev.data)) return fail("system-exclusive event runs past its track");
    } else {
      return fail("system message " + std::to_string(ev.status) + " not allowed in a file");
    }
    track.events.push_back(std::move(ev));
  }
}

}  // namespace

Event NoteOn(std::uint32_t tick, int channel, int key, int velocity) {
  return {tick,
          {static_cast<std::uint8_t>(0x90 | Channel(channel)), Data7(key, "note"),
           Data7(velocity, "velocity")}};
}

Event NoteOff(std::uint32_t tick, int channel, int key) {
  return {tick, {static_cast<std::uint8_t>(0x80 | Channel(channel)), Data7(key, "note"), 64}};
}

Event ProgramChange(std::uint32_t tick, int channel, int program) {
  return {tick,
          {static_cast<std::uint8_t>(0xC0 | Channel(channel)), Data7(program, "program")}};
}

Event Controller(std::uint32_t tick, int channel, int controller, int value) {
  return {tick,
          {static_cast<std::uint8_t>(0xB0 | Channel(channel)), Data7(controller, "controller"),
           Data7(value, "controller value")}};
}

Event Tempo(std::uint32_t tick, std::uint32_t micros) {
  if (micros == 0 || micros > 0xFFFFFF) throw std::invalid_argument("tempo out of range");
  return Meta(tick, 0x51,
              {static_cast<std::uint8_t>(micros >> 16), static_cast<std::uint8_t>(micros >> 8),
               static_cast<std::uint8_t>(micros)});
}

Event TimeSignature(std::uint32_t tick, int numerator, int denominator) {
  int power = 0;
  while ((1 << power) < denominator) ++power;
  if (numerator < 1 || numerator > 255 || (1 << power) != denominator || power > 6) {
    throw std::invalid_argument("invalid time signature");
  }
  return Meta(tick, 0x58,
              {static_cast<std::uint8_t>(numerator), static_cast<std::uint8_t>(power), 24, 8});
}

Event TrackName(std::uint32_t tick, const std::string& name) {
  return Meta(tick, 0x03, std::vector<std::uint8_t>(name.begin(), name.end()));
}

std::vector<std::uint8_t> Encode(const Song& song) {
  if (song.tracks.empty() || song.tracks.size() > 0xFFFF) {
    throw std::invalid_argument("a MIDI file needs 1..65535 tracks");
  }
  if (song.ppq == 0 || (song.ppq & 0x8000)) throw std::invalid_argument("invalid division");
  std::vector<std::uint8_t> out = {'M', 'T', 'h', 'd'};
  Put32(out, 6);
  Put16(out, 1);
  Put16(out, static_cast<std::uint32_t>(song.tracks.size()));
  Put16(out, song.ppq);
  for (const Track& t : song.tracks) {
    const std::vector<std::uint8_t> body = EncodeTrack(t);
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    Put32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
  }
  return out;
}

void WriteFile(const std::filesystem::path& path, const Song& song) {
  const std::vector<std::uint8_t> bytes = Encode(song);
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) throw std::runtime_error(path.string() + ": cannot open for writing");
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!f.flush()) throw std::runtime_error(path.string() + ": write failed");
}

bool Parse(const std::vector<std::uint8_t>& data, ParsedSong& out, std::string& why) {
  out = ParsedSong{};
  if (data.size() < 14 || !std::equal(data.begin(), data.begin() + 4, "MThd")) {
    why = "no MThd header";
    return false;
  }
  const std::uint32_t hlen = Be32(data, 4);
  if (hlen < 6 || hlen > data.size() - 8) {
    why = "header chunk length " + std::to_string(hlen) + " is invalid";
    return false;
  }
  out.format = (data[8] << 8) | data[9];
  const int ntracks = (data[10] << 8) | data[11];
  out.division = (data[12] << 8) | data[13];
  if (out.format > 2) {
    why = "unknown format " + std::to_string(out.format);
    return false;
  }
  if (ntracks == 0 || (out.format == 0 && ntracks != 1)) {
    why = "format " + std::to_string(out.format) + " with " + std::to_string(ntracks) + " tracks";
    return false;
  }
  if (out.division == 0 || (out.division & 0x8000)) {
    why = "division " + std::to_string(out.division) + " is not ticks per quarter note";
    return false;
  }
  std::size_t pos = 8 + hlen;
  while (pos < data.size()) {
    if (data.size() - pos < 8) {
      why = "truncated chunk header at byte " + std::to_string(pos);
      return false;
    }
    const std::uint32_t len = Be32(data, pos + 4);
    if (len > data.size() - pos - 8) {
      why = "chunk at byte " + std::to_string(pos) + " claims " + std::to_string(len) +
            " bytes, only " + std::to_string(data.size() - pos - 8) + " remain";
      return false;
    }
    if (std::equal(data.begin() + static_cast<std::ptrdiff_t>(pos),
                   data.begin() + static_cast<std::ptrdiff_t>(pos + 4), "MTrk")) {
      ParsedTrack t;
      if (!ParseTrack(data, pos + 8, pos + 8 + len, static_cast<int>(out.tracks.size()) + 1, t,
                      why)) {
        return false;
      }
      out.tracks.push_back(std::move(t));
    }  // other chunk types are skipped, as readers must
    pos += 8 + len;
  }
  if (static_cast<int>(out.tracks.size()) != ntracks) {
    why = "header announces " + std::to_string(ntracks) + " tracks, file has " +
          std::to_string(out.tracks.size());
    return false;
  }
  return true;
}

double ParsedSong::DurationSeconds() const {
  if (division <= 0) return 0;
  std::map<std::uint32_t, std::uint32_t> tempo;  // tick -> microseconds per quarter
  std::uint32_t last = 0;
  // In format 1 the tempo map lives in the first track; reading every track is equivalent there.
  for (const ParsedTrack& t : tracks) {
    for (const ParsedEvent& e : t.events) {
      last = std::max(last, e.tick);
      if (e.status == 0xFF && e.metaType == 0x51 && e.data.size() == 3) {
        tempo[e.tick] = (std::uint32_t{e.data[0]} << 16) | (e.data[1] << 8) | e.data[2];
      }
    }
  }
  double seconds = 0;
  std::uint32_t at = 0, micros = 500000;
  for (const auto& [tick, m] : tempo) {
    if (tick >= last) break;
    seconds += double(tick - at) * micros / 1e6 / division;
    at = tick;
    micros = m;
  }
  seconds += double(last - at) * micros / 1e6 / division;
  return seconds;
}

bool ParseMidiFile(const std::filesystem::path& path, ParsedSong& out, std::string& why) {
  std::ifstream f(path, std::ios::binary);
  if (!f) {
    why = path.string() + ": cannot open";
    return false;
  }
  const std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(f)),
                                       std::istreambuf_iterator<char>());
  if (!Parse(data, out, why)) {
    why = path.string() + ": " + why;
    return false;
  }
  return true;
}

bool ParseMidiFile(const std::filesystem::path& path, std::string& why) {
  ParsedSong song;
  return ParseMidiFile(path, song, why);
}

}  // namespace vornu::midi
