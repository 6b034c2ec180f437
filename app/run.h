// The run of one process: read the command line, choose the job and the listings file, and run
// the job with the progress dialog around it.
#pragma once

#include <string>

#include "app/import_options.h"

class CProgressDialog;

// Lists the parameters in the log and answers --help, -? or --version; else chooses the user
// interface, shows the usage box for /h, else fills the options, takes the listings file from the
// first argument or the file-open dialog and runs the job. Returns the exit code: 0 on success
// (also after an answer, the usage box or a dismissed dialog), -1 when the user interface forced
// cannot be had, a job on a file named on the command line failed or, with nobody to ask, no file
// named exists, -2 when a job on a file chosen in the dialog failed.
int Run(const std::string& commandLineTail, int showState);

// Shows the progress dialog around the extraction or the import, and after an import that read
// its file the import summary as the user interface's final note. 0 on success, -1 on failure.
int RunJob(ImportOptions& options, bool extractOnly);

// Runs the import; once it has read its file, stores its summary line in *summary.
bool RunImportJob(ImportOptions& options, CProgressDialog& progress, std::string* summary);
bool RunExtractJob(ImportOptions& options, CProgressDialog& progress);
