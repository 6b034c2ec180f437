// The registry, read-only, over a text file in the REGEDIT4 export format: the file named by
// $GLIMMERBOX_REGISTRY, else /etc/glimmerbox/registry.reg. A missing file is an empty registry.
// Key and value names are compared without regard to ASCII letter case, as on Windows.
#pragma once

#include <cstdint>

using LONG = int32_t;
using DWORD = uint32_t;
using BYTE = uint8_t;
using REGSAM = DWORD;
// An open key; the predefined root keys need not be closed.
using HKEY = struct RegistryKey*;

inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(uintptr_t{0x80000002});

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_READ = 0x20019;

constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_DWORD = 4;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;

// Opens `subKey` (backslash-separated; null or empty for the key itself) below `key`, reading
// the file afresh. On success stores the new key in *result and returns ERROR_SUCCESS; returns
// ERROR_FILE_NOT_FOUND and stores null when the file does not hold the key. `options` and
// `samDesired` are accepted as given: every key is readable.
LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM samDesired, HKEY* result);

// Reads the value `valueName` (null or empty for the key's default value) of an open key.
// Stores its type in *type when type is not null. With data null, stores the size it needs in
// *dataSize. Otherwise copies it into data when *dataSize is large enough, else copies nothing
// and returns ERROR_MORE_DATA; *dataSize receives the value's size either way. A text is its
// bytes with a terminating NUL (REG_SZ), a dword 4 bytes (REG_DWORD). Returns
// ERROR_FILE_NOT_FOUND when the key has no such value.
LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* dataSize);

// Closes a key from RegOpenKeyEx.
LONG RegCloseKey(HKEY key);
