#pragma once
// A Windows program file holding icon resources, built byte by byte: the images (resource
// type 3, ids 1..n) and the icon groups (type 14, ids 1..m), each group naming images by id.
#include <cstdint>
#include <string>
#include <vector>

namespace iconfiles {

inline void Put(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Group directory entries all describe a 16 x 16 image of 32 bits.
inline std::string ProgramWithIcons(const std::vector<std::string>& images,
                                    const std::vector<std::vector<uint16_t>>& groups) {
  constexpr uint32_t kRva = 0x1000, kRaw = 512, kDir = 0x80000000u;
  std::vector<std::string> groupData;
  for (const auto& g : groups) {
    std::string d("\0\0\x01\0", 4);
    Put(d, static_cast<uint32_t>(g.size()), 2);
    for (uint16_t id : g) {
      d += std::string("\x10\x10\x00\x00\x01\x00\x20\x00", 8);
      Put(d, 1128, 4);
      Put(d, id, 2);
    }
    groupData.push_back(d);
  }
  const size_t ni = images.size(), ng = groups.size();
  // Resource section: root (2 entries), the two type directories, one language directory
  // per resource, one data entry per resource, then the data.
  const uint32_t typeImages = 16 + 2 * 8, typeGroups = typeImages + 16 + static_cast<uint32_t>(ni) * 8;
  const uint32_t langs = typeGroups + 16 + static_cast<uint32_t>(ng) * 8;
  const uint32_t entries = langs + static_cast<uint32_t>(ni + ng) * 24;
  uint32_t data = entries + static_cast<uint32_t>(ni + ng) * 16;
  std::string r;
  auto dir = [&](const std::vector<std::pair<uint32_t, uint32_t>>& list) {
    r.append(12, '\0');
    Put(r, 0, 2);
    Put(r, static_cast<uint32_t>(list.size()), 2);
    for (auto [id, off] : list) {
      Put(r, id, 4);
      Put(r, off, 4);
    }
  };
  dir({{3, kDir | typeImages}, {14, kDir | typeGroups}});
  std::vector<std::pair<uint32_t, uint32_t>> list;
  for (size_t i = 0; i < ni; ++i) list.push_back({static_cast<uint32_t>(i + 1), kDir | (langs + static_cast<uint32_t>(i) * 24)});
  dir(list);
  list.clear();
  for (size_t j = 0; j < ng; ++j)
    list.push_back({static_cast<uint32_t>(j + 1), kDir | (langs + static_cast<uint32_t>(ni + j) * 24)});
  dir(list);
  for (size_t k = 0; k < ni + ng; ++k) dir({{0x409, entries + static_cast<uint32_t>(k) * 16}});
  std::string payload;
  for (size_t k = 0; k < ni + ng; ++k) {
    const std::string& bytes = k < ni ? images[k] : groupData[k - ni];
    for (uint32_t v : {kRva + data, static_cast<uint32_t>(bytes.size()), 0u, 0u}) Put(r, v, 4);
    data += static_cast<uint32_t>(bytes.size());
    payload += bytes;
  }
  r += payload;

  std::string f("MZ");
  f.resize(0x3C, '\0');
  Put(f, 64, 4);
  f += std::string("PE\0\0", 4);
  for (uint32_t v : {0x14Cu, 1u}) Put(f, v, 2);
  f.append(12, '\0');
  Put(f, 224, 2);  // optional header
  Put(f, 0, 2);
  const size_t opt = f.size();
  Put(f, 0x10B, 2);
  f.resize(opt + 96 + 16, '\0');
  Put(f, kRva, 4);  // the resource directory
  Put(f, static_cast<uint32_t>(r.size()), 4);
  f.resize(opt + 224, '\0');
  f += std::string(".rsrc\0\0\0", 8);
  for (uint32_t v : {static_cast<uint32_t>(r.size()), kRva, static_cast<uint32_t>(r.size()), kRaw}) Put(f, v, 4);
  f.resize(kRaw, '\0');
  return f + r;
}

}  // namespace iconfiles
