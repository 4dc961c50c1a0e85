#pragma once
// One operation on many ports at once: a thread per port, each with an exchange of its own.
#include <functional>
#include <string>
#include <vector>

#include "cli/zel_operations.h"

using PortOperation = std::function<PortOutcome(BlockingModuleExchange&, const std::string&)>;

// The outcomes in the order of `ports`, once every thread has finished.
std::vector<PortOutcome> OnEveryPort(const std::vector<std::string>& ports, const PortOperation& operation);
