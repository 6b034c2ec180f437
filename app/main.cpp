#include "platform/command_line.h"

int main(int argc, char** argv) {
  platform::InitCommandLine(argc, argv);
  return 0;
}
