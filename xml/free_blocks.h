// Freed blocks of one size, kept per thread for the next objects of that size up to a bound. The
// tree makes and drops its elements and attributes by the million while it stays small, and the
// general allocator keeps few blocks of these sizes at hand and is noticeably slower for them.
#pragma once

#include <cstddef>
#include <new>

template <size_t kSize>
class FreeBlocks {
 public:
  ~FreeBlocks() {
    while (void* block = Take())
      ::operator delete(block);
    m_nCount = kMaxKept;  // a block freed later in the thread's exit goes back at once
  }
  // A kept block, or null.
  void* Take() {
    Link* link = m_pFirst;
    if (link != nullptr) {
      m_pFirst = link->pNext;
      --m_nCount;
    }
    return link;
  }
  // Keeps the block; false when enough are kept already.
  bool Keep(void* block) {
    if (m_nCount == kMaxKept)
      return false;
    m_pFirst = new (block) Link{m_pFirst};
    ++m_nCount;
    return true;
  }

  // The blocks of this thread.
  static FreeBlocks& OfThisThread() {
    thread_local FreeBlocks blocks;
    return blocks;
  }
  static void* Allocate(size_t size) {
    void* block = size == kSize ? OfThisThread().Take() : nullptr;
    return block != nullptr ? block : ::operator new(size);
  }
  static void Free(void* block, size_t size) {
    if (size != kSize || !OfThisThread().Keep(block))
      ::operator delete(block);
  }

 private:
  struct Link {
    Link* pNext;
  };
  static_assert(kSize >= sizeof(Link));
  static constexpr size_t kMaxKept = 4096;
  Link* m_pFirst = nullptr;
  size_t m_nCount = 0;
};
