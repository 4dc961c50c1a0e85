#pragma once
// vornicspcomm-zel from its arguments to its exit status: parses, checks every value, runs
// the operation and prints. Results go to `out`, messages to `err`.
#include <ostream>
#include <string>
#include <vector>

class PortSource;

// `ports` lists the ports that scan and --all look at.
int RunZel(const std::vector<std::string>& arguments, PortSource& ports, std::ostream& out, std::ostream& err);
