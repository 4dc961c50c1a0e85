#pragma once
// The serial port class family: SerialPort (device, settings, transfers), MonitoredSerialPort
// (adds a thread that waits for comm events) and WindowSerialPort (posts each event set to a
// MessageTarget). Every operation returns a result code (0 = success, see comm_types.h) and
// leaves it in LastError, and why it failed in LastFailure; nothing here throws or shows
// anything. The device itself never leaves the port: whatever is done to it is done by a
// method that holds it against a close on another thread.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <thread>

#include "serial/comm_types.h"
#include "serial/line_errors.h"
#include "serial/manual_reset_event.h"
#include "serial/port_device.h"
#include "serial/port_error.h"

class SerialPort {
 public:
  SerialPort();
  virtual ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // flag: open for overlapped I/O (transfers with a record or a finite time-out).
  virtual uint32_t Open(const char* name, uint32_t inQueue, uint32_t outQueue, bool flag);
  virtual uint32_t Close();
  virtual uint32_t SetLineSettings(uint32_t baudRate, uint8_t dataBits, uint8_t parity, uint8_t stopBits);
  virtual uint32_t SetEventChar(uint8_t eventChar, bool watch);
  virtual uint32_t SetEventMask(uint32_t mask);
  virtual uint32_t WaitEvent(win::OVERLAPPED* record, uint32_t timeoutMs);
  virtual uint32_t SetFlowControl(uint8_t mode);     // 0 none, 1 hardware, 2 XON/XOFF
  virtual uint32_t SetReadTimeouts(uint8_t mode);    // 0 return at once, 1 wait for the full count
  virtual int32_t GetBaudRate();
  virtual uint8_t GetDataBits();
  virtual uint8_t GetParity();
  virtual uint8_t GetStopBits();
  virtual uint8_t GetFlowControl();
  virtual uint32_t GetEventMask();
  virtual uint8_t GetEventChar();
  // Transfers. Without a record they block until done, or until the time-out (then 1460,
  // with the count of the bytes that did move). With a record of the caller's own the
  // transfer also completes before the call returns (the time-out is not used): the record
  // then holds the result and the count, its event is signalled and the call returns 0.
  // A Close from another thread ends a blocked transfer with 6. With reads that return at
  // once, a read that fills the whole buffer leaves the monitor's received-character event
  // unarmed: read again until a read comes back short, or no new event comes.
  virtual uint32_t Write(const void* buffer, uint32_t count, uint32_t* written, win::OVERLAPPED* record,
                         uint32_t timeoutMs);
  virtual uint32_t WriteText(const char* text, uint32_t* written, win::OVERLAPPED* record, uint32_t timeoutMs);
  virtual uint32_t Read(void* buffer, uint32_t size, uint32_t* read, win::OVERLAPPED* record, uint32_t timeoutMs);

  // The device's whole control block: line, flow control, control lines, characters.
  uint32_t GetControlBlock(win::DCB* dcb);
  // Writes a whole control block at once, so that nothing flickers on the way (DTR and RTS
  // are switched this way). A block the line cannot take is refused (EINVAL) and the device
  // stays as it was.
  uint32_t SetControlBlock(const win::DCB& dcb);
  // Drops the bytes the device has received that nobody has read yet.
  uint32_t DiscardInput();
  // The modem status lines (MS_ bits, modem_status.h) and the kernel's running counts of
  // breaks and line errors. Fails on a device without modem lines (pseudo-terminals).
  uint32_t GetLineState(uint32_t* modemStatus, LineCounters* counters);
  // Holds the transmit line in the break state (on) or lets it go.
  uint32_t SetBreak(bool on);
  // Waits until the device can take at least one more byte to write: 0 when it can, 1460
  // when the time-out passed first (0 only looks, without waiting), 6 on a closed port or
  // when a Close from another thread ends the wait, a system error when the device is gone.
  virtual uint32_t WaitWriteRoom(uint32_t timeoutMs);

  // Low 16 bits of PendingEvents masked with EventMask; clears them. Monitor thread only.
  uint16_t TakeEvents();

  bool IsOpen() const { return Handle.load() != kNoDevice; }
  // What a port on another machine ("rfc2217://HOST:PORT", "tcp://HOST:PORT") can do; all
  // false for a local device or a closed port.
  NetworkStatus Network();
  // Waits until a network port's connection is up and negotiated (true), or lost or the
  // time-out passed (false). True at once for an open local device.
  bool AwaitNetworkReady(uint32_t timeoutMs);
  // Why the most recent port operation on the calling thread failed (error None after a
  // success). Kept per thread, as errno is: the monitor's own waits on the same port do not
  // overwrite what the owner's call left.
  static PortFailure LastFailure();

  std::atomic<uint32_t> LastError{0};

 protected:
  // The open device; kNoDevice while closed. Looked at directly only to tell whether the port
  // is open; the descriptor itself is used only under the device lock (Impl::Use).
  std::atomic<DeviceHandle> Handle{kNoDevice};
  std::atomic<uint32_t> PendingEvents{0};
  std::atomic<uint32_t> EventMask{0};
  std::unique_ptr<ManualResetEvent> IoEvent;

  // Leaves the failure in LastFailure and its code in LastError, and returns the code.
  uint32_t Fail(PortFailure failure);
  uint32_t Succeed() { return Fail({}); }

 private:
  struct Impl;
  // Reads the device's control block, lets `edit` change it (a failure refuses the change
  // and is returned) and writes it back, with no other reader or writer of the block between.
  template <typename Edit>
  uint32_t EditControlBlock(Edit edit);
  uint32_t Transfer(bool reading, void* buffer, uint32_t size, uint32_t* count, win::OVERLAPPED* record,
                    uint32_t timeoutMs);
  // WaitEvent without touching LastError: the monitor thread waits on the same port as its
  // owner, and its waits must not overwrite the result of the owner's last call.
  PortFailure AwaitEvents(win::OVERLAPPED* record, uint32_t timeoutMs);
  // The line errors since the last call, as CE_ bits (0 where the device keeps no counts).
  PortFailure ClearCommError(uint32_t* errors);

  std::unique_ptr<Impl> impl_;
  friend class MonitoredSerialPort;
};

// A class deriving from this one must stop the monitor (Close) in its own destructor: the
// monitor thread calls OnCommEvent, which must not run on a half-destroyed object.
class MonitoredSerialPort : public SerialPort {
 public:
  MonitoredSerialPort();
  ~MonitoredSerialPort() override;

  // flag: start the monitor thread once the device is open.
  uint32_t Open(const char* name, uint32_t inQueue, uint32_t outQueue, bool flag) override;
  uint32_t Close() override;
  virtual uint32_t StartMonitor();
  virtual uint32_t StopMonitor(uint32_t timeoutMs);
  // Called on the monitor thread for each non-empty event set.
  virtual void OnCommEvent(uint16_t events, uint16_t errors) = 0;
  // Called on the monitor thread once, when it ends because the device is gone
  // (hung up, unplugged, read error). Not called for a normal stop.
  virtual void OnDeviceLost(uint32_t code) { (void)code; }

  bool MonitorRunning() const { return MonitorThread != nullptr; }

 protected:
  uint32_t MonitorLoop();
  // One event wait of the monitor's (WaitEvent's result code, without touching LastError).
  virtual uint32_t AwaitMonitorEvents();

  std::atomic<bool> StopRequested{false};
  std::unique_ptr<std::thread> MonitorThread;

 private:
  // Signalled by the monitor thread as its last step, so that a stop can wait with a limit.
  std::unique_ptr<ManualResetEvent> monitorEnded_;
};

class WindowSerialPort : public MonitoredSerialPort {
 public:
  WindowSerialPort();
  ~WindowSerialPort() override;

  uint32_t Close() override;
  void OnCommEvent(uint16_t events, uint16_t errors) override;
  // Posts NotifyMessage with no event bits and CE_IOE in the error half.
  void OnDeviceLost(uint32_t code) override;
  // message 0 posts 2023.
  virtual uint32_t OpenForWindow(const char* name, MessageTarget* window, uint32_t message, uint32_t param,
                                 uint32_t inQueue, uint32_t outQueue);

  std::atomic<MessageTarget*> NotifyWindow{nullptr};
  std::atomic<uint32_t> NotifyMessage{0};
  std::atomic<uint32_t> NotifyParam{0};
};
