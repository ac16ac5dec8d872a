// gxlib: builds, lists, checks and unpacks image, sound and map library files.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/GXILib.h"
#include "engine/GXLibStream.h"
#include "engine/GXMap.h"
#include "engine/gxslib.h"
#include "platform/Text1252.h"
#include "tools/gxlib/Bmp8.h"
#include "tools/gxlib/Wave.h"

namespace vornu::gxlib {
namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr const char* kHelp = R"(usage: gxlib COMMAND ...

  gxlib list FILE                  kind, count and every entry's size and fields
  gxlib check FILE                 read FILE fully and report what is wrong with it
  gxlib pack-images OUT BMP...     pack 8-bit bitmaps sharing one palette
  gxlib pack-sounds OUT [--pan P] [--volume V] WAV...
                                   pack WAV files (8/16-bit PCM, mono or stereo); --pan and
                                   --volume (hundredths of a decibel: pan -10000 left ..
                                   10000 right, volume -10000 silent .. 0 full) apply to the
                                   files that follow them
  gxlib pack-maps OUT NAME=FILE... pack raw data files as named maps (names up to 15 characters)
  gxlib unpack FILE DIR            write every entry of FILE into DIR: imageNNN.bmp,
                                   soundNNN.wav or mapNNN-NAME.dat
  gxlib --help                     this text

Exit status: 0 done, 1 a file was refused or check found a fault, 2 wrong usage.
)";

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A failure about one named file.
class FileError : public std::runtime_error {
 public:
  FileError(const std::string& file, const std::string& what)
      : std::runtime_error(file + ": " + what) {}
};

enum class Kind { Images, Sounds, Maps };

// Reads a library from the bytes of `path`; a refusal names the file. Returns the bytes used.
template <typename Lib>
std::size_t ReadLibrary(Lib& lib, const std::string& path, const std::vector<std::uint8_t>& b) {
  try {
    return lib.ReadFromStream(b);
  } catch (const EGXLibrary& e) {
    throw FileError(path, e.what());
  }
}

Kind KindOf(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  if (MagicMatches(bytes, "IL10")) return Kind::Images;
  if (MagicMatches(bytes, "SL10")) return Kind::Sounds;
  if (MagicMatches(bytes, "ML01")) return Kind::Maps;
  throw FileError(path, "not a library file (it starts with neither IL10, SL10 nor ML01)");
}

std::string Printable(const std::string& cp1252) {
  std::string s;
  for (char c : Cp1252ToUtf8(cp1252)) s += (static_cast<unsigned char>(c) < 32 ? '?' : c);
  return s;
}

std::string Hex(std::span<const std::uint8_t> b) {
  std::ostringstream o;
  for (std::uint8_t v : b) o << std::hex << std::setw(2) << std::setfill('0') << int{v};
  return o.str();
}

bool AllZero(std::span<const std::uint8_t> b) {
  for (std::uint8_t v : b) {
    if (v) return false;
  }
  return true;
}

std::string FormatText(const TGXWaveFormat& f) {
  std::ostringstream o;
  o << (f.FormatTag == 1   ? "PCM"
        : f.FormatTag == 3 ? "float"
                           : "tag " + std::to_string(f.FormatTag))
    << " " << f.BitsPerSample << "-bit "
    << (f.Channels == 1   ? "mono"
        : f.Channels == 2 ? "stereo"
                          : std::to_string(f.Channels) + "-ch")
    << " " << f.SamplesPerSec << " Hz";
  return o.str();
}

std::string Seconds(const TGXSoundHeader& h) {
  if (h.Format.AvgBytesPerSec == 0) return "?";
  std::ostringstream o;
  o << std::fixed << std::setprecision(3) << static_cast<double>(h.Size) / h.Format.AvgBytesPerSec
    << " s";
  return o.str();
}

int List(const std::string& path) {
  const auto bytes = ReadLibraryFile(path);
  std::cout << path << ": ";
  switch (KindOf(path, bytes)) {
    case Kind::Images: {
      TGXImages lib;
      ReadLibrary(lib, path, bytes);
      std::cout << "image library, " << lib.Count() << " image" << (lib.Count() == 1 ? "" : "s")
                << "\n";
      const TGXPaletteEntry& p0 = lib.Palette()[0];
      std::cout << "  palette: 256 entries, entry 0 = (" << int{p0.Red} << ", " << int{p0.Green}
                << ", " << int{p0.Blue} << "), shown black\n";
      for (int i = 0; i < lib.Count(); ++i) {
        const TGXImageHeader& h = lib.Image(i).Header;
        std::cout << "  " << std::setw(3) << i << ": " << h.Width << " x " << h.Height << ", "
                  << lib.Image(i).Bits.size() << " bytes (rows of " << TGXImages::RowBytes(h.Width)
                  << ")";
        if (!AllZero(h.Reserved)) std::cout << ", fields " << Hex(h.Reserved);
        std::cout << "\n";
      }
      break;
    }
    case Kind::Sounds: {
      TGXSounds lib;
      ReadLibrary(lib, path, bytes);
      std::cout << "sound library, " << lib.Count() << " sound" << (lib.Count() == 1 ? "" : "s")
                << "\n";
      for (int i = 0; i < lib.Count(); ++i) {
        const TGXSoundHeader& h = lib.Sound(i).Header;
        std::cout << "  " << std::setw(3) << i << ": " << FormatText(h.Format) << ", " << h.Size
                  << " bytes (" << Seconds(h) << "), pan " << h.Pan << ", volume " << h.Volume;
        if (!AllZero(h.Reserved)) std::cout << ", fields " << Hex(h.Reserved);
        std::cout << "\n";
      }
      break;
    }
    case Kind::Maps: {
      TGXMaps lib;
      ReadLibrary(lib, path, bytes);
      std::cout << "map library, " << lib.Count() << " map" << (lib.Count() == 1 ? "" : "s")
                << " (last index " << lib.LastIndex() << ")\n";
      for (int i = 0; i < lib.Count(); ++i) {
        const TGXMap& m = lib.Map(i);
        std::cout << "  " << std::setw(3) << i << ": \"" << Printable(m.Name()) << "\", "
                  << m.Header.Size << " bytes, fields " << m.Header.Value1 << " " << m.Header.Value2
                  << "\n";
      }
      break;
    }
  }
  return kOk;
}

int Check(const std::string& path) {
  const auto bytes = ReadLibraryFile(path);
  std::vector<std::string> faults;
  std::size_t used = 0;
  std::string summary;
  switch (KindOf(path, bytes)) {
    case Kind::Images: {
      TGXImages lib;
      used = ReadLibrary(lib, path, bytes);
      summary = "image library of " + std::to_string(lib.Count()) + " images";
      break;
    }
    case Kind::Sounds: {
      TGXSounds lib;
      used = ReadLibrary(lib, path, bytes);
      summary = "sound library of " + std::to_string(lib.Count()) + " sounds";
      for (int i = 0; i < lib.Count(); ++i) {
        const TGXSoundHeader& h = lib.Sound(i).Header;
        const std::string problem = SoundPlayProblem(h);
        if (!problem.empty()) {
          faults.push_back("sound " + std::to_string(i) + ": unplayable: " + problem);
        }
        if (h.Pan < -10000 || h.Pan > 10000) {
          faults.push_back("sound " + std::to_string(i) + ": pan " + std::to_string(h.Pan) +
                           " outside -10000..10000");
        }
        if (h.Volume < -10000 || h.Volume > 0) {
          faults.push_back("sound " + std::to_string(i) + ": volume " + std::to_string(h.Volume) +
                           " outside -10000..0");
        }
      }
      break;
    }
    case Kind::Maps: {
      TGXMaps lib;
      used = ReadLibrary(lib, path, bytes);
      summary = "map library of " + std::to_string(lib.Count()) + " maps";
      break;
    }
  }
  if (used != bytes.size()) {
    faults.push_back(std::to_string(bytes.size() - used) + " bytes follow the library's end");
  }
  for (const std::string& f : faults) std::cerr << "gxlib: " << path << ": " << f << "\n";
  if (!faults.empty()) return kFailed;
  std::cout << path << ": " << summary << ", OK\n";
  return kOk;
}

int PackImages(const std::string& out, const std::vector<std::string>& inputs) {
  TGXImages lib;
  TGXPalette palette{};
  std::vector<std::string> owner(256);  // which file defined each palette entry
  for (const std::string& in : inputs) {
    Bitmap8 bmp;
    try {
      bmp = ParseBitmap8(ReadLibraryFile(in));
    } catch (const EGXLibrary&) {
      throw;
    } catch (const std::exception& e) {
      throw FileError(in, e.what());
    }
    for (int i = 0; i < bmp.PaletteSize; ++i) {
      const TGXPaletteEntry& c = bmp.Palette[i];
      if (owner[i].empty()) {
        palette[i] = c;
        owner[i] = in;
      } else if (!(palette[i] == c)) {
        const TGXPaletteEntry& p = palette[i];
        throw FileError(in, "palette entry " + std::to_string(i) + " is (" + std::to_string(c.Red) +
                                ", " + std::to_string(c.Green) + ", " + std::to_string(c.Blue) +
                                ") but " + owner[i] + " has (" + std::to_string(p.Red) + ", " +
                                std::to_string(p.Green) + ", " + std::to_string(p.Blue) +
                                "); all bitmaps must share one palette");
      }
    }
    lib.Add(bmp.Width, bmp.Height, bmp.Pixels);
  }
  lib.SetPalette(palette);
  lib.SaveToFile(out);
  std::cout << out << ": " << lib.Count() << (lib.Count() == 1 ? " image" : " images")
            << " packed\n";
  return kOk;
}

int ParseHundredths(const std::string& option, const std::string& text, int lo, int hi) {
  std::size_t end = 0;
  int v = 0;
  try {
    v = std::stoi(text, &end);
  } catch (const std::exception&) {
    end = 0;
  }
  if (end == 0 || end != text.size() || v < lo || v > hi) {
    throw UsageError(option + " takes a whole number in " + std::to_string(lo) + ".." +
                     std::to_string(hi) + ", not \"" + text + "\"");
  }
  return v;
}

int PackSounds(const std::string& out, const std::vector<std::string>& args) {
  TGXSounds lib;
  int pan = 0, volume = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--pan" || args[i] == "--volume") {
      if (i + 1 == args.size()) throw UsageError(args[i] + " needs a value");
      if (args[i] == "--pan")
        pan = ParseHundredths("--pan", args[i + 1], -10000, 10000);
      else
        volume = ParseHundredths("--volume", args[i + 1], -10000, 0);
      ++i;
      continue;
    }
    Wave wave;
    try {
      wave = ParseWave(ReadLibraryFile(args[i]));
    } catch (const EGXLibrary&) {
      throw;
    } catch (const std::exception& e) {
      throw FileError(args[i], e.what());
    }
    const std::string problem = WaveFormatProblem(wave.Format);
    if (!problem.empty()) {
      throw FileError(args[i], problem + "; convert it to 8- or 16-bit PCM first");
    }
    TGXSoundHeader header;
    header.Format = wave.Format;
    header.Size = static_cast<std::int32_t>(std::min<std::size_t>(wave.Data.size(), 0x7FFFFFFF));
    const std::string tooLong = SoundPlayProblem(header);
    if (!tooLong.empty()) throw FileError(args[i], tooLong);
    lib.Add(wave.Format, wave.Data, pan, volume);
  }
  if (lib.Empty()) throw UsageError("pack-sounds needs at least one WAV file");
  lib.SaveToFile(out);
  std::cout << out << ": " << lib.Count() << (lib.Count() == 1 ? " sound" : " sounds")
            << " packed\n";
  return kOk;
}

int PackMaps(const std::string& out, const std::vector<std::string>& args) {
  TGXMaps lib;
  for (const std::string& a : args) {
    const std::size_t eq = a.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == a.size()) {
      throw UsageError("\"" + a + "\" is not NAME=FILE");
    }
    std::string name;
    try {
      name = Utf8To1252(a.substr(0, eq));
    } catch (const std::exception& e) {
      throw UsageError("map name \"" + a.substr(0, eq) + "\": " + e.what());
    }
    if (name.size() > TGXMaps::kMaxNameLength) {
      throw UsageError("map name \"" + a.substr(0, eq) + "\" is longer than 15 characters");
    }
    const std::string file = a.substr(eq + 1);
    lib.Add(name, ReadLibraryFile(file));
  }
  lib.SaveToFile(out);
  std::cout << out << ": " << lib.Count() << (lib.Count() == 1 ? " map" : " maps") << " packed\n";
  return kOk;
}

std::string Numbered(const char* stem, int i, const char* ext) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%03d%s", stem, i, ext);
  return buf;
}

// A map name made safe as part of a file name.
std::string SafeName(const std::string& cp1252) {
  std::string s;
  for (char c : cp1252) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '-';
    s += ok ? c : '_';
  }
  return s;
}

int Unpack(const std::string& path, const std::string& dir) {
  const auto bytes = ReadLibraryFile(path);
  const Kind kind = KindOf(path, bytes);
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec || !std::filesystem::is_directory(dir)) {
    throw FileError(dir, "cannot create the directory" + (ec ? ": " + ec.message() : ""));
  }
  const std::filesystem::path d(dir);
  int written = 0;
  if (kind == Kind::Images) {
    TGXImages lib;
    ReadLibrary(lib, path, bytes);
    for (int i = 0; i < lib.Count(); ++i, ++written) {
      const TGXImage& img = lib.Image(i);
      WriteLibraryFile((d / Numbered("image", i, ".bmp")).string(),
                       EncodeBitmap8(img.Header.Width, img.Header.Height, img.Bits, lib.Palette()));
    }
  } else if (kind == Kind::Sounds) {
    TGXSounds lib;
    ReadLibrary(lib, path, bytes);
    for (int i = 0; i < lib.Count(); ++i, ++written) {
      const TGXSound& s = lib.Sound(i);
      WriteLibraryFile((d / Numbered("sound", i, ".wav")).string(),
                       EncodeWave(s.Header.Format, s.Data));
    }
  } else {
    TGXMaps lib;
    ReadLibrary(lib, path, bytes);
    for (int i = 0; i < lib.Count(); ++i, ++written) {
      const TGXMap& m = lib.Map(i);
      std::string file = Numbered("map", i, "");
      if (!m.Name().empty()) file.append("-").append(SafeName(m.Name()));
      WriteLibraryFile((d / (file + ".dat")).string(), m.Data);
    }
  }
  std::cout << path << ": " << written << " files written to " << dir << "\n";
  return kOk;
}

int Run(const std::vector<std::string>& a) {
  if (a.empty()) throw UsageError("no command given");
  const std::string& cmd = a[0];
  if (cmd == "--help" || cmd == "-h" || cmd == "help") {
    std::cout << kHelp;
    return kOk;
  }
  auto need = [&](std::size_t n, const char* usage) {
    if (a.size() < n) throw UsageError(std::string("usage: gxlib ") + usage);
  };
  if (cmd == "list" || cmd == "check") {
    need(2, (cmd + " FILE").c_str());
    if (a.size() > 2) throw UsageError(cmd + " takes one FILE");
    return cmd == "list" ? List(a[1]) : Check(a[1]);
  }
  if (cmd == "unpack") {
    need(3, "unpack FILE DIR");
    if (a.size() > 3) throw UsageError("unpack takes one FILE and one DIR");
    return Unpack(a[1], a[2]);
  }
  const std::vector<std::string> rest(a.begin() + std::min<std::size_t>(2, a.size()), a.end());
  if (cmd == "pack-images") {
    need(3, "pack-images OUT BMP...");
    return PackImages(a[1], rest);
  }
  if (cmd == "pack-sounds") {
    need(3, "pack-sounds OUT [--pan P] [--volume V] WAV...");
    return PackSounds(a[1], rest);
  }
  if (cmd == "pack-maps") {
    need(3, "pack-maps OUT NAME=FILE...");
    return PackMaps(a[1], rest);
  }
  throw UsageError("unknown command \"" + cmd + "\"");
}

}  // namespace
}  // namespace vornu::gxlib

int main(int argc, char** argv) {
  using namespace vornu::gxlib;
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& e) {
    std::cerr << "gxlib: " << e.what() << "\n(gxlib --help lists the commands)\n";
    return kUsage;
  } catch (const std::exception& e) {
    std::cerr << "gxlib: " << e.what() << "\n";
    return kFailed;
  }
}
