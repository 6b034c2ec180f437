// Registration of the EPG database component with the process's COM class table, done once at
// start-up so that CoCreateInstance(CLSID_EPGDatabase, ...) finds it.
#pragma once

namespace epgdb {

void RegisterComponent();
void UnregisterComponent();

}  // namespace epgdb
