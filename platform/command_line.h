// The process command line: one mutable string, built once from argv, that the log may edit in
// place (it removes its own switch) before the program's parser reads it.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Joins the arguments with single spaces. An argument, or the value after the first ':' of an
// option argument, is put in double quotes when it holds a blank (bytes 1 to 32) or is a path: it
// starts with '/' and either holds a second '/' before its first ':' or names an existing file
// system entry. An option argument starts with '-', or with '/' and is not a path. An empty
// argument is written as "", an empty value stays empty. An argument that holds a double quote
// is written as it is.
std::string BuildCommandLine(const std::vector<std::string>& args);

// Builds the process command line from argv. Called once, first thing in main.
void InitCommandLine(int argc, char** argv);

// The process command line; callers may change it in place.
std::string& GetCommandLine();

// The part of the command line after the program name and the blanks behind it.
std::string GetCommandLineTail();

}  // namespace platform
