// The publication pass: values, qualities, time stamps, scaling, link state and change lines in the tag table.
#include <gtest/gtest.h>

#include <filesystem>

#include "iec101/polling_thread.h"
#include "iec101/type_ident.h"
#include "server/polling_switch.h"
#include "server/publication.h"
#include "model/station_file.h"

namespace iec {
namespace {

namespace fs = std::filesystem;

TEST(Publication, QualityOfTheDescriptor) {
    EXPECT_EQ(OpcQuality(0x00), 192);
    EXPECT_EQ(OpcQuality(0x01), 192);  // overflow does not change the quality
    EXPECT_EQ(OpcQuality(0x81), 0);
    EXPECT_EQ(OpcQuality(0x41), 20);
    EXPECT_EQ(OpcQuality(0x21), 216);
    EXPECT_EQ(OpcQuality(0x11), 28);
    EXPECT_EQ(OpcQuality(0xC0), 0);  // IV wins
    EXPECT_EQ(OpcQuality(255), 0);   // never received
}

TEST(Publication, TimeStampRule) {
    const DateTime now = DateTime::Compose({2026, 3, 5, 12});
    T_KP kp;
    kp.Time_To_OPC = true;
    kp.Popravka_Time = 3;
    const DateTime tag = now - 3 * DateTime::kOneHour + DateTime::kOneMinute;
    EXPECT_NEAR(PublishedStamp(kp, tag, now).days(), (tag + 3 * DateTime::kOneHour).days(), 1e-9);
    EXPECT_EQ(PublishedStamp(kp, now - 5 * DateTime::kOneHour - 3 * DateTime::kOneHour, now), now);
    EXPECT_EQ(PublishedStamp(kp, DateTime(), now), now);  // no source time
    kp.Popravka_Time = 0;
    EXPECT_EQ(PublishedStamp(kp, now - 5 * DateTime::kOneHour, now), now);  // five hours old
    kp.Time_To_OPC = false;
    EXPECT_EQ(PublishedStamp(kp, now - DateTime::kOneMinute, now), now);
}

class PublicationPass : public ::testing::Test {
protected:
    static fs::path MakeDir() {
        fs::path dir = fs::temp_directory_path() /
                       ("publication_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        return dir;
    }
    PublicationPass() {
        StationTable t;
        OpcUaSettings ua;
        t.Kol_KP = 2;
        T_KP& a = t.KP_arr[1];
        a.NameKP = "A";
        a.PereschetTI = true;
        a.IecDeviceVV.ComPort = "COM1";
        a.IecDeviceVV.LinkAddress = 1;
        T_TS& s = a.AddTS();
        s.NameTS = "S";
        s.AdrASDU = 1;
        s.AdrIOA = 1;
        T_TI& m = a.AddTI();
        m.NameTI = "M";
        m.AdrASDU = 1;
        m.AdrIOA = 100;
        m.Min_TM_Diap = 0;
        m.Max_TM_Diap = 4000;
        m.Min_Eng_Diap = 0;
        m.Max_Eng_Diap = 100;
        T_KP& b = t.KP_arr[2];  // no status signals at all
        b.NameKP = "B";
        b.IecDeviceVV.ComPort = "COM1";
        b.IecDeviceVV.LinkAddress = 2;
        T_TI& mb = b.AddTI();
        mb.NameTI = "M";
        mb.AdrASDU = 2;
        mb.AdrIOA = 100;
        EXPECT_EQ(Write_Config(t, ua, 10, dir_ / kStationFileName, dir_), "");
        EXPECT_TRUE(Start_Opros(rt_, false).started);
        thread_ = rt_.Threads_arr[1].get();
        auto line = std::make_unique<SingleCharLine>();
        line_ = line.get();
        thread_->SetLine(std::move(line));
        thread_->Prepare();
    }
    // A line on which every station answers with the single control character, or nothing while silent: enough
    // for a station's link to count as up or down.
    struct SingleCharLine : StationLine {
        void WritePort(std::string_view) override {}
        std::string ReadPort() override { return silent ? std::string() : std::string("\xE5"); }
        bool silent = false;
    };
    // Turns of both stations until their answers (or silence) count.
    void PollStations() {
        for (int n = 1; n <= 2; ++n) {
            for (int k = 0; k < 2; ++k) {
                thread_->Tekush_Nomer = n;
                thread_->OprosDevice(*thread_->Device(n));
            }
        }
    }
    ~PublicationPass() override {
        Stop_Opros(rt_);
        fs::remove_all(dir_);
    }
    TTagSignal& Sig(int link, int obj) { return *thread_->TagSignalList2.FindTag(link, link, obj); }
    TagSlot Slot(int tag) {
        TagSlot s;
        EXPECT_TRUE(rt_.tags.Read(tag, s));
        return s;
    }
    void SinglePoint(uint8_t siq) {
        const uint8_t data[] = {siq};
        Sig(1, 1).ChangeTS(*TypeIdentList().FindTypeIdent(1), data, 0, DateTime(), 0, 0);
    }
    void Scaled(int16_t raw, int link = 1) {
        const uint8_t data[] = {static_cast<uint8_t>(raw & 0xFF), static_cast<uint8_t>((raw >> 8) & 0xFF), 0};
        Sig(link, 100).ChangeVal(*TypeIdentList().FindTypeIdent(11), data, 0, DateTime());
    }

    fs::path dir_ = MakeDir();
    ManualClock clock_{DateTime::Compose({2026, 3, 5, 12})};
    Runtime rt_{clock_, dir_};
    TOpros_device* thread_ = nullptr;
    SingleCharLine* line_ = nullptr;
};

TEST_F(PublicationPass, ValuesQualitiesAndScaling) {
    // A: branch 1, TS 2, TIT 3, Connected 4; B: branch 5, TIT 6, Connected 7.
    PollStations();
    Out_Tags_To_OPC(rt_);
    EXPECT_EQ(Slot(2).tag.Quality, 0);  // never received
    EXPECT_EQ(Slot(2).tag.Stamp_DateTime, clock_.Now());
    for (const auto& [siq, quality] : std::vector<std::pair<uint8_t, int>>{
             {0x01, 192}, {0x81, 0}, {0x41, 20}, {0x21, 216}, {0x11, 28}}) {
        SinglePoint(siq);
        Out_Tags_To_OPC(rt_);
        EXPECT_EQ(Slot(2).value, 1.0);
        EXPECT_EQ(Slot(2).tag.Quality, quality) << int(siq);
    }
    Scaled(2000);
    Scaled(2000, 2);
    Out_Tags_To_OPC(rt_);
    EXPECT_DOUBLE_EQ(Slot(3).value, 50.0);    // A scales 0..4000 to 0..100
    EXPECT_DOUBLE_EQ(Slot(6).value, 2000.0);  // B does not scale
}

TEST_F(PublicationPass, LinkStateOfEveryStationAndChangeLines) {
    rt_.redundancy.Use_Reserv = true;
    // As if both stations had been connected in an earlier pass.
    rt_.tags.Write([](std::vector<TIndent>&, std::vector<double>& values, int&) { values[4] = values[7] = 1.0; });
    SinglePoint(0x01);
    Out_Tags_To_OPC(rt_);
    // Before a station has answered it does not count as connected, with or without status signals.
    EXPECT_EQ(Slot(4).value, 0.0);
    EXPECT_EQ(Slot(7).value, 0.0);
    EXPECT_EQ(Slot(4).tag.Quality, 192);
    EXPECT_FALSE(rt_.stations.Station(1)->Connected);
    std::lock_guard lock(rt_.Rezerv_Send_Buf_mutex);
    const std::string& lines = rt_.Rezerv_Send_Buf;
    const std::string stamp = clock_.Now().FormatDisplay();
    EXPECT_NE(lines.find("4,0,192," + stamp + ",A.Connected\r\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find("7,0,192," + stamp + ",B.Connected\r\n"), std::string::npos) << lines;
    // A value while its station is not connected is the last one received, not a current one.
    EXPECT_NE(lines.find("2,1,68," + stamp + ",A.S\r\n"), std::string::npos) << lines;
}

TEST_F(PublicationPass, IdleReservePublishesNothing) {
    rt_.redundancy.Use_Reserv = true;
    rt_.redundancy.Role_reserv = 1;
    rt_.redundancy.Main_server_is_Work = true;
    SinglePoint(0x01);
    Out_Tags_To_OPC(rt_);
    EXPECT_EQ(Slot(2).tag.Quality, 5);  // as the polling start left it
    EXPECT_EQ(Slot(2).value, 0.0);
}

// Keeps what a pass hands to the OPC UA server.
class RecordingOutlet : public OpcUaOutlet {
public:
    BuildResult Build(Runtime&) override { return {}; }
    void Stop(Runtime&) override {}
    void Publish(const std::vector<UaUpdate>& u, LocalNow now) override {
        updates = u;
        published_at = now.local;
    }
    const UaUpdate* Find(int tag) const {
        for (const auto& u : updates) {
            if (u.tag == tag) return &u;
        }
        return nullptr;
    }
    std::vector<UaUpdate> updates;
    DateTime published_at;
};

TEST_F(PublicationPass, OpcUaServerGetsEverySlotWithTheSignalsOwnQuality) {
    auto outlet = std::make_shared<RecordingOutlet>();
    rt_.opc_ua_server = outlet;
    Out_Tags_To_OPC(rt_);
    EXPECT_TRUE(outlet->updates.empty()) << "nothing while the server is not running";

    rt_.opc_ua.OPC_UA_use = true;
    rt_.OPC_UA_Started = true;
    PollStations();
    SinglePoint(0x01);
    const uint8_t overflow[] = {0xD0, 0x07, 0x01};  // 2000 with the overflow bit
    Sig(1, 100).ChangeVal(*TypeIdentList().FindTypeIdent(11), overflow, 0, DateTime());
    Out_Tags_To_OPC(rt_);
    EXPECT_EQ(outlet->published_at, clock_.Now());
    ASSERT_EQ(outlet->updates.size(), 5u);  // two links, A's TS and TIT, B's TIT
    const UaUpdate* ts = outlet->Find(2);
    ASSERT_NE(ts, nullptr);
    EXPECT_EQ(ts->kind, UaUpdate::Kind::Status);
    EXPECT_EQ(ts->value, 1.0);
    EXPECT_EQ(ts->quality, 0);
    EXPECT_EQ(ts->stamp, Slot(2).tag.Stamp_DateTime);
    const UaUpdate* tit = outlet->Find(3);
    ASSERT_NE(tit, nullptr);
    EXPECT_EQ(tit->kind, UaUpdate::Kind::Measured);
    EXPECT_DOUBLE_EQ(tit->value, 50.0);  // the published, scaled value
    EXPECT_EQ(tit->quality, 0x01);       // good for OPC DA, bad for OPC UA
    EXPECT_EQ(Slot(3).tag.Quality, 192);
    const UaUpdate* never = outlet->Find(6);
    ASSERT_NE(never, nullptr);
    EXPECT_NE(never->quality, 0);
    const UaUpdate* link = outlet->Find(7);  // B has no status signals; its link is published all the same
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->kind, UaUpdate::Kind::Link);
    EXPECT_EQ(link->value, 1.0);
}

TEST_F(PublicationPass, ValuesOfAStationWhoseLinkIsDownKeepValueAndTimeWithTheQualityOfLostLink) {
    auto outlet = std::make_shared<RecordingOutlet>();
    rt_.opc_ua_server = outlet;
    rt_.opc_ua.OPC_UA_use = true;
    rt_.OPC_UA_Started = true;
    PollStations();
    SinglePoint(0x01);
    Scaled(2000);
    Out_Tags_To_OPC(rt_);
    const DateTime received = clock_.Now();
    EXPECT_EQ(Slot(4).value, 1.0);
    EXPECT_EQ(Slot(2).tag.Quality, 192);
    EXPECT_EQ(Slot(2).tag.Stamp_DateTime, received);
    EXPECT_FALSE(outlet->Find(2)->link_lost);

    line_->silent = true;
    PollStations();
    clock_.AdvanceMs(60000);
    Out_Tags_To_OPC(rt_);
    EXPECT_EQ(Slot(4).value, 0.0);
    for (int tag : {2, 3}) {
        EXPECT_EQ(Slot(tag).tag.Quality, kOpcQualityLinkLost) << tag;
        EXPECT_EQ(Slot(tag).tag.Stamp_DateTime, received) << "the time of the value, not of the pass";
        EXPECT_TRUE(outlet->Find(tag)->link_lost);
        EXPECT_EQ(outlet->Find(tag)->stamp, received);
    }
    EXPECT_EQ(Slot(2).value, 1.0);
    EXPECT_DOUBLE_EQ(Slot(3).value, 50.0);
    EXPECT_EQ(Slot(6).tag.Quality, 0) << "never received: bad, not last usable";
    EXPECT_FALSE(outlet->Find(6)->link_lost);

    line_->silent = false;
    PollStations();
    Out_Tags_To_OPC(rt_);
    EXPECT_EQ(Slot(2).tag.Quality, 192);
    EXPECT_EQ(Slot(2).tag.Stamp_DateTime, clock_.Now());
    EXPECT_FALSE(outlet->Find(2)->link_lost);
}

}  // namespace
}  // namespace iec
