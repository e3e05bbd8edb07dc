// A serial adapter unplugged and plugged back at the same path: the polling thread notices the dead device,
// closes it, tries again at a bounded pace without filling its log, and polls the station again once the device
// is back. The device is a pseudo-terminal behind a link of a fixed name, the station the simulator's core.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "iec101/polling_thread.h"
#include "platform/pauser.h"
#include "sim_line.h"

namespace iec::test {
namespace {

namespace fs = std::filesystem;

// The far end of a pseudo-terminal: stations of the simulator answering what the master writes, on a thread.
class PtyStation {
public:
    explicit PtyStation(const std::string& config) : line_(SimConfig(config)) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(master_, 0);
        ::grantpt(master_);
        ::unlockpt(master_);
        path_ = ::ptsname(master_);
        pump_ = std::thread([this] { Pump(); });
    }
    // Unplugging: the device goes away with everything on it.
    ~PtyStation() {
        stop_ = true;
        pump_.join();
        ::close(master_);
    }
    const std::string& path() const { return path_; }

private:
    void Pump() {
        SystemClock& clock = SystemClock::Instance();
        uint8_t buf[512];
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0) continue;
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) continue;  // nobody has the device open
            sim::LineOutput out;
            line_.Receive(std::span<const uint8_t>(buf, static_cast<size_t>(n)), {clock.MonotonicMs(), clock.Now()},
                          out);
            for (const auto& t : out.transmissions) {
                if (::write(master_, t.octets.data(), t.octets.size()) < 0) break;
            }
        }
    }

    sim::Line line_;
    int master_ = -1;
    std::string path_;
    std::atomic<bool> stop_{false};
    std::thread pump_;
};

class SerialUnplug : public ::testing::Test {
protected:
    SerialUnplug() {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        thread_.Port = device_.string();
        thread_.Kol_Devices_In_Thread = 1;
        T_KP_thred& row = thread_.dev_Thread[1];
        row.NameKP = "КП5";
        row.IecDeviceVV.LinkAddress = 5;
        row.IecDeviceVV.BaudRate = 9600;
        row.IecDeviceVV.Parity = "N";
        row.IecDeviceVV.Interval_opros_100 = 5;
        row.IecDeviceVV.opros_na_ustr = 3;
        row.IecDeviceVV.Retries = 3;
        TTagSignal s;
        s.SetParam_2(5, 5, 0, TagCategoryList().GetPtc(1), "P", 100);
        thread_.TagSignalList2.AddTag(s);
        thread_.SetPauser(pauser_);
        thread_.Log().SetTap([this](const std::string& l) { log_.push_back(l); });
    }
    ~SerialUnplug() override { fs::remove_all(dir_); }

    void PlugIn(const PtyStation& station) {
        fs::remove(device_);
        fs::create_symlink(station.path(), device_);
    }
    int Lines(const std::string& needle) const {
        int n = 0;
        for (const auto& l : log_) n += l.find(needle) != std::string::npos;
        return n;
    }
    double Value() { return thread_.TagSignalList2.FindTag(5, 5, 100)->GetArmValue().real; }

    fs::path dir_ = fs::temp_directory_path() / ("serial_unplug_" + std::to_string(::getpid()));
    fs::path device_ = dir_ / "ttyUSB0";
    ManualClock clock_{DateTime::Compose({2026, 3, 5, 10, 0, 0})};
    ClockPauser pauser_{clock_};
    std::atomic<int> t230_{10};
    RedundancyState redundancy_;
    PollingContext ctx_{clock_, {}, true, t230_, redundancy_};
    TOpros_device thread_{1, ctx_};
    std::vector<std::string> log_;
};

TEST_F(SerialUnplug, TheLineComesBackAfterTheAdapterIsPluggedInAgain) {
    const char* config = "station 5\npoint M_ME_NB:100=111\n";
    auto station = std::make_unique<PtyStation>(config);
    PlugIn(*station);
    thread_.Prepare();
    thread_.InitDueTimes();
    clock_.AdvanceMs(20);
    for (int k = 0; k < 6 && (thread_.Alarms(1) || Value() != 111.0); ++k) thread_.PollCycle();
    ASSERT_FALSE(thread_.Alarms(1));
    ASSERT_DOUBLE_EQ(Value(), 111.0);

    // Unplugged: the device and its path are gone.
    station.reset();
    fs::remove(device_);
    const int64_t clock_before = clock_.MonotonicMs();
    const auto real_before = std::chrono::steady_clock::now();
    const size_t lines_before = log_.size();
    constexpr int kCycles = 30;
    for (int k = 0; k < kCycles; ++k) thread_.PollCycle();
    const auto real = std::chrono::steady_clock::now() - real_before;
    EXPECT_TRUE(thread_.Alarms(1));
    // One line when the device is lost, none for each attempt to open it again.
    EXPECT_EQ(Lines(" потерян "), 1);
    EXPECT_EQ(Lines(" не открыт"), 0);
    // Every attempt to open waits its second: the thread does not spin while the device is away.
    EXPECT_GE(clock_.MonotonicMs() - clock_before, kCycles * 1000);
    EXPECT_LT(real, std::chrono::seconds(5));
    EXPECT_LT(log_.size() - lines_before, 10u);

    // Plugged in again at the same path (a new device behind it, as the kernel makes one).
    station = std::make_unique<PtyStation>("station 5\npoint M_ME_NB:100=222\n");
    PlugIn(*station);
    for (int k = 0; k < 6 && (thread_.Alarms(1) || Value() != 222.0); ++k) thread_.PollCycle();
    EXPECT_EQ(Lines(" открыт снова"), 1);
    EXPECT_FALSE(thread_.Alarms(1));
    EXPECT_DOUBLE_EQ(Value(), 222.0);
    thread_.Terminate();
}

}  // namespace
}  // namespace iec::test
