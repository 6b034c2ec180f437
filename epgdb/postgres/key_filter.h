// The slot keys of the stored entries, as a Bloom filter: a key it has never been given is surely
// not stored, and looking it up needs no round trip to the server. A key given and deleted since
// only costs a look-up that finds nothing. A fixed MiB, whatever the size of the guide: about one
// key in 20,000 with 100,000 keys given, and one in 40 with 1,000,000, is looked up although it is
// not stored.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace epgdb::postgres {

class KeyFilter {
 public:
  KeyFilter();
  void Add(std::string_view key);
  bool MayHold(std::string_view key) const;
  // Forgets every key: none is stored.
  void Clear();

 private:
  std::vector<uint64_t> bits_;
};

}  // namespace epgdb::postgres
