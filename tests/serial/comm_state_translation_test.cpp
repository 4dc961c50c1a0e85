// The control block <-> termios translation and the error-code mapping, as pure functions.
#include "serial/comm_state_translation.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "serial/line_errors.h"
#include "serial/posix_device.h"

using win::CE_BREAK;
using win::CE_FRAME;
using win::CE_OVERRUN;
using win::CE_RXOVER;
using win::CE_RXPARITY;
using win::DCB;
using win::ERROR_ALREADY_INITIALIZED;
using win::ERROR_INVALID_FUNCTION;
using win::ERROR_INVALID_HANDLE;
using win::ERROR_SUCCESS;
using win::ERROR_TIMEOUT;
using win::EVENPARITY;
using win::EV_BREAK;
using win::EV_ERR;
using win::E_INVALIDARG;
using win::MARKPARITY;
using win::NOPARITY;
using win::ODDPARITY;
using win::ONE5STOPBITS;
using win::ONESTOPBIT;
using win::RTS_CONTROL_ENABLE;
using win::RTS_CONTROL_HANDSHAKE;
using win::SPACEPARITY;
using win::TWOSTOPBITS;

namespace {

DCB Line(uint32_t baud, uint8_t bits, uint8_t parity, uint8_t stop) {
  DCB dcb = posix::DefaultControlBlock();
  dcb.BaudRate = baud;
  dcb.ByteSize = bits;
  dcb.Parity = parity;
  dcb.StopBits = stop;
  return dcb;
}

// A terminal as a login shell leaves it: line editing, echo, CR/LF translation.
termios CookedTerminal() {
  termios t{};
  t.c_iflag = ICRNL | IXON | IGNPAR | ISTRIP | BRKINT;
  t.c_oflag = OPOST | ONLCR;
  t.c_lflag = ICANON | ECHO | ECHOE | ISIG | IEXTEN;
  t.c_cflag = CS7 | PARENB | HUPCL;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 5;
  return t;
}

TEST(ControlBlockValidity, RefusesWhatNoLineCanDo) {
  EXPECT_FALSE(posix::ControlBlockIsValid(Line(0, 8, NOPARITY, ONESTOPBIT)));
  EXPECT_FALSE(posix::ControlBlockIsValid(Line(9600, 4, NOPARITY, ONESTOPBIT)));
  EXPECT_FALSE(posix::ControlBlockIsValid(Line(9600, 9, NOPARITY, ONESTOPBIT)));
  EXPECT_FALSE(posix::ControlBlockIsValid(Line(9600, 8, 5, ONESTOPBIT)));
  EXPECT_FALSE(posix::ControlBlockIsValid(Line(9600, 8, NOPARITY, 3)));
  for (uint8_t bits : {6, 7, 8}) EXPECT_FALSE(posix::ControlBlockIsValid(Line(9600, bits, NOPARITY, ONE5STOPBITS)));
  EXPECT_FALSE(posix::ControlBlockIsValid(Line(9600, 5, NOPARITY, TWOSTOPBITS)));

  DCB unknownDtr = Line(9600, 8, NOPARITY, ONESTOPBIT);
  unknownDtr.fDtrControl = 3;
  EXPECT_FALSE(posix::ControlBlockIsValid(unknownDtr));
  DCB unknownRts = Line(9600, 8, NOPARITY, ONESTOPBIT);
  unknownRts.fRtsControl = 3;
  EXPECT_FALSE(posix::ControlBlockIsValid(unknownRts));
  DCB sameXonXoff = Line(9600, 8, NOPARITY, ONESTOPBIT);
  sameXonXoff.fOutX = 1;
  sameXonXoff.XoffChar = sameXonXoff.XonChar;
  EXPECT_FALSE(posix::ControlBlockIsValid(sameXonXoff));
}

TEST(ControlBlockValidity, AcceptsEveryLineTheTerminalPageOffers) {
  for (uint32_t baud : {110u, 300u, 14400u, 56000u, 57600u, 128000u, 256000u, 1u, 3000001u}) {
    EXPECT_TRUE(posix::ControlBlockIsValid(Line(baud, 8, NOPARITY, ONESTOPBIT))) << baud;
  }
  for (uint8_t parity = NOPARITY; parity <= SPACEPARITY; ++parity) {
    EXPECT_TRUE(posix::ControlBlockIsValid(Line(9600, 7, parity, TWOSTOPBITS)));
  }
  EXPECT_TRUE(posix::ControlBlockIsValid(Line(9600, 5, NOPARITY, ONE5STOPBITS)));
  EXPECT_TRUE(posix::ControlBlockIsValid(Line(9600, 5, EVENPARITY, ONESTOPBIT)));
  EXPECT_TRUE(posix::ControlBlockIsValid(posix::DefaultControlBlock()));
}

TEST(ControlBlockTranslation, EveryLineFormatRoundTrips) {
  for (uint8_t bits = 5; bits <= 8; ++bits) {
    for (uint8_t parity = NOPARITY; parity <= SPACEPARITY; ++parity) {
      for (uint8_t stop = ONESTOPBIT; stop <= TWOSTOPBITS; ++stop) {
        const DCB wanted = Line(9600, bits, parity, stop);
        if (!posix::ControlBlockIsValid(wanted)) continue;
        termios t = CookedTerminal();
        posix::ApplyControlBlock(wanted, &t);
        DCB got = posix::DefaultControlBlock();
        posix::ReadControlBlock(t, &got);
        EXPECT_EQ(got.ByteSize, bits);
        EXPECT_EQ(got.Parity, parity) << int(bits) << int(parity) << int(stop);
        EXPECT_EQ(got.StopBits, stop) << int(bits) << int(parity) << int(stop);
      }
    }
  }
}

TEST(ControlBlockTranslation, ParityBits) {
  const auto cflagFor = [](uint8_t parity) {
    termios t{};
    posix::ApplyControlBlock(Line(9600, 8, parity, ONESTOPBIT), &t);
    return t.c_cflag & (PARENB | PARODD | CMSPAR);
  };
  EXPECT_EQ(cflagFor(NOPARITY), 0u);
  EXPECT_EQ(cflagFor(ODDPARITY), tcflag_t(PARENB | PARODD));
  EXPECT_EQ(cflagFor(EVENPARITY), tcflag_t(PARENB));
  EXPECT_EQ(cflagFor(MARKPARITY), tcflag_t(PARENB | PARODD | CMSPAR));
  EXPECT_EQ(cflagFor(SPACEPARITY), tcflag_t(PARENB | CMSPAR));
}

TEST(ControlBlockTranslation, AlwaysRawWithReceiverOnAndModemLinesIgnored) {
  termios t = CookedTerminal();
  posix::ApplyControlBlock(Line(9600, 8, NOPARITY, ONESTOPBIT), &t);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ECHOE | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_iflag & (ICRNL | IXON | IGNPAR | ISTRIP | BRKINT | INPCK), 0u);
  EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), tcflag_t(CREAD | CLOCAL));
  EXPECT_EQ(t.c_cflag & HUPCL, tcflag_t(HUPCL)) << "bits the block does not speak of stay";
  EXPECT_EQ(t.c_cc[VMIN], 1);
  EXPECT_EQ(t.c_cc[VTIME], 0);
}

TEST(ControlBlockTranslation, FlowControlBitsAndCharacters) {
  DCB software = Line(9600, 8, NOPARITY, ONESTOPBIT);
  software.fOutX = 1;
  software.fInX = 1;
  software.fParity = 1;
  software.XonChar = 0x21;
  software.XoffChar = 0x22;
  termios t{};
  posix::ApplyControlBlock(software, &t);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | INPCK), tcflag_t(IXON | IXOFF | INPCK));
  EXPECT_EQ(t.c_cc[VSTART], 0x21);
  EXPECT_EQ(t.c_cc[VSTOP], 0x22);
  EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);

  for (const auto& hardware : {std::pair{1, RTS_CONTROL_ENABLE}, std::pair{0, RTS_CONTROL_HANDSHAKE}}) {
    DCB dcb = Line(9600, 8, NOPARITY, ONESTOPBIT);
    dcb.fOutxCtsFlow = static_cast<uint8_t>(hardware.first);
    dcb.fRtsControl = hardware.second;
    termios h{};
    posix::ApplyControlBlock(dcb, &h);
    EXPECT_EQ(h.c_cflag & CRTSCTS, tcflag_t(CRTSCTS));
    DCB back = dcb;  // as remembered: agrees with CRTSCTS, so it is kept
    posix::ReadControlBlock(h, &back);
    EXPECT_EQ(back.fOutxCtsFlow, dcb.fOutxCtsFlow);
    EXPECT_EQ(back.fRtsControl, dcb.fRtsControl);
  }
}

TEST(ControlBlockTranslation, HandshakeFieldsFollowCrtsctsWhenTheyDisagree) {
  termios t{};
  t.c_cflag = CS8 | CRTSCTS;  // set by another program
  DCB dcb = posix::DefaultControlBlock();
  posix::ReadControlBlock(t, &dcb);
  EXPECT_EQ(dcb.fOutxCtsFlow, 1);
  EXPECT_EQ(dcb.fRtsControl, RTS_CONTROL_HANDSHAKE);
  t.c_cflag = CS8;
  posix::ReadControlBlock(t, &dcb);
  EXPECT_EQ(dcb.fOutxCtsFlow, 0);
  EXPECT_EQ(dcb.fRtsControl, RTS_CONTROL_ENABLE);
}

TEST(ControlBlockTranslation, LineBitsMatchNoticesADroppedSetting) {
  termios wanted{};
  posix::ApplyControlBlock(Line(9600, 7, MARKPARITY, TWOSTOPBITS), &wanted);
  termios got = wanted;
  EXPECT_TRUE(posix::LineBitsMatch(wanted, got));
  got.c_cflag &= ~CMSPAR;
  EXPECT_FALSE(posix::LineBitsMatch(wanted, got));
  got = wanted;
  got.c_iflag &= ~IXOFF;
  wanted.c_iflag |= IXOFF;
  EXPECT_FALSE(posix::LineBitsMatch(wanted, got));
}

TEST(ControlBlockTranslation, PseudoTerminalFormatIsEightBitsWithoutParity) {
  termios t{};
  posix::ApplyControlBlock(Line(9600, 5, MARKPARITY, ONE5STOPBITS), &t);
  posix::AsPseudoTerminalHoldsIt(&t);
  EXPECT_EQ(t.c_cflag & (CSIZE | PARENB), tcflag_t(CS8));
  EXPECT_EQ(t.c_cflag & (CSTOPB | PARODD | CMSPAR), tcflag_t(CSTOPB | PARODD | CMSPAR)) << "the rest is kept";
}

TEST(ControlBlockTranslation, StandardSpeedsOnlyForTermiosRates) {
  speed_t speed = 0;
  EXPECT_TRUE(posix::StandardSpeed(9600, &speed));
  EXPECT_EQ(speed, speed_t(B9600));
  EXPECT_TRUE(posix::StandardSpeed(110, &speed));
  EXPECT_EQ(speed, speed_t(B110));
  for (uint32_t custom : {14400u, 56000u, 128000u, 256000u, 1u}) EXPECT_FALSE(posix::StandardSpeed(custom, &speed));
}

TEST(ControlBlockTranslation, DefaultConfigurationIs9600EightNoneOne) {
  const DCB dcb = posix::DefaultControlBlock();
  EXPECT_EQ(dcb.BaudRate, 9600u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  EXPECT_EQ(dcb.fOutX | dcb.fInX | dcb.fOutxCtsFlow | dcb.fOutxDsrFlow, 0);
}

TEST(LineErrors, EachRisenCounterGivesItsBits) {
  const LineCounters before{5, 5, 5, 5, 5};
  EXPECT_EQ(LineErrorBits(before, before), 0);
  EXPECT_EQ(LineEventBits(before, before), 0);

  LineCounters now = before;
  now.frame++;
  EXPECT_EQ(LineErrorBits(before, now), CE_FRAME);
  EXPECT_EQ(LineEventBits(before, now), EV_ERR);
  now = before;
  now.brk++;
  EXPECT_EQ(LineErrorBits(before, now), CE_BREAK);
  EXPECT_EQ(LineEventBits(before, now), EV_BREAK);
  now = LineCounters{6, 6, 6, 5, 6};
  EXPECT_EQ(LineErrorBits(before, now), CE_FRAME | CE_OVERRUN | CE_RXPARITY | CE_RXOVER);
  EXPECT_EQ(LineEventBits(before, now), EV_ERR);
  // Counters wrap; a change is a change.
  const LineCounters high{0xFFFFFFFFu, 0, 0, 0, 0};
  EXPECT_EQ(LineErrorBits(high, LineCounters{}), CE_FRAME);
}

TEST(SystemFailures, NeverReadAsSuccessNorCollideWithTheDriversOwnCodes) {
  EXPECT_EQ(ResultCode(posix::SystemFailure(EPERM)), uint32_t(EACCES));
  EXPECT_EQ(posix::SystemFailure(EPERM).osError, EPERM) << "the system's own number stays at hand";
  EXPECT_EQ(ResultCode(posix::SystemFailure(ENXIO)), uint32_t(ENODEV));
  EXPECT_EQ(ResultCode(posix::SystemFailure(0)), uint32_t(EIO));
  EXPECT_EQ(ResultCode(posix::SystemFailure(EBUSY)), uint32_t(EBUSY));
  EXPECT_EQ(ResultCode(posix::SystemFailure(ENOENT)), uint32_t(ENOENT));
  for (int err = 0; err < 200; ++err) {  // every errno value Linux has
    const PortFailure failure = posix::SystemFailure(err);
    EXPECT_TRUE(failure.Failed()) << err;
    const uint32_t code = ResultCode(failure);
    for (uint32_t own : {ERROR_SUCCESS, ERROR_INVALID_FUNCTION, ERROR_INVALID_HANDLE, ERROR_ALREADY_INITIALIZED,
                         ERROR_TIMEOUT, E_INVALIDARG}) {
      EXPECT_NE(code, own) << err;
    }
  }
}

}  // namespace
