// The serial line of a polling thread: time-outs from the speed, configuration only on a change.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "iec101/serial_station_line.h"

namespace iec {
namespace {

TEST(SerialTimeouts, TableOfReadTimeouts) {
    auto t = SerialTimeoutsFor(9600, 20);
    EXPECT_EQ(t.interval_ms, 40);
    EXPECT_EQ(t.total_constant_ms, 198);
    EXPECT_EQ(t.write_multiplier_ms, 0);
    EXPECT_EQ(t.write_constant_ms, 0);
    t = SerialTimeoutsFor(1200, 20);
    EXPECT_EQ(t.interval_ms, 180);
    EXPECT_EQ(t.total_constant_ms, 1408);
    t = SerialTimeoutsFor(19200, 20);  // 9600/19200 = 0.5 rounds to even: 0
    EXPECT_EQ(t.interval_ms, 30);
    EXPECT_EQ(t.total_constant_ms, 36);
    t = SerialTimeoutsFor(9600, 700);
    EXPECT_EQ(t.interval_ms, 0);
    EXPECT_EQ(t.total_constant_ms, 700);
    EXPECT_EQ(t.write_multiplier_ms, 1000);
    EXPECT_EQ(t.write_constant_ms, 1000);
    t = SerialTimeoutsFor(0, 20);  // no speed: taken as 300 baud
    EXPECT_EQ(t.interval_ms, 660);
}

class SerialLineTest : public ::testing::Test {
protected:
    SerialLineTest() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master_);
        ::unlockpt(master_);
        path_ = ::ptsname(master_);
    }
    ~SerialLineTest() override { ::close(master_); }

    ManualClock clock;
    ClockPauser pauser{clock};
    std::atomic<int> t230{10};
    RedundancyState redundancy;
    PollingContext ctx{clock, {}, false, t230, redundancy};
    ExchangeLog log{{}, clock, false};
    int master_ = -1;
    std::string path_;
};

TEST_F(SerialLineTest, ConfiguredOnlyWhenTheSettingsChange) {
    SerialStationLine line(path_, ctx, log, pauser);
    ASSERT_TRUE(line.OpenPort());
    TIecDeviceVV a, b;
    a.BaudRate = b.BaudRate = 9600;
    a.Parity = b.Parity = "E";
    for (int cycle = 0; cycle < 3; ++cycle) {
        line.SetupPort(a);
        line.SetupPort(b);
    }
    EXPECT_EQ(line.Reconfigurations(), 1);
    EXPECT_EQ(t230.load(), 20);  // raised to 20 by the first configuration, and kept
    b.Parity = "O";
    for (int cycle = 0; cycle < 3; ++cycle) {
        line.SetupPort(a);
        line.SetupPort(b);
    }
    EXPECT_EQ(line.Reconfigurations(), 6);  // every station of every cycle but the first of all
}

TEST_F(SerialLineTest, MissingPortPausesAndSendsNothing) {
    SerialStationLine line("/dev/no_such_serial_port", ctx, log, pauser);
    const int64_t before = clock.MonotonicMs();
    EXPECT_FALSE(line.OpenPort());
    EXPECT_EQ(clock.MonotonicMs() - before, 1000);
    TIecDeviceVV a;
    EXPECT_FALSE(line.SetupPort(a));
    EXPECT_EQ(line.Reconfigurations(), 1);  // counted as applied although the port is closed
    line.WritePort("\x10\x40\x05\x45\x16");
    EXPECT_EQ(line.ReadPort(), "");
}

TEST_F(SerialLineTest, AnIdleReserveNeitherWritesNorReads) {
    SerialStationLine line(path_, ctx, log, pauser);
    ASSERT_TRUE(line.OpenPort());
    redundancy.Use_Reserv = true;
    redundancy.Role_reserv = 1;
    redundancy.Main_server_is_Work = true;
    line.WritePort("\x10\x40\x05\x45\x16");
    char buf[16];
    ::fcntl(master_, F_SETFL, O_NONBLOCK);
    EXPECT_LT(::read(master_, buf, sizeof buf), 1);
    redundancy.Main_server_is_Work = false;
    line.WritePort("\x10\x40\x05\x45\x16");
    EXPECT_EQ(::read(master_, buf, sizeof buf), 5);
}

}  // namespace
}  // namespace iec
