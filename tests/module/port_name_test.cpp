#include "serial/port_name.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
  const char* listed;
  const char* device;
};

class DeviceNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(DeviceNames, FollowThePrefixRule) { EXPECT_EQ(DeviceNameForPort(GetParam().listed), GetParam().device); }

INSTANTIATE_TEST_SUITE_P(
    ComNames, DeviceNames,
    ::testing::Values(NameCase{"COM12", "\\\\.\\COM12"}, NameCase{"COM10", "\\\\.\\COM10"},
                      NameCase{"COM9", "COM9"}, NameCase{"COM1", "COM1"}, NameCase{"COM0", "COM0"},
                      NameCase{"COM09", "COM09"}, NameCase{"COM010", "\\\\.\\COM010"},
                      NameCase{"COM123456789012345678901234567890", "\\\\.\\COM123456789012345678901234567890"}));

INSTANTIATE_TEST_SUITE_P(AlreadyPrefixed, DeviceNames,
                         ::testing::Values(NameCase{"\\\\.\\COM12", "\\\\.\\COM12"},
                                           NameCase{"\\\\.\\COM3", "\\\\.\\COM3"}));

INSTANTIATE_TEST_SUITE_P(OtherNames, DeviceNames,
                         ::testing::Values(NameCase{"/dev/ttyUSB10", "/dev/ttyUSB10"},
                                           NameCase{"/dev/ttyS12", "/dev/ttyS12"},
                                           NameCase{"/dev/pts/15", "/dev/pts/15"}, NameCase{"COM", "COM"},
                                           NameCase{"COMX12", "COMX12"}, NameCase{"COM1a", "COM1a"},
                                           NameCase{"com12", "com12"}, NameCase{"", ""}));

}  // namespace
