#include "epgdb/postgres/key_filter.h"

#include <algorithm>
#include <functional>

namespace epgdb::postgres {
namespace {

constexpr size_t kBits = size_t(1) << 23;
constexpr int kProbes = 3;

// The bit of probe `i`, from two halves of one hash.
size_t Bit(uint64_t hash, int i) {
  uint64_t step = (hash >> 32) | 1;
  return size_t((hash + uint64_t(i) * step) % kBits);
}

}  // namespace

KeyFilter::KeyFilter() : bits_(kBits / 64) {}

void KeyFilter::Add(std::string_view key) {
  uint64_t hash = std::hash<std::string_view>()(key);
  for (int i = 0; i < kProbes; ++i)
    bits_[Bit(hash, i) / 64] |= uint64_t(1) << (Bit(hash, i) % 64);
}

bool KeyFilter::MayHold(std::string_view key) const {
  uint64_t hash = std::hash<std::string_view>()(key);
  for (int i = 0; i < kProbes; ++i) {
    if ((bits_[Bit(hash, i) / 64] & (uint64_t(1) << (Bit(hash, i) % 64))) == 0)
      return false;
  }
  return true;
}

void KeyFilter::Clear() {
  std::fill(bits_.begin(), bits_.end(), 0);
}

}  // namespace epgdb::postgres
