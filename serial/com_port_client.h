#pragma once
// The client side of telnet's com port control (RFC 2217) over one connection: offers and
// answers to option negotiation, the requests that set the far line, and what the server
// reports back (the values it took, line and modem state, flow-control suspension). Pure
// logic: bytes in, bytes out; the network port drives it from its relay thread.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "serial/line_errors.h"
#include "serial/telnet_stream.h"

namespace rfc2217 {

// Client command codes; the server's answer to each carries the code plus kServerOffset.
inline constexpr uint8_t kSignature = 0;
inline constexpr uint8_t kSetBaudRate = 1;
inline constexpr uint8_t kSetDataSize = 2;
inline constexpr uint8_t kSetParity = 3;
inline constexpr uint8_t kSetStopSize = 4;
inline constexpr uint8_t kSetControl = 5;
inline constexpr uint8_t kNotifyLineState = 6;
inline constexpr uint8_t kNotifyModemState = 7;
inline constexpr uint8_t kFlowControlSuspend = 8;
inline constexpr uint8_t kFlowControlResume = 9;
inline constexpr uint8_t kSetLineStateMask = 10;
inline constexpr uint8_t kSetModemStateMask = 11;
inline constexpr uint8_t kPurgeData = 12;
inline constexpr uint8_t kServerOffset = 100;
inline constexpr size_t kCommandCount = 13;

// SET-CONTROL values.
inline constexpr uint8_t kControlFlowNone = 1;
inline constexpr uint8_t kControlFlowXonXoff = 2;
inline constexpr uint8_t kControlFlowHardware = 3;
inline constexpr uint8_t kControlBreakOn = 5;
inline constexpr uint8_t kControlBreakOff = 6;
inline constexpr uint8_t kControlDtrOn = 8;
inline constexpr uint8_t kControlDtrOff = 9;
inline constexpr uint8_t kControlRtsOn = 11;
inline constexpr uint8_t kControlRtsOff = 12;

// PURGE-DATA value: the server's receive buffer (what the device sent that we have not got).
inline constexpr uint8_t kPurgeReceived = 1;

// NOTIFY-LINESTATE bits.
inline constexpr uint8_t kLineBreak = 0x10;
inline constexpr uint8_t kLineFraming = 0x08;
inline constexpr uint8_t kLineParity = 0x04;
inline constexpr uint8_t kLineOverrun = 0x02;

// Appends one com port command (IAC SB 44 code value IAC SE). SET-BAUDRATE takes four
// bytes, every other command one.
void AppendCommand(uint8_t code, uint32_t value, std::vector<uint8_t>& out);

// Where the negotiation of the com port option stands.
enum class Agreement : uint8_t {
  Pending,     // offered, no answer yet
  ComPort,     // the server takes com port commands
  Refused,     // a telnet server that will not take them: data only
  NotTelnet,   // no telnet at all: the stream is passed on unchanged both ways
};

class ComPortClient : private telnet::StreamSink {
 public:
  // The client's offers: com port control, binary both ways, no go-ahead.
  void Start(std::vector<uint8_t>& out);
  // Decodes what the server sent: data bytes go to `data`, answers to its negotiation to
  // `out` (and, when the com port option has just been agreed, the requests for modem and
  // line state notifications).
  void Receive(const uint8_t* bytes, size_t count, std::vector<uint8_t>& data, std::vector<uint8_t>& out);
  // Appends data bytes for the server (0xFF doubled, unless the peer speaks no telnet).
  void AppendData(const uint8_t* bytes, size_t count, std::vector<uint8_t>& out) const;
  // No answer within the time the caller allows: a peer that said something in telnet
  // refused the option; one that never did is no telnet server at all.
  void GiveUp();

  Agreement State() const { return state_; }
  // The value the server last reported for a command (kSetBaudRate ...).
  std::optional<uint32_t> Reply(uint8_t code) const { return code < kCommandCount ? replies_[code] : std::nullopt; }
  // Counts a command sent that the server is to answer. Answers come in the order of the
  // commands, so once none is outstanding the last one answered the latest command.
  void Expect(uint8_t code) {
    if (code < kCommandCount) ++outstanding_[code];
  }
  bool Outstanding(uint8_t code) const { return code < kCommandCount && outstanding_[code] > 0; }
  // Stops waiting for answers to the command (the server let them go unanswered).
  void Forget(uint8_t code) {
    if (code < kCommandCount) outstanding_[code] = 0;
  }
  // Line errors and breaks the server reported, counted as a kernel counts them.
  const LineCounters& LineEvents() const { return lineEvents_; }
  // The modem state last reported (CD 0x80, RI 0x40, DSR 0x20, CTS 0x10, and their deltas).
  std::optional<uint8_t> ModemState() const { return modemState_; }
  // The server asked us to stop sending data for now.
  bool Suspended() const { return suspended_; }

 private:
  void Data(const uint8_t* bytes, size_t count) override;
  void Negotiation(uint8_t verb, uint8_t option) override;
  void Subnegotiation(uint8_t option, const uint8_t* payload, size_t count) override;
  void ServerCommand(uint8_t code, const uint8_t* value, size_t count);
  void Agree();

  telnet::StreamDecoder decoder_;
  Agreement state_ = Agreement::Pending;
  bool sawTelnet_ = false;
  // Per option: enabled on our side / the server's, and whether we asked for it (an answer
  // to our own request is not answered again).
  std::array<bool, 256> ours_{};
  std::array<bool, 256> theirs_{};
  std::array<bool, 256> askedOurs_{};
  std::array<bool, 256> askedTheirs_{};
  std::array<std::optional<uint32_t>, kCommandCount> replies_{};
  std::array<uint32_t, kCommandCount> outstanding_{};
  LineCounters lineEvents_;
  std::optional<uint8_t> modemState_;
  bool suspended_ = false;
  // Set while Receive runs.
  std::vector<uint8_t>* data_ = nullptr;
  std::vector<uint8_t>* out_ = nullptr;
};

}  // namespace rfc2217
