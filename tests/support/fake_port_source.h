#pragma once
// A port source whose list is set by hand: for tests of the window and of anything that
// reads port lists.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "serial/port_source.h"

class FakePortSource : public PortSource {
 public:
  FakePortSource() = default;
  explicit FakePortSource(std::vector<std::string> ports) : ports_(std::move(ports)) {}

  void SetPorts(std::vector<std::string> ports) { ports_ = std::move(ports); }
  void SetUnreadable() { ports_.reset(); }
  int listCount() const { return listCount_; }

  std::optional<std::vector<std::string>> ListPorts() override {
    ++listCount_;
    return ports_;
  }

 private:
  std::optional<std::vector<std::string>> ports_ = std::vector<std::string>{};
  int listCount_ = 0;
};
