#include "serial/port_device.h"

#include "serial/network_address.h"
#include "serial/network_port.h"
#include "serial/posix_comm_state.h"
#include "serial/posix_device.h"

namespace {

class TerminalPortDevice final : public PortDevice {
 public:
  explicit TerminalPortDevice(int fd) : fd_(fd) {}
  ~TerminalPortDevice() override { posix::CloseDevice(fd_); }
  TerminalPortDevice(const TerminalPortDevice&) = delete;
  TerminalPortDevice& operator=(const TerminalPortDevice&) = delete;

  int Fd() const override { return fd_; }
  PortFailure ReadCommState(const win::DCB* written, win::DCB* dcb) override {
    return posix::ReadCommState(fd_, written, dcb) ? PortFailure{} : posix::LastSystemFailure();
  }
  PortFailure WriteCommState(const win::DCB& dcb) override {
    return posix::WriteCommState(fd_, dcb) ? PortFailure{} : posix::LastSystemFailure();
  }
  PortFailure DiscardInput() override {
    return posix::DiscardInput(fd_) ? PortFailure{} : posix::LastSystemFailure();
  }
  bool ReadLineCounters(LineCounters* counters) override { return posix::ReadLineCounters(fd_, counters); }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<PortDevice> OpenPortDevice(const char* name, PortFailure* failure) {
  if (name != nullptr && IsNetworkPortName(name)) {
    const std::optional<NetworkAddress> address = ParseNetworkAddress(name);
    if (!address) {
      // A network name that names no host and port finds no port, like a missing device.
      *failure = posix::SystemFailure(ENOENT);
      return nullptr;
    }
    return NetworkPort::Open(*address, failure);
  }
  const int fd = posix::OpenExclusive(name, failure);
  if (fd < 0) return nullptr;
  return std::make_unique<TerminalPortDevice>(fd);
}
