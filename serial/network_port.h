#pragma once
// A serial port on another machine, reached over TCP: raw bytes (tcp://) or telnet with com
// port control (rfc2217://). The port's descriptor is one end of a local socket pair; a relay
// thread owns the network socket and moves bytes between the two, encoding and decoding the
// telnet stream on the way. So every read, write and wait of the port works as on a
// terminal, and a connection that ends looks like a terminal that hung up.
//
// Open never waits for the network: it returns with the port connecting. Until the
// connection is up and negotiated, control blocks written are kept and sent first thing;
// data written meanwhile waits in the socket pair. A connection that cannot be made (refused,
// no answer within kConnectLimitMs, a name that does not resolve) ends like a lost one.
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "serial/com_port_client.h"
#include "serial/com_port_line.h"
#include "serial/manual_reset_event.h"
#include "serial/network_address.h"
#include "serial/port_device.h"

class NetworkPort final : public PortDevice {
 public:
  static constexpr uint32_t kConnectLimitMs = 3000;
  // How long the server has to answer the com port offer before the port falls back to bytes.
  static constexpr uint32_t kNegotiationLimitMs = 3000;
  // How long a line setting waits for the server's confirmation.
  static constexpr uint32_t kConfirmLimitMs = 2000;

  static std::unique_ptr<NetworkPort> Open(const NetworkAddress& address, PortFailure* failure);
  ~NetworkPort() override;
  NetworkPort(const NetworkPort&) = delete;
  NetworkPort& operator=(const NetworkPort&) = delete;

  int Fd() const override { return driverEnd_; }
  PortFailure ReadCommState(const win::DCB* written, win::DCB* dcb) override;
  PortFailure WriteCommState(const win::DCB& dcb) override;
  // Drops what the relay holds for us and asks the server to drop what it holds too.
  PortFailure DiscardInput() override;
  bool ReadLineCounters(LineCounters* counters) override;
  NetworkStatus Network() const override;
  bool AwaitReady(uint32_t timeoutMs) override;

 private:
  enum class Phase : uint8_t { Connecting, Negotiating, Ready, Lost };

  explicit NetworkPort(const NetworkAddress& address);
  void Relay();
  int Connect();
  // The relay's work on a connected socket; returns when the connection or the port ends.
  void Pump(int socket);
  // Both need lock_ held.
  void EnterPhase(Phase phase);
  // Sends the kept block once the server has agreed to com port control.
  void SendKeptBlock();
  // Queues the commands for the relay, counting the answers they are to get.
  void Send(const std::vector<rfc2217::LineCommand>& commands);

  const NetworkAddress address_;
  int driverEnd_ = -1;
  int relayEnd_ = -1;
  ManualResetEvent wake_;  // requests for the relay, and the stop
  std::atomic<bool> stop_{false};
  std::thread relay_;

  mutable std::mutex lock_;
  std::condition_variable changed_;
  Phase phase_ = Phase::Connecting;
  rfc2217::ComPortClient client_;
  std::vector<uint8_t> commands_;  // encoded commands for the relay to send
  bool purge_ = false;             // the relay is to drop what it holds for the driver
  std::optional<win::DCB> block_;  // the block in force, or to be sent once agreed
  bool blockSent_ = false;
};
