#include "cli/every_port.h"

#include <thread>

#include "core/module/blocking_exchange.h"

std::vector<PortOutcome> OnEveryPort(const std::vector<std::string>& ports, const PortOperation& operation) {
  std::vector<PortOutcome> outcomes(ports.size());
  {
    std::vector<std::jthread> threads;
    threads.reserve(ports.size());
    for (size_t i = 0; i < ports.size(); ++i) {
      threads.emplace_back([&, i] {
        BlockingModuleExchange exchange;
        outcomes[i] = operation(exchange, ports[i]);
      });
    }
  }  // the threads are joined here
  return outcomes;
}
