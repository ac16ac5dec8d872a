#include "tools/databuild/music/NoteText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include "tools/databuild/Registry.h"

namespace vornu::databuild {
namespace {

constexpr int kPpq = 480;
constexpr int kMaxPlayDepth = 16;
// A runaway `repeat` must not exhaust memory: no song of ours comes near this.
constexpr std::uint32_t kMaxTicks = 20u * 60u * 8u * kPpq;

struct Line {
  int number = 0;
  std::vector<std::string> tokens;
};

// General MIDI programs by a readable name (numbers are the usual one-based ones).
const std::map<std::string, int>& ProgramNames() {
  static const std::map<std::string, int> names = {
      {"piano", 1},         {"brightpiano", 2}, {"epiano", 5},      {"harpsichord", 7},
      {"celesta", 9},       {"glockenspiel", 10}, {"musicbox", 11}, {"vibraphone", 12},
      {"marimba", 13},      {"xylophone", 14},  {"tubularbells", 15}, {"organ", 20},
      {"accordion", 22},    {"nylonguitar", 25}, {"acousticbass", 33}, {"fingerbass", 34},
      {"violin", 41},       {"cello", 43},      {"contrabass", 44}, {"tremolo", 45},
      {"pizzicato", 46},    {"harp", 47},       {"timpani", 48},    {"strings", 49},
      {"slowstrings", 50},  {"choir", 53},      {"voice", 54},      {"trumpet", 57},
      {"trombone", 58},     {"tuba", 59},       {"frenchhorn", 61}, {"brass", 62},
      {"oboe", 69},         {"englishhorn", 70}, {"bassoon", 71},   {"clarinet", 72},
      {"piccolo", 73},      {"flute", 74},      {"recorder", 75},   {"panflute", 76},
      {"ocarina", 80},      {"bells", 113},
  };
  return names;
}

// Percussion keys (General MIDI channel 10) by name.
const std::map<std::string, int>& DrumNames() {
  static const std::map<std::string, int> names = {
      {"kick", 36},  {"rim", 37},   {"snare", 38}, {"clap", 39},      {"hat", 42},
      {"phat", 44},  {"ohat", 46},  {"crash", 49}, {"ride", 51},      {"tamb", 54},
      {"cowbell", 56}, {"wood", 76}, {"lowwood", 77}, {"mutetri", 80}, {"tri", 81},
      {"shaker", 82}, {"sleigh", 83}, {"belltree", 84}, {"castanets", 85},
  };
  return names;
}

std::vector<Line> SplitLines(const std::string& text, const std::filesystem::path& file) {
  std::vector<Line> lines;
  std::istringstream in(text);
  std::string raw;
  int number = 0;
  while (std::getline(in, raw)) {
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    // '#' opens a comment only at the start of a word, since it also spells sharps (f#4).
    for (std::size_t k = 0; k < raw.size(); ++k) {
      if (raw[k] == '#' && (k == 0 || std::isspace(static_cast<unsigned char>(raw[k - 1])))) {
        raw.erase(k);
        break;
      }
    }
    Line line{number, {}};
    std::size_t i = 0;
    while (i < raw.size()) {
      if (std::isspace(static_cast<unsigned char>(raw[i]))) {
        ++i;
        continue;
      }
      std::size_t j = i;
      if (raw[i] == '[') {
        j = raw.find(']', i);
        if (j == std::string::npos) throw BuildError(file, number, "'[' without a closing ']'");
      }
      while (j < raw.size() && !std::isspace(static_cast<unsigned char>(raw[j]))) ++j;
      line.tokens.push_back(raw.substr(i, j - i));
      i = j;
    }
    if (!line.tokens.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

// The lines from `begin` (just after an opening line) to the matching `end`; `next` is set past it.
std::vector<Line> Block(const std::vector<Line>& lines, std::size_t begin, std::size_t& next,
                        const std::filesystem::path& file, int openLine, const std::string& what) {
  int depth = 0;
  for (std::size_t i = begin; i < lines.size(); ++i) {
    const std::string& head = lines[i].tokens[0];
    if (head == "repeat") ++depth;
    if (head == "def" || head == "track") {
      throw BuildError(file, lines[i].number, "'" + head + "' inside " + what + " (missing 'end'?)");
    }
    if (head == "end") {
      if (lines[i].tokens.size() != 1) throw BuildError(file, lines[i].number, "text after 'end'");
      if (depth == 0) {
        next = i + 1;
        return {lines.begin() + static_cast<std::ptrdiff_t>(begin),
                lines.begin() + static_cast<std::ptrdiff_t>(i)};
      }
      --depth;
    }
  }
  throw BuildError(file, openLine, what + " has no 'end'");
}

std::optional<int> ToInt(const std::string& s) {
  int v = 0;
  const char* first = s.data();
  if (!s.empty() && s[0] == '+') ++first;
  auto [p, ec] = std::from_chars(first, s.data() + s.size(), v);
  if (ec != std::errc() || p != s.data() + s.size() || first == s.data() + s.size()) {
    return std::nullopt;
  }
  return v;
}

struct Meter {
  std::uint32_t since = 0;  // tick of the last meter change
  std::uint32_t bar = 4 * kPpq;
};

class Compiler {
 public:
  explicit Compiler(std::filesystem::path file) : file_(std::move(file)) {}

  midi::Song Run(const std::string& text);

 private:
  struct TrackState {
    midi::Track out;
    int channel = 0;
    std::uint32_t now = 0;
    int velocity = 90;
    int gate = 90;
    int transpose = 0;
    int jitter = 0;
    std::uint32_t seed = 1;
    std::uint32_t lastDuration = kPpq;
    Meter meter;
    // Tied notes still sounding: key -> start tick and velocity.
    std::map<int, std::pair<std::uint32_t, int>> ties;
    int playDepth = 0;
  };

  [[noreturn]] void Fail(int line, const std::string& what) const {
    throw BuildError(file_, line, what);
  }
  int Int(const Line& l, std::size_t& i, const std::string& what, int lo, int hi) const;
  std::uint32_t Duration(const std::string& token, int line) const;
  int Pitch(const std::string& name, int line) const;
  void Header(const Line& l);
  void Track(const std::string& name, const std::vector<Line>& body, int line);
  void RunLines(const std::vector<Line>& body, TrackState& t);
  void Note(const std::string& token, int line, TrackState& t);
  void AddTempo(std::uint32_t tick, int bpm, int line);
  void AddMeter(std::uint32_t tick, const std::string& token, int line, Meter& meter);

  std::filesystem::path file_;
  std::string title_ = "Vornu";
  std::map<std::string, std::vector<Line>> defs_;
  std::map<std::uint32_t, int> tempos_;                       // tick -> quarter notes per minute
  std::map<std::uint32_t, std::pair<int, int>> meters_;       // tick -> numerator, denominator
  Meter initialMeter_;
  std::vector<midi::Track> tracks_;
  int nextChannel_ = 0;
};

int Compiler::Int(const Line& l, std::size_t& i, const std::string& what, int lo, int hi) const {
  if (i + 1 >= l.tokens.size()) Fail(l.number, "'" + what + "' needs a number");
  const std::optional<int> v = ToInt(l.tokens[++i]);
  if (!v || *v < lo || *v > hi) {
    Fail(l.number, "'" + what + "' wants a whole number " + std::to_string(lo) + ".." +
                       std::to_string(hi) + ", not '" + l.tokens[i] + "'");
  }
  return *v;
}

// "4" quarter, "8." dotted eighth, "8t" triplet eighth, "2+8" a half and an eighth tied.
std::uint32_t Compiler::Duration(const std::string& token, int line) const {
  std::uint32_t total = 0;
  std::size_t start = 0;
  while (start <= token.size()) {
    std::size_t plus = token.find('+', start);
    if (plus == std::string::npos) plus = token.size();
    std::string part = token.substr(start, plus - start);
    bool triplet = false;
    int dots = 0;
    while (!part.empty() && (part.back() == '.' || part.back() == 't')) {
      if (part.back() == '.') ++dots;
      if (part.back() == 't') triplet = true;
      part.pop_back();
    }
    const std::optional<int> d = ToInt(part);
    if (!d || (*d != 1 && *d != 2 && *d != 4 && *d != 8 && *d != 16 && *d != 32) || dots > 2) {
      Fail(line, "bad duration '" + token + "' (1 2 4 8 16 32, '.' dotted, 't' triplet, '+' tied)");
    }
    std::uint32_t ticks = 4u * kPpq / static_cast<std::uint32_t>(*d);
    if (triplet) ticks = ticks * 2 / 3;
    std::uint32_t add = ticks;
    for (int k = 0; k < dots; ++k) add += ticks >> (k + 1);
    total += add;
    start = plus + 1;
  }
  return total;
}

int Compiler::Pitch(const std::string& name, int line) const {
  const auto drum = DrumNames().find(name);
  if (drum != DrumNames().end()) return drum->second;
  if (name.size() >= 2 && name[0] == 'n') {
    const std::optional<int> key = ToInt(name.substr(1));
    if (key && *key >= 0 && *key <= 127) return *key;
  }
  static const int kSteps[7] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
  if (name.empty() || name[0] < 'a' || name[0] > 'g') {
    Fail(line, "'" + name + "' is neither a note (c4, f#5, bb3), a rest (r) nor a keyword");
  }
  int semis = kSteps[name[0] - 'a'];
  std::size_t i = 1;
  while (i < name.size() && (name[i] == '#' || name[i] == 'b')) {
    semis += name[i] == '#' ? 1 : -1;
    ++i;
  }
  const std::optional<int> octave = ToInt(name.substr(i));
  if (!octave || name.substr(i).empty() || name[i] == '+' || *octave < -1 || *octave > 9) {
    Fail(line, "note '" + name + "' needs an octave -1..9 (c4 is middle C)");
  }
  const int key = (*octave + 1) * 12 + semis;
  if (key < 0 || key > 127) Fail(line, "note '" + name + "' is outside the MIDI range");
  return key;
}

void Compiler::AddTempo(std::uint32_t tick, int bpm, int line) {
  const auto [it, fresh] = tempos_.emplace(tick, bpm);
  if (!fresh && it->second != bpm) {
    Fail(line, "tempo " + std::to_string(bpm) + " conflicts with tempo " +
                   std::to_string(it->second) + " set at the same moment by another track");
  }
}

void Compiler::AddMeter(std::uint32_t tick, const std::string& token, int line, Meter& meter) {
  const std::size_t slash = token.find('/');
  const std::optional<int> num = ToInt(token.substr(0, slash));
  const std::optional<int> den =
      slash == std::string::npos ? std::nullopt : ToInt(token.substr(slash + 1));
  if (!num || !den || *num < 1 || *num > 16 ||
      (*den != 2 && *den != 4 && *den != 8 && *den != 16)) {
    Fail(line, "bad time signature '" + token + "' (e.g. 3/4, 6/8)");
  }
  if ((tick - meter.since) % meter.bar != 0) {
    Fail(line, "time signature change in the middle of a bar");
  }
  const auto [it, fresh] = meters_.emplace(tick, std::make_pair(*num, *den));
  if (!fresh && it->second != std::make_pair(*num, *den)) {
    Fail(line, "time signature " + token + " conflicts with another track at the same moment");
  }
  meter.since = tick;
  meter.bar = static_cast<std::uint32_t>(*num) * 4u * kPpq / static_cast<std::uint32_t>(*den);
}

void Compiler::Header(const Line& l) {
  const std::string& head = l.tokens[0];
  std::size_t i = 0;
  if (head == "title") {
    title_.clear();
    for (std::size_t k = 1; k < l.tokens.size(); ++k) title_ += (k > 1 ? " " : "") + l.tokens[k];
    return;
  }
  if (head == "tempo") {
    AddTempo(0, Int(l, i, "tempo", 20, 400), l.number);
  } else if (head == "time") {
    if (l.tokens.size() < 2) Fail(l.number, "'time' needs a signature such as 3/4");
    AddMeter(0, l.tokens[1], l.number, initialMeter_);
    i = 1;
  } else {
    Fail(l.number, "'" + head + "' outside a track (expected title, tempo, time, def or track)");
  }
  if (i + 1 != l.tokens.size()) Fail(l.number, "unexpected '" + l.tokens[i + 1] + "'");
}

void Compiler::Note(const std::string& token, int line, TrackState& t) {
  // Split "[c4 e4]2.~!" or "c4/2~" into keys, duration and suffixes.
  std::string body = token, dur;
  bool tie = false, accent = false;
  std::vector<std::string> names;
  if (body[0] == '[') {
    const std::size_t close = body.find(']');
    std::istringstream inner(body.substr(1, close - 1));
    for (std::string n; inner >> n;) names.push_back(n);
    if (names.empty()) Fail(line, "empty chord '[]'");
    body = body.substr(close + 1);
    if (!body.empty() && body[0] == '/') body.erase(0, 1);
    dur = body;
  } else {
    const std::size_t slash = body.find('/');
    names.push_back(body.substr(0, slash));
    dur = slash == std::string::npos ? "" : body.substr(slash + 1);
    if (slash == std::string::npos) {
      // Suffixes may follow the name directly: "c4~", "c4!".
      while (!names[0].empty() && (names[0].back() == '~' || names[0].back() == '!')) {
        (names[0].back() == '~' ? tie : accent) = true;
        names[0].pop_back();
      }
    }
  }
  while (!dur.empty() && (dur.back() == '~' || dur.back() == '!')) {
    (dur.back() == '~' ? tie : accent) = true;
    dur.pop_back();
  }
  const std::uint32_t length = dur.empty() ? t.lastDuration : Duration(dur, line);
  t.lastDuration = length;
  if (t.now + length > kMaxTicks) Fail(line, "track longer than twenty minutes");

  const bool rest = names.size() == 1 && names[0] == "r";
  if (rest) {
    if (tie) Fail(line, "a rest cannot be tied");
    if (!t.ties.empty()) Fail(line, "rest while a tied note waits for its continuation");
    t.now += length;
    return;
  }
  int velocity = t.velocity + (accent ? 16 : 0);
  if (t.jitter > 0) {
    t.seed = t.seed * 1103515245u + 12345u;
    velocity += static_cast<int>((t.seed >> 16) % static_cast<std::uint32_t>(2 * t.jitter + 1)) -
                t.jitter;
  }
  velocity = std::clamp(velocity, 1, 127);
  std::vector<int> keys;
  for (const std::string& n : names) {
    if (n == "r") Fail(line, "a rest inside a chord");
    const int key = Pitch(n, line) + (t.channel == 9 ? 0 : t.transpose);
    if (key < 0 || key > 127) Fail(line, "note '" + n + "' transposed outside the MIDI range");
    if (std::find(keys.begin(), keys.end(), key) != keys.end()) {
      Fail(line, "note '" + n + "' twice in one chord");
    }
    keys.push_back(key);
  }
  for (const auto& [key, start] : t.ties) {
    if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
      Fail(line, "tied note " + std::to_string(key) + " is not continued by the next note");
    }
  }
  for (int key : keys) {
    const auto held = t.ties.find(key);
    if (held == t.ties.end()) t.out.events.push_back(midi::NoteOn(t.now, t.channel, key, velocity));
    if (tie) {
      if (held == t.ties.end()) t.ties[key] = {t.now, velocity};
    } else {
      if (held != t.ties.end()) t.ties.erase(held);
      const std::uint32_t sounding =
          std::max<std::uint32_t>(1, length * static_cast<std::uint32_t>(t.gate) / 100);
      t.out.events.push_back(midi::NoteOff(t.now + sounding, t.channel, key));
    }
  }
  t.now += length;
}

void Compiler::RunLines(const std::vector<Line>& body, TrackState& t) {
  for (std::size_t n = 0; n < body.size();) {
    const Line& l = body[n];
    const std::string& head = l.tokens[0];
    if (head == "repeat") {
      std::size_t i = 0;
      const int times = Int(l, i, "repeat", 1, 64);
      if (l.tokens.size() != 2) Fail(l.number, "text after 'repeat N'");
      std::size_t next = 0;
      const std::vector<Line> inner = Block(body, n + 1, next, file_, l.number, "repeat");
      for (int k = 0; k < times; ++k) RunLines(inner, t);
      n = next;
      continue;
    }
    if (head == "end") Fail(l.number, "'end' without 'repeat'");
    for (std::size_t i = 0; i < l.tokens.size(); ++i) {
      const std::string& tok = l.tokens[i];
      if (tok == "|") {
        if ((t.now - t.meter.since) % t.meter.bar != 0) {
          const std::uint32_t into = (t.now - t.meter.since) % t.meter.bar;
          Fail(l.number, "bar line " + std::to_string(into * 16 / kPpq) +
                             " sixteenths into a bar (a bar holds " +
                             std::to_string(t.meter.bar * 4 / kPpq) + ")");
        }
      } else if (tok == "vel") {
        t.velocity = Int(l, i, tok, 1, 127);
      } else if (tok == "gate") {
        t.gate = Int(l, i, tok, 5, 100);
      } else if (tok == "human") {
        t.jitter = Int(l, i, tok, 0, 20);
      } else if (tok == "transpose") {
        t.transpose = Int(l, i, tok, -48, 48);
      } else if (tok == "tempo") {
        AddTempo(t.now, Int(l, i, tok, 20, 400), l.number);
      } else if (tok == "time") {
        if (i + 1 >= l.tokens.size()) Fail(l.number, "'time' needs a signature such as 3/4");
        AddMeter(t.now, l.tokens[++i], l.number, t.meter);
      } else if (tok == "channel" || tok == "drums") {
        // Events already written carry the old channel: a late change would split the track.
        if (t.out.events.size() > 1) {
          Fail(l.number, "'" + tok + "' must come before anything else in the track");
        }
        t.channel = tok == "drums" ? 9 : Int(l, i, tok, 1, 16) - 1;
      } else if (tok == "program") {
        if (i + 1 >= l.tokens.size()) Fail(l.number, "'program' needs a name or 1..128");
        const std::string& p = l.tokens[i + 1];
        const auto named = ProgramNames().find(p);
        const int program = named != ProgramNames().end() ? named->second : Int(l, i, tok, 1, 128);
        if (named != ProgramNames().end()) ++i;
        t.out.events.push_back(midi::ProgramChange(t.now, t.channel, program - 1));
      } else if (tok == "volume" || tok == "pan" || tok == "reverb" || tok == "chorus" ||
                 tok == "expr") {
        static const std::map<std::string, int> cc = {
            {"volume", 7}, {"pan", 10}, {"expr", 11}, {"reverb", 91}, {"chorus", 93}};
        t.out.events.push_back(
            midi::Controller(t.now, t.channel, cc.at(tok), Int(l, i, tok, 0, 127)));
      } else if (tok == "sustain") {
        if (i + 1 >= l.tokens.size() || (l.tokens[i + 1] != "on" && l.tokens[i + 1] != "off")) {
          Fail(l.number, "'sustain' needs on or off");
        }
        t.out.events.push_back(
            midi::Controller(t.now, t.channel, 64, l.tokens[++i] == "on" ? 127 : 0));
      } else if (tok == "play") {
        if (i + 1 >= l.tokens.size()) Fail(l.number, "'play' needs a phrase name");
        const auto def = defs_.find(l.tokens[++i]);
        if (def == defs_.end()) Fail(l.number, "no phrase '" + l.tokens[i] + "' defined above");
        if (++t.playDepth > kMaxPlayDepth) Fail(l.number, "phrases play each other endlessly");
        RunLines(def->second, t);
        --t.playDepth;
      } else if (tok == "repeat" || tok == "def" || tok == "track" || tok == "title") {
        Fail(l.number, "'" + tok + "' must begin its own line");
      } else {
        Note(tok, l.number, t);
      }
    }
    ++n;
  }
}

void Compiler::Track(const std::string& name, const std::vector<Line>& body, int line) {
  TrackState t;
  t.channel = nextChannel_;
  nextChannel_ = nextChannel_ + 1 == 9 ? 10 : nextChannel_ + 1;
  if (nextChannel_ > 15) nextChannel_ = 0;
  t.meter = initialMeter_;
  t.seed = static_cast<std::uint32_t>(tracks_.size() + 1) * 7919u;
  t.out.events.push_back(midi::TrackName(0, name));
  RunLines(body, t);
  if (!t.ties.empty()) Fail(line, "track '" + name + "' ends with a tied note");
  if (std::none_of(t.out.events.begin(), t.out.events.end(),
                   [](const midi::Event& e) { return (e.bytes[0] & 0xF0) == 0x90; })) {
    Fail(line, "track '" + name + "' has no notes");
  }
  tracks_.push_back(std::move(t.out));
}

midi::Song Compiler::Run(const std::string& text) {
  const std::vector<Line> lines = SplitLines(text, file_);
  for (std::size_t n = 0; n < lines.size();) {
    const Line& l = lines[n];
    const std::string& head = l.tokens[0];
    if (head == "def" || head == "track") {
      if (l.tokens.size() < 2) Fail(l.number, "'" + head + "' needs a name");
      std::size_t next = 0;
      std::vector<Line> body = Block(lines, n + 1, next, file_, l.number, head + " " + l.tokens[1]);
      if (head == "def") {
        if (l.tokens.size() != 2) Fail(l.number, "a phrase name is one word");
        if (!defs_.emplace(l.tokens[1], std::move(body)).second) {
          Fail(l.number, "phrase '" + l.tokens[1] + "' defined twice");
        }
      } else {
        std::string name = l.tokens[1];
        for (std::size_t k = 2; k < l.tokens.size(); ++k) name += " " + l.tokens[k];
        Track(name, body, l.number);
      }
      n = next;
      continue;
    }
    if (head == "end") Fail(l.number, "'end' without 'def', 'track' or 'repeat'");
    if (!tracks_.empty() && (head == "tempo" || head == "time")) {
      Fail(l.number, "'" + head + "' between tracks: put it inside a track at its moment");
    }
    Header(l);
    ++n;
  }
  if (tracks_.empty()) throw BuildError(file_, 0, "no tracks");
  if (tempos_.empty()) tempos_[0] = 120;

  midi::Song song;
  song.ppq = kPpq;
  midi::Track conductor;
  conductor.events.push_back(midi::TrackName(0, title_));
  if (!meters_.count(0)) conductor.events.push_back(midi::TimeSignature(0, 4, 4));
  for (const auto& [tick, m] : meters_) {
    conductor.events.push_back(midi::TimeSignature(tick, m.first, m.second));
  }
  for (const auto& [tick, bpm] : tempos_) {
    conductor.events.push_back(midi::Tempo(tick, 60000000u / static_cast<std::uint32_t>(bpm)));
  }
  song.tracks.push_back(std::move(conductor));
  for (midi::Track& t : tracks_) song.tracks.push_back(std::move(t));
  return song;
}

}  // namespace

midi::Song CompileNoteText(const std::string& text, const std::filesystem::path& file) {
  return Compiler(file).Run(text);
}

midi::Song CompileNoteFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw BuildError(file, 0, "cannot open the note source");
  std::ostringstream text;
  text << in.rdbuf();
  return CompileNoteText(text.str(), file);
}

}  // namespace vornu::databuild
