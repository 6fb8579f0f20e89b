#include "reports/pe_version.h"

#include <vector>

namespace {

class Reader {
 public:
  explicit Reader(const std::string& bytes) : b_(bytes) {}
  bool Has(uint64_t offset, uint64_t size) const {
    return offset <= b_.size() && size <= b_.size() - offset;
  }
  uint32_t U16(uint64_t o) const {
    return static_cast<uint8_t>(b_[o]) | static_cast<uint8_t>(b_[o + 1]) << 8;
  }
  uint32_t U32(uint64_t o) const { return U16(o) | U16(o + 2) << 16; }

 private:
  const std::string& b_;
};

struct Section {
  uint32_t rva, size, raw;
};

constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kFixedSignature = 0xFEEF04BD;

}  // namespace

bool ReadPeFileVersion(const std::string& image, uint32_t* ms, uint32_t* ls) {
  Reader r(image);
  if (!r.Has(0, 64) || image[0] != 'M' || image[1] != 'Z') return false;
  const uint32_t pe = r.U32(0x3C);
  if (!r.Has(pe, 24) || image.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return false;
  const uint32_t coff = pe + 4;
  const uint32_t sections = r.U16(coff + 2);
  const uint32_t optional_size = r.U16(coff + 16);
  const uint32_t optional = coff + 20;
  if (!r.Has(optional, optional_size) || optional_size < 2) return false;
  const uint32_t magic = r.U16(optional);
  const uint32_t directories = optional + (magic == 0x20b ? 112 : 96);
  const uint32_t dir_count_at = optional + (magic == 0x20b ? 108 : 92);
  if (!r.Has(dir_count_at, 4) || r.U32(dir_count_at) < 3 || !r.Has(directories + 16, 8)) {
    return false;
  }
  const uint32_t resource_rva = r.U32(directories + 16);
  if (resource_rva == 0) return false;

  std::vector<Section> table;
  const uint32_t section_table = optional + optional_size;
  for (uint32_t i = 0; i < sections; ++i) {
    const uint32_t s = section_table + i * 40;
    if (!r.Has(s, 40)) return false;
    const uint32_t virtual_size = r.U32(s + 8);
    const uint32_t raw_size = r.U32(s + 16);
    table.push_back(
        {r.U32(s + 12), virtual_size > raw_size ? virtual_size : raw_size, r.U32(s + 20)});
  }
  auto file_offset = [&](uint32_t rva, uint64_t* out) {
    for (const Section& s : table) {
      if (rva >= s.rva && rva - s.rva < s.size) {
        *out = static_cast<uint64_t>(s.raw) + (rva - s.rva);
        return true;
      }
    }
    return false;
  };
  uint64_t root;
  if (!file_offset(resource_rva, &root)) return false;

  // Type directory -> first name -> first language -> data entry. The
  // entries of one directory: named ones first, then ids.
  auto find_entry = [&](uint64_t dir, bool want_id, uint32_t id, uint32_t* target) {
    if (!r.Has(dir, 16)) return false;
    const uint32_t count = r.U16(dir + 12) + r.U16(dir + 14);
    for (uint32_t i = 0; i < count; ++i) {
      const uint64_t e = dir + 16 + i * 8;
      if (!r.Has(e, 8)) return false;
      const uint32_t name = r.U32(e);
      if (!want_id || (!(name & 0x80000000u) && name == id)) {
        *target = r.U32(e + 4);
        return true;
      }
    }
    return false;
  };
  uint32_t next;
  if (!find_entry(root, true, kRtVersion, &next) || !(next & 0x80000000u)) return false;
  if (!find_entry(root + (next & 0x7FFFFFFFu), false, 0, &next) || !(next & 0x80000000u)) {
    return false;
  }
  if (!find_entry(root + (next & 0x7FFFFFFFu), false, 0, &next) || (next & 0x80000000u)) {
    return false;
  }
  const uint64_t data_entry = root + next;
  if (!r.Has(data_entry, 16)) return false;
  uint64_t data;
  const uint32_t data_size = r.U32(data_entry + 4);
  if (!file_offset(r.U32(data_entry), &data) || !r.Has(data, data_size)) return false;

  // VS_VERSIONINFO: wLength, wValueLength, wType, L"VS_VERSION_INFO", padding
  // to 32 bits, then the fixed info.
  if (data_size < 40 + 52 || r.U16(data + 2) < 52) return false;
  const uint64_t fixed = data + 40;
  if (r.U32(fixed) != kFixedSignature) return false;
  *ms = r.U32(fixed + 8);
  *ls = r.U32(fixed + 12);
  return true;
}
