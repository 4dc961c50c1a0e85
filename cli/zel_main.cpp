// vornicspcomm-zel: reads and writes ZEL radio modules from the command line (see --help and
// the manual page vornicspcomm-zel.1).
#include <iostream>

#include "cli/zel_run.h"
#include "serial/port_source.h"

int main(int argc, char** argv) {
  SystemPortSource ports;
  return RunZel(std::vector<std::string>(argv + 1, argv + argc), ports, std::cout, std::cerr);
}
