// Libraries looked up at run time. "NAME.dll" means libNAME.so on the loader's search path;
// "kernel32.dll" means the program itself, which exports IsDebuggerPresent. A name holding a '/'
// is the path of a shared object, loaded as it is.
#pragma once

namespace platform {

using LibraryHandle = void*;

// Returns the loaded library, or null when it cannot be loaded.
LibraryHandle LoadLibrary(const char* name);

// Returns the symbol's address, or null when the library does not export it.
void* GetProcAddress(LibraryHandle library, const char* symbol);

void FreeLibrary(LibraryHandle library);

// Accepted for the sake of callers; a missing library never shows a dialog here.
unsigned SetErrorMode(unsigned mode);

}  // namespace platform
