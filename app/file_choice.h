// The file-open dialog that asks for the listings file when the command line names none that
// exists. It proposes "listings.xml" in the current directory (just "listings.xml" when the
// directory cannot be determined or the whole name would not fit the 260-byte name buffer) and
// offers the filters "*.xml" and "*.*".
#pragma once

#include <string>

// On a confirmed choice stores the file's full path and returns true; returns false, leaving
// `path` as it was, when the user cancelled or the dialog cannot be shown.
bool ChooseListingsFile(std::string* path);
