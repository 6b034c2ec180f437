// Process facts and environment variables.
#pragma once

#include <string>

namespace platform {

// On success stores the variable's value and returns true; returns false when it is not set.
bool GetEnvironmentVariable(const std::string& name, std::string* value);

// Sets the variable for this process and the processes it starts.
void SetEnvironmentVariable(const std::string& name, const std::string& value);

// On success stores the current directory and returns true; false when it cannot be determined.
bool GetCurrentDirectory(std::string* dir);

unsigned long GetCurrentProcessId();

// On success stores the full path of the program file and returns true.
bool GetModuleFileName(std::string* path);

// True when a debugger (a tracer) is attached to this process.
bool DebuggerAttached();

}  // namespace platform
