#pragma once
// A port source whose list is set by hand: for tests of the window and of anything that
// reads port lists.
#include <map>
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
  // What Describe tells of `name` from now on.
  void SetDetails(const std::string& name, PortDetails details) { details_[name] = std::move(details); }
  int listCount() const { return listCount_; }

  std::optional<std::vector<std::string>> ListPorts() override {
    ++listCount_;
    return ports_;
  }
  PortDetails Describe(const std::string& name) override {
    const auto found = details_.find(name);
    return found != details_.end() ? found->second : PortDetails{};
  }

 private:
  std::optional<std::vector<std::string>> ports_ = std::vector<std::string>{};
  std::map<std::string, PortDetails> details_;
  int listCount_ = 0;
};
