// Process-wide settings of the memory allocator.
#pragma once

namespace platform {

// Lets each heap keep up to 1 MiB of freed memory at its top instead of returning it to the
// system at once. The import's two threads free and take again blocks of that order all the
// time; each return costs a system call and a flush of the address translations on every core.
void KeepFreedMemory();

}  // namespace platform
