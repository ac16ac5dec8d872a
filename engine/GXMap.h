// Map libraries: the "ML01" container of named raw data blocks (tile maps), and its component.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/Classes.h"

namespace vornu {

struct TGXMapHeader {
  // A length byte and up to 15 Windows-1252 characters; bytes past the length are kept.
  std::array<std::uint8_t, 16> Name{};
  std::int32_t Value1 = 0;  // not interpreted; copied with the map
  std::int32_t Value2 = 0;  // not interpreted; copied with the map
  std::int32_t Size = 0;    // bytes of map data
  // Meaningless in a stream (it held a run-time address); kept so a rewrite is byte-exact.
  std::array<std::uint8_t, 4> Address{};
  friend bool operator==(const TGXMapHeader&, const TGXMapHeader&) = default;
};

struct TGXMap {
  TGXMapHeader Header;
  std::vector<std::uint8_t> Data;
  // The name as a string of at most 15 bytes.
  std::string Name() const;
  friend bool operator==(const TGXMap&, const TGXMap&) = default;
};

class TGXMaps {
 public:
  static constexpr std::size_t kHeaderSize = 8;
  static constexpr std::size_t kMapHeaderSize = 32;
  static constexpr std::size_t kMaxNameLength = 15;

  int Count() const { return static_cast<int>(maps_.size()); }
  // Index of the last map; -1 when empty.
  int LastIndex() const { return Count() - 1; }
  bool Empty() const { return maps_.empty(); }
  // Map i, zero-based; throws std::out_of_range outside 0..LastIndex().
  const TGXMap& Map(int i) const;

  // Appends a map; throws EGXLibrary for a name above 15 bytes or data above 2 GiB.
  void Add(const std::string& name, std::span<const std::uint8_t> data, std::int32_t value1 = 0,
           std::int32_t value2 = 0);
  void Free() { maps_.clear(); }

  // Reads one map library from the start of `data` and returns the bytes it took. The
  // container is emptied first and stays empty when the data is refused (EGXLibrary).
  std::size_t ReadFromStream(std::span<const std::uint8_t> data);
  void WriteToStream(std::vector<std::uint8_t>& out) const;
  std::vector<std::uint8_t> ToBytes() const;
  void LoadFromFile(const std::string& path);
  void SaveToFile(const std::string& path) const;

  // Deep copy of `src` into this container (this is left unchanged when memory runs out).
  void Assign(const TGXMaps& src);

  friend bool operator==(const TGXMaps&, const TGXMaps&) = default;

 private:
  std::vector<TGXMap> maps_;
};

// The map library component: holds a TGXMaps (the screen's MapLibrary) and loads it from a file.
class TGXMapLib : public TComponent {
 public:
  explicit TGXMapLib(TComponent* Owner = nullptr);
  // Any screen of the owner that still refers to the library forgets it.
  ~TGXMapLib() override;

  const TGXMaps& MapLib() const { return maps_; }
  // Takes a deep copy of Value.
  void SetMapLib(const TGXMaps& Value);
  // Reads FileName into MapLib and remembers the name. A refused file throws EGXLibrary
  // naming it and leaves the library as it was.
  void LoadFromFile(const std::string& FileName);
  const std::string& FileName() const { return fileName_; }
  int Count() const { return maps_.Count(); }

 private:
  TGXMaps maps_;
  std::string fileName_;
};

}  // namespace vornu
