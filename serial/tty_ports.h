#pragma once
// Which of the system's tty devices are serial ports a user can pick. The kernel's tty
// class also holds virtual consoles, the controlling-terminal alias, the pty multiplexer
// and, on PCs, ttyS0..ttyS31 whether or not a UART sits behind them; none of those belong
// in a port list.
#include <optional>
#include <string>
#include <vector>

// What the system tells about one tty device.
struct TtyRecord {
  std::string name;                // kernel name, e.g. "ttyUSB0"
  std::string devnode;             // device path, e.g. "/dev/ttyUSB0"; empty when it has none
  bool devnodeIsTerminal = false;  // the device path exists here as a terminal device
  bool hasHardwareParent = false;  // a bus device (USB, PCI, platform, ...) is behind it
  std::optional<long> uartType;    // the serial core's "type" attribute, where it has one
};

// True for a tty that is a serial port: one with a device node present on this system and
// hardware behind it; for ports of the serial core (ttyS, ttyAMA, ...), only where a UART
// was detected (type 0 is the core's "unknown": a reserved slot with nothing behind it).
// Bluetooth RFCOMM ports have no hardware parent of their own but are serial ports.
bool IsSerialPortRecord(const TtyRecord& record);

// The device paths of the serial ports among `records`, in their order.
std::vector<std::string> SerialPortPaths(const std::vector<TtyRecord>& records);

// The tty devices as libudev enumerates them; empty optional when libudev cannot be used.
std::optional<std::vector<TtyRecord>> ScanTtysWithUdev();

// The tty devices read straight from sysfs: `classDir` is normally /sys/class/tty and
// `devDir` the directory of device nodes, /dev. Empty optional when `classDir` cannot be
// read.
std::optional<std::vector<TtyRecord>> ScanTtysInSysfs(const std::string& classDir,
                                                      const std::string& devDir);
