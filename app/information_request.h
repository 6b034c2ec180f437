// The questions a command line may ask of the program instead of giving it a job: --help or -?
// for the usage text, --version for its name and version. The answer goes to standard output
// before any user interface is chosen, so it needs neither a display nor a terminal.
#pragma once

#include "app/command_line_parser.h"

// Prints the answer when the command line asks one of these questions; returns whether it did.
bool AnswerInformationRequest(const CommandLineParser& parser);
