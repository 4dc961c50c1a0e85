#include "serial/network_port.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>

#include "serial/com_port_line.h"
#include "serial/comm_state_translation.h"
#include "serial/deadline.h"
#include "serial/posix_device.h"

using rfc2217::Agreement;
using win::DCB;

namespace {

// What the relay holds at most in either direction before it stops taking more: beyond
// this the sender waits, on the network as on the local side (TCP back-pressure).
constexpr size_t kHoldBytes = 64 * 1024;
constexpr size_t kChunkBytes = 64 * 1024;

bool TransientError() { return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR; }

// Moves what fits from `pending` into fd; false when fd failed.
template <typename Call>
bool Flush(std::vector<uint8_t>& pending, Call call) {
  const ssize_t n = call(pending.data(), pending.size());
  if (n > 0) pending.erase(pending.begin(), pending.begin() + n);
  return n >= 0 || TransientError();
}

}  // namespace

NetworkPort::NetworkPort(const NetworkAddress& address) : address_(address) {}

std::unique_ptr<NetworkPort> NetworkPort::Open(const NetworkAddress& address, PortFailure* failure) {
  std::unique_ptr<NetworkPort> port(new NetworkPort(address));
  if (!port->wake_.valid()) {
    *failure = posix::LastSystemFailure();
    return nullptr;
  }
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair) != 0) {
    *failure = posix::LastSystemFailure();
    return nullptr;
  }
  port->driverEnd_ = pair[0];
  port->relayEnd_ = pair[1];
  try {
    port->relay_ = std::thread([relay = port.get()] { relay->Relay(); });
  } catch (const std::system_error& error) {
    *failure = posix::SystemFailure(error.code().value());
    return nullptr;
  }
  return port;
}

NetworkPort::~NetworkPort() {
  stop_ = true;
  wake_.Set();
  if (relay_.joinable()) relay_.join();
  if (driverEnd_ >= 0) ::close(driverEnd_);
  if (relayEnd_ >= 0) ::close(relayEnd_);
}

void NetworkPort::EnterPhase(Phase phase) {
  phase_ = phase;
  changed_.notify_all();
}

void NetworkPort::Relay() {
  const int socket = Connect();
  if (socket >= 0) {
    const int on = 1;
    // A terminal sends a few bytes at a time and wants them on the line now.
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    Pump(socket);
    ::close(socket);
  }
  {
    std::lock_guard lock(lock_);
    EnterPhase(Phase::Lost);
  }
  // The driver's end now reads as hung up, as a terminal whose device went away.
  ::shutdown(relayEnd_, SHUT_RDWR);
}

int NetworkPort::Connect() {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(address_.port);
  if (::getaddrinfo(address_.host.c_str(), service.c_str(), &hints, &found) != 0) return -1;
  const Deadline deadline(kConnectLimitMs);
  int connected = -1;
  for (addrinfo* candidate = found; candidate != nullptr && connected < 0 && !stop_; candidate = candidate->ai_next) {
    const int fd = ::socket(candidate->ai_family, candidate->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            candidate->ai_protocol);
    if (fd < 0) continue;
    if (::connect(fd, candidate->ai_addr, candidate->ai_addrlen) == 0 || errno == EINPROGRESS) {
      for (;;) {
        const posix::Readiness ready = posix::WaitReady(fd, POLLOUT, wake_.fd(), -1, deadline);
        if (ready.wake) wake_.Reset();
        if (stop_ || ready.failure.Failed() || ready.timedOut) break;
        if (ready.device == 0) continue;
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) connected = fd;
        break;
      }
    }
    if (connected != fd) ::close(fd);
  }
  ::freeaddrinfo(found);
  return connected;
}

void NetworkPort::Send(const std::vector<rfc2217::LineCommand>& commands) {
  for (const rfc2217::LineCommand& command : commands) {
    if (command.confirmed) client_.Expect(command.code);
    rfc2217::AppendCommand(command.code, command.value, commands_);
  }
  wake_.Set();
}

void NetworkPort::SendKeptBlock() {
  if (!block_) return;
  Send(rfc2217::LineCommands(nullptr, *block_));
  blockSent_ = true;
}

void NetworkPort::Pump(int socket) {
  const bool telnet = address_.protocol == NetworkAddress::Protocol::Rfc2217;
  std::vector<uint8_t> toNet;
  std::vector<uint8_t> toLocal;
  std::vector<uint8_t> chunk(kChunkBytes);
  const Deadline negotiation(kNegotiationLimitMs);
  {
    std::lock_guard lock(lock_);
    if (telnet) client_.Start(toNet);
    EnterPhase(telnet ? Phase::Negotiating : Phase::Ready);
  }
  while (!stop_) {
    bool passData = false;
    bool negotiating = false;
    {
      std::lock_guard lock(lock_);
      if (phase_ == Phase::Negotiating && (negotiation.Expired() || client_.State() != Agreement::Pending)) {
        client_.GiveUp();
        if (client_.State() == Agreement::ComPort) SendKeptBlock();
        EnterPhase(Phase::Ready);
      }
      toNet.insert(toNet.end(), commands_.begin(), commands_.end());
      commands_.clear();
      if (purge_) {
        toLocal.clear();
        purge_ = false;
        changed_.notify_all();
      }
      negotiating = phase_ == Phase::Negotiating;
      // Data waits behind the negotiation, so that the line is set before the first byte.
      passData = !negotiating && !client_.Suspended();
    }
    pollfd fds[3] = {
        {socket, static_cast<short>((toLocal.size() < kHoldBytes ? POLLIN : 0) | (toNet.empty() ? 0 : POLLOUT)), 0},
        {relayEnd_,
         static_cast<short>((passData && toNet.size() < kHoldBytes ? POLLIN : 0) | (toLocal.empty() ? 0 : POLLOUT)), 0},
        {wake_.fd(), POLLIN, 0}};
    const int rc = ::poll(fds, 3, negotiating ? negotiation.RemainingMs() : -1);
    if (rc < 0 && errno != EINTR) return;
    if (rc <= 0) continue;
    if (fds[2].revents & POLLIN) wake_.Reset();

    if (fds[0].revents & POLLIN) {
      const ssize_t n = ::recv(socket, chunk.data(), chunk.size(), 0);
      if (n == 0 || (n < 0 && !TransientError())) return;  // the server closed or the connection broke
      if (n > 0) {
        std::lock_guard lock(lock_);
        if (telnet) client_.Receive(chunk.data(), static_cast<size_t>(n), toLocal, commands_);
        else toLocal.insert(toLocal.end(), chunk.begin(), chunk.begin() + n);
        changed_.notify_all();
      }
    } else if (fds[0].revents & (POLLHUP | POLLERR)) {
      return;
    }
    if ((fds[0].revents & POLLOUT) &&
        !Flush(toNet, [&](const uint8_t* p, size_t n) { return ::send(socket, p, n, MSG_NOSIGNAL); })) {
      return;
    }
    if ((fds[1].revents & POLLOUT) && !Flush(toLocal, [&](const uint8_t* p, size_t n) {
          return ::write(relayEnd_, p, n);
        })) {
      return;
    }
    if (fds[1].revents & POLLIN) {
      const ssize_t n = ::read(relayEnd_, chunk.data(), chunk.size());
      if (n == 0 || (n < 0 && !TransientError())) return;
      if (n > 0) {
        std::lock_guard lock(lock_);
        if (telnet) client_.AppendData(chunk.data(), static_cast<size_t>(n), toNet);
        else toNet.insert(toNet.end(), chunk.begin(), chunk.begin() + n);
      }
    }
  }
}

PortFailure NetworkPort::ReadCommState(const DCB* written, DCB* dcb) {
  std::lock_guard lock(lock_);
  if (phase_ == Phase::Lost) return posix::SystemFailure(EIO);
  DCB block = written != nullptr ? *written : (block_ ? *block_ : posix::DefaultControlBlock());
  if (client_.State() == Agreement::ComPort) block = rfc2217::AsReported(client_, block);
  *dcb = block;
  return {};
}

PortFailure NetworkPort::WriteCommState(const DCB& dcb) {
  if (!posix::ControlBlockIsValid(dcb)) return posix::SystemFailure(EINVAL);
  std::unique_lock lock(lock_);
  if (phase_ == Phase::Lost) return posix::SystemFailure(EIO);
  // Not agreed yet: kept, and sent once it is. Bytes only: there is no line to set.
  if (phase_ != Phase::Ready || client_.State() != Agreement::ComPort) {
    block_ = dcb;
    return {};
  }
  const std::vector<rfc2217::LineCommand> commands = rfc2217::LineCommands(blockSent_ ? &*block_ : nullptr, dcb);
  Send(commands);
  auto answered = [&] {
    return std::none_of(commands.begin(), commands.end(),
                        [&](const rfc2217::LineCommand& command) { return client_.Outstanding(command.code); });
  };
  auto confirmed = [&] {
    return std::all_of(commands.begin(), commands.end(), [&](const rfc2217::LineCommand& command) {
      const std::optional<uint32_t> answer = client_.Reply(command.code);
      return !command.confirmed || (answer && rfc2217::Confirms(command, *answer));
    });
  };
  changed_.wait_for(lock, std::chrono::milliseconds(kConfirmLimitMs),
                    [&] { return phase_ == Phase::Lost || answered(); });
  if (phase_ == Phase::Lost) return posix::SystemFailure(EIO);
  if (!answered() || !confirmed()) {
    for (const rfc2217::LineCommand& command : commands) client_.Forget(command.code);
    // Refused or not confirmed in time: take back what was sent, so that the far line stays
    // as it was, as a local device's does.
    if (blockSent_) Send(rfc2217::LineCommands(&dcb, *block_));
    return posix::SystemFailure(EINVAL);
  }
  block_ = dcb;
  blockSent_ = true;
  return {};
}

PortFailure NetworkPort::DiscardInput() {
  {
    std::unique_lock lock(lock_);
    if (phase_ == Phase::Lost) return posix::SystemFailure(EIO);
    purge_ = true;
    if (client_.State() == Agreement::ComPort)
      rfc2217::AppendCommand(rfc2217::kPurgeData, rfc2217::kPurgeReceived, commands_);
    wake_.Set();
    changed_.wait_for(lock, std::chrono::milliseconds(kConfirmLimitMs),
                      [&] { return !purge_ || phase_ == Phase::Lost; });
  }
  uint8_t chunk[4096];
  while (::read(driverEnd_, chunk, sizeof chunk) > 0) {
  }
  return {};
}

bool NetworkPort::ReadLineCounters(LineCounters* counters) {
  std::lock_guard lock(lock_);
  *counters = client_.LineEvents();
  return true;
}

NetworkStatus NetworkPort::Network() const {
  std::lock_guard lock(lock_);
  NetworkStatus status;
  status.network = true;
  status.connecting = phase_ == Phase::Connecting || phase_ == Phase::Negotiating;
  const bool comPort = address_.protocol == NetworkAddress::Protocol::Rfc2217 && client_.State() == Agreement::ComPort;
  status.lineSettingsApply = comPort;
  status.bytesOnly = !comPort && !status.connecting;
  status.modemState = client_.ModemState();
  return status;
}

bool NetworkPort::AwaitReady(uint32_t timeoutMs) {
  std::unique_lock lock(lock_);
  changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                    [&] { return phase_ == Phase::Ready || phase_ == Phase::Lost; });
  return phase_ == Phase::Ready;
}
