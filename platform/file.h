// Whole-file operations on paths. Reading listings files goes through input_file.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// True when the file system reports attributes for the path (a file, a directory, ...). When it
// does not and `problem` is given, stores the system's reason there ("No such file or directory").
bool FileExists(const std::string& path, std::string* problem = nullptr);

// Opens the file for writing (creating it when missing, never truncating), with write-through,
// moves to its end, writes the bytes in one call and closes it. Returns true when every byte was
// written; false when the file could not be opened or the write failed or was short.
bool AppendToFile(const std::string& path, const char* data, size_t size);

// Deletes the file. True when it was deleted; false when it was missing or could not be deleted.
bool DeleteFile(const std::string& path);

// On success stores the size in bytes of the file (0 for pipes and other files without a size,
// which are not opened) and returns true. Returns false when the file does not exist or, for a
// regular file, cannot be opened for reading.
bool GetFileSize(const std::string& path, uint64_t* size);

}  // namespace platform
