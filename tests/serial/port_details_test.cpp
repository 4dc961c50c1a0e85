// What a port's udev properties make of it: the identity that finds a USB device again under
// another path, and the name the port lists show.
#include "serial/port_details.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

PortDetails From(const std::map<std::string, std::string>& properties) {
  return DetailsFromProperties([&](const char* key) -> const char* {
    const auto found = properties.find(key);
    return found != properties.end() ? found->second.c_str() : nullptr;
  });
}

TEST(PortDetails, UsbDeviceIsKnownByVendorProductAndSerialOrElseByItsPlace) {
  const PortDetails withSerial = From({{"ID_VENDOR_ID", "10c4"}, {"ID_MODEL_ID", "ea60"}, {"ID_SERIAL_SHORT", "0001"},
                                       {"ID_PATH", "pci-0000:00:14.0-usb-0:2:1.0"},
                                       {"ID_MODEL_FROM_DATABASE", "CP2102 USB to UART"}});
  EXPECT_EQ(withSerial.description, "CP2102 USB to UART (0001)");
  // The same adapter in another socket is the same device.
  EXPECT_EQ(withSerial.identity, From({{"ID_VENDOR_ID", "10c4"}, {"ID_MODEL_ID", "ea60"}, {"ID_SERIAL_SHORT", "0001"},
                                       {"ID_PATH", "pci-0000:00:14.0-usb-0:3:1.0"}})
                                     .identity);
  // Without a serial number two adapters of one kind differ only by their socket.
  const PortDetails first = From({{"ID_VENDOR_ID", "1a86"}, {"ID_MODEL_ID", "7523"}, {"ID_PATH", "usb-0:2:1.0"}});
  const PortDetails second = From({{"ID_VENDOR_ID", "1a86"}, {"ID_MODEL_ID", "7523"}, {"ID_PATH", "usb-0:3:1.0"}});
  EXPECT_FALSE(first.identity.empty());
  EXPECT_NE(first.identity, second.identity);
  // A built-in port has a place but nothing that would follow it elsewhere: its path names it.
  EXPECT_EQ(From({{"ID_PATH", "platform-serial8250"}}).identity, "");
  EXPECT_EQ(From({}), PortDetails{});
}

TEST(PortDetails, ModelNameIsReadableWhateverUdevGives) {
  EXPECT_EQ(From({{"ID_MODEL_ENC", "STM32\\x20STLink\\x20\\x20"}, {"ID_MODEL", "STM32_STLink"},
                  {"ID_SERIAL_SHORT", "066CFF"}})
                .description,
            "STM32 STLink (066CFF)");
  EXPECT_EQ(From({{"ID_MODEL", "Nucleo_Board"}}).description, "Nucleo Board");
  EXPECT_EQ(From({{"ID_VENDOR", "FTDI"}, {"ID_MODEL_ENC", "bad\\xZZ"}}).description, "bad\\xZZ");
  EXPECT_EQ(From({{"ID_VENDOR", "FTDI"}}).description, "FTDI");
}

}  // namespace
