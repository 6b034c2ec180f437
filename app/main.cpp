#include "diag/log.h"
#include "platform/command_line.h"

int main(int argc, char** argv) {
  platform::InitCommandLine(argc, argv);
  Log::Instance();
  return 0;
}
