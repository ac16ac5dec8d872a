#include "engine/GXMap.h"

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#include "engine/GX.h"
#include "engine/GXLibStream.h"

namespace vornu {
namespace {

std::string MapName(std::size_t i, std::size_t n) {
  return "map " + std::to_string(i) + " of " + std::to_string(n);
}

}  // namespace

std::string TGXMap::Name() const {
  const std::size_t len = std::min<std::size_t>(Header.Name[0], TGXMaps::kMaxNameLength);
  return std::string(Header.Name.begin() + 1, Header.Name.begin() + 1 + len);
}

const TGXMap& TGXMaps::Map(int i) const {
  if (i < 0 || i >= Count()) {
    throw std::out_of_range("map " + std::to_string(i) + " outside 0.." +
                            std::to_string(LastIndex()));
  }
  return maps_[static_cast<std::size_t>(i)];
}

void TGXMaps::Add(const std::string& name, std::span<const std::uint8_t> data, std::int32_t value1,
                  std::int32_t value2) {
  if (name.size() > kMaxNameLength) {
    throw EGXLibrary("map name \"" + name + "\" is longer than 15 characters");
  }
  if (data.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    throw EGXLibrary("map \"" + name + "\" of " + std::to_string(data.size()) +
                     " bytes is too large for a map library");
  }
  TGXMap m;
  m.Header.Name[0] = static_cast<std::uint8_t>(name.size());
  std::copy(name.begin(), name.end(), m.Header.Name.begin() + 1);
  m.Header.Value1 = value1;
  m.Header.Value2 = value2;
  m.Header.Size = static_cast<std::int32_t>(data.size());
  m.Data.assign(data.begin(), data.end());
  maps_.push_back(std::move(m));
}

std::size_t TGXMaps::ReadFromStream(std::span<const std::uint8_t> data) {
  Free();
  TGXByteReader r(data);
  r.Need(kHeaderSize, "map library header");
  r.Block(4, "magic");  // written as "ML01" but never tested
  const std::int32_t last = r.I32("index of the last map");
  if (last == -1) return r.Offset();
  // The count is checked against what the stream can hold before anything is allocated.
  if (last < -1) {
    throw EGXLibrary("Not a valid Map Library File: index of the last map " + std::to_string(last) +
                     " is below -1");
  }
  const std::size_t n = static_cast<std::size_t>(last) + 1;
  if (n > r.Remaining() / kMapHeaderSize) {
    throw EGXLibrary("Not a valid Map Library File: " + std::to_string(n) +
                     " maps cannot fit in the " + std::to_string(r.Remaining()) +
                     " bytes that follow the header");
  }
  std::vector<TGXMap> maps;
  try {
    maps.reserve(n);
  } catch (const std::bad_alloc&) {
    throw EGXLibrary("TGXMaps: out of memory for " + std::to_string(n) + " maps");
  }
  for (std::size_t i = 0; i < n; ++i) {
    const std::string name = MapName(i, n);
    TGXMap m;
    r.Bytes(m.Header.Name, name + " header");
    m.Header.Value1 = r.I32(name + " header");
    m.Header.Value2 = r.I32(name + " header");
    m.Header.Size = r.I32(name + " header");
    r.Bytes(m.Header.Address, name + " header");
    if (m.Header.Name[0] > kMaxNameLength) {
      throw EGXLibrary("Not a valid Map Library File: " + name + " has a name length of " +
                       std::to_string(m.Header.Name[0]) + " (at most 15)");
    }
    if (m.Header.Size < 0) {
      throw EGXLibrary("Not a valid Map Library File: " + name + " has a data size of " +
                       std::to_string(m.Header.Size) + " bytes");
    }
    auto block = r.Block(static_cast<std::size_t>(m.Header.Size), name + " data");
    try {
      m.Data.assign(block.begin(), block.end());
    } catch (const std::bad_alloc&) {
      throw EGXLibrary("TGXMaps: out of memory for the data of " + name);
    }
    maps.push_back(std::move(m));
  }
  maps_ = std::move(maps);
  return r.Offset();
}

void TGXMaps::WriteToStream(std::vector<std::uint8_t>& out) const {
  TGXByteWriter w(out);
  w.Bytes(std::array<std::uint8_t, 4>{'M', 'L', '0', '1'});
  w.I32(LastIndex());
  for (const TGXMap& m : maps_) {
    w.Bytes(m.Header.Name);
    w.I32(m.Header.Value1);
    w.I32(m.Header.Value2);
    w.I32(m.Header.Size);
    w.Bytes(m.Header.Address);
    w.Block(m.Data);
  }
}

std::vector<std::uint8_t> TGXMaps::ToBytes() const { return LibraryBytes(*this); }

void TGXMaps::LoadFromFile(const std::string& path) { LoadLibraryFile(*this, path); }

void TGXMaps::SaveToFile(const std::string& path) const { SaveLibraryFile(*this, path); }

void TGXMaps::Assign(const TGXMaps& src) {
  if (&src == this) return;
  std::vector<TGXMap> copy;
  try {
    copy = src.maps_;
  } catch (const std::bad_alloc&) {
    throw EGXLibrary("TGXMaps.AssignTo failed (GetMem)");
  }
  maps_ = std::move(copy);
}

TGXMapLib::TGXMapLib(TComponent* Owner) : TComponent(Owner) {}

TGXMapLib::~TGXMapLib() {
  if (!Owner()) return;
  for (TComponent* c : Owner()->Components()) {
    auto* screen = dynamic_cast<TGXScreen*>(c);
    if (screen && screen->MapLibrary() == this) screen->SetMapLibrary(nullptr);
  }
}

void TGXMapLib::SetMapLib(const TGXMaps& Value) {
  TGXMaps copy;
  copy.Assign(Value);
  maps_ = std::move(copy);
  fileName_.clear();
}

void TGXMapLib::LoadFromFile(const std::string& FileName) {
  TGXMaps loaded;
  loaded.LoadFromFile(FileName);
  maps_ = std::move(loaded);
  fileName_ = FileName;
}

}  // namespace vornu
