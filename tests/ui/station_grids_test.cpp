#include "ui/station_grids.h"

#include <gtest/gtest.h>

#include <vector>

namespace iec {
namespace {

// Signals and stations as a test sets them.
class FakeSignals : public WebDataSource {
public:
    int StationCount() const override { return static_cast<int>(stations.size()); }
    std::optional<WebStation> Station(int n) const override {
        if (n < 1 || n > StationCount()) return std::nullopt;
        return stations[static_cast<size_t>(n) - 1];
    }
    void ForEachSignal(const std::function<void(const WebSignal&)>& visit) const override {
        for (const WebSignal& s : signals) visit(s);
    }
    void SetSaveObmen(bool) override {}
    std::filesystem::path ProgramFolder() const override { return {}; }
    std::string TransferPassword() const override { return {}; }

    std::vector<WebStation> stations;
    std::vector<WebSignal> signals;
};

WebSignal Signal(int station, SignalType type, const std::string& name, int ioa) {
    WebSignal s;
    s.Name = name;
    s.FsstID = 1000 + station;
    s.Fst = type;
    s.FSigASDUAddr = 7;
    s.FSigObjAddr = ioa;
    return s;
}

StationTable Stations() {
    StationTable t;
    t.Kol_KP = 2;
    for (int i = 1; i <= 2; ++i) {
        T_KP& kp = t.KP_arr[static_cast<size_t>(i)];
        kp.NameKP = "KP" + std::to_string(i);
        for (int j = 1; j <= i + 1; ++j) {
            T_TS& ts = kp.AddTS();
            ts.NameTS = "TS" + std::to_string(j);
            ts.AdrASDU = 7;
            ts.AdrIOA = j;
        }
        T_TI& ti = kp.AddTI();
        ti.NameTI = "TI1";
        ti.AdrASDU = 7;
        ti.AdrIOA = 100;
    }
    // Tag numbers as a polling start numbers them: KP1 branch 1, TS 2-3, TI 4, Connected 5; KP2 branch 6, ...
    t.KP_arr[1].Nom_OPC_TS = 2;
    t.KP_arr[1].Nom_OPC_TI = 4;
    t.KP_arr[2].Nom_OPC_TS = 7;
    t.KP_arr[2].Nom_OPC_TI = 10;
    return t;
}

TEST(StationGrids, LayoutOfAStation) {
    const StationTable t = Stations();
    StationGrids g;
    LayOutGrids(g, t, 2);
    EXPECT_EQ(g.Grid_KP_Nomer, 2);
    ASSERT_EQ(g.status.Rows(), 3 + 3);
    ASSERT_EQ(g.status.Columns(), 6);
    ASSERT_EQ(g.measured.Rows(), 1 + 2);
    ASSERT_EQ(g.measured.Columns(), 7);
    EXPECT_EQ(g.status.At(0, 0), "");
    EXPECT_EQ(g.status.At(0, 1), "Название");
    EXPECT_EQ(g.status.At(0, 5), "Время");
    EXPECT_EQ(g.measured.At(0, 3), "Значение (физ.)");
    EXPECT_EQ(g.measured.At(0, 5), "Значение (инж.)");
    EXPECT_EQ(g.measured.At(0, 6), "Время");
    EXPECT_EQ(g.status.At(1, 1), "Связь с устройством");
    EXPECT_EQ(g.status.At(1, 3), "");
    EXPECT_EQ(g.status.At(2, 1), "TS1");
    EXPECT_EQ(g.status.At(4, 1), "TS3");
    EXPECT_EQ(g.status.At(4, 2), "7,3");
    EXPECT_EQ(g.status.At(5, 1), "");
    EXPECT_EQ(g.measured.At(1, 1), "TI1");
    EXPECT_EQ(g.measured.At(1, 2), "7,100");

    // Laying out again clears what was there; no station leaves bare headers.
    g.status.Set(2, 3, "1");
    LayOutGrids(g, t, 1);
    EXPECT_EQ(g.status.Rows(), 5);
    EXPECT_EQ(g.status.At(2, 3), "");
    LayOutGrids(g, t, 3);
    EXPECT_EQ(g.Grid_KP_Nomer, 0);
    EXPECT_EQ(g.status.Rows(), 3);
    EXPECT_EQ(g.status.At(0, 1), "Название");
    EXPECT_EQ(g.status.At(1, 1), "");
}

TEST(StationGrids, ValuesOfTheStationsOwnSignals) {
    const StationTable t = Stations();
    FakeSignals src;
    WebStation s1;
    s1.NameKP = "KP1";
    s1.Connected = true;
    s1.Popravka_Time = 2;
    s1.PereschetTI = true;
    src.stations = {s1, WebStation{}};
    WebSignal other = Signal(2, stTS, "TS of KP2", 1);
    other.value = 1;
    WebSignal a = Signal(1, stTS, "TS1", 1);
    a.value = 1;
    a.quality = 0;
    a.time = DateTime::Compose({2026, 3, 1, 10, 0, 5, 250});
    WebSignal never = Signal(1, stTS, "TS2", 2);  // never received: quality 255, no time
    WebSignal m = Signal(1, stTIT, "TI1", 100);
    m.real = 2000.7;
    m.quality = 1;
    m.time = DateTime::Compose({2026, 3, 1, 23, 30, 0, 0});
    m.RawToEng = [](double x) { return x / 40; };
    src.signals = {other, a, never, m};
    TagTable tags;
    RedundancyState redundancy;

    StationGrids g;
    LayOutGrids(g, t, 1);
    FillGrids(g, {t, src, tags, redundancy});
    EXPECT_EQ(g.status.At(1, 3), "Есть");
    EXPECT_EQ(g.status.At(2, 1), "TS1");
    EXPECT_EQ(g.status.At(2, 2), "7,1");
    EXPECT_EQ(g.status.At(2, 3), "1");
    EXPECT_EQ(g.status.At(2, 4), "0");
    EXPECT_EQ(g.status.At(2, 5), "01.03.2026 12:00:05.250");  // the station's time plus 2 hours
    EXPECT_EQ(g.status.At(3, 3), "0");
    EXPECT_EQ(g.status.At(3, 4), "255");
    EXPECT_EQ(g.status.At(3, 5), "");
    EXPECT_EQ(g.measured.At(1, 3), "2000.7");
    EXPECT_EQ(g.measured.At(1, 4), "1");
    EXPECT_EQ(g.measured.At(1, 5), "50");  // whole counts through the range
    EXPECT_EQ(g.measured.At(1, 6), "02.03.2026 01:30:00.000");

    // The link drops; without rescaling the engineering column shows the value itself.
    src.stations[0].Connected = false;
    src.stations[0].PereschetTI = false;
    FillGrids(g, {t, src, tags, redundancy});
    EXPECT_EQ(g.status.At(1, 3), "Нет");
    EXPECT_EQ(g.measured.At(1, 5), "2000.7");
}

TEST(StationGrids, AReserveWithAWorkingMainShowsTheTagTable) {
    const StationTable t = Stations();
    FakeSignals src;
    src.stations = {WebStation{}, WebStation{}};
    WebSignal polled = Signal(2, stTS, "TS1", 1);
    polled.value = 0;
    src.signals = {polled};
    TagTable tags;
    const DateTime stamp = DateTime::Compose({2026, 1, 2, 3, 4, 5, 6});
    tags.Write([&](std::vector<TIndent>& slots, std::vector<double>& values, int&) {
        // KP2: TS 7, 8, 9; TI 10.
        values[7] = 1;
        slots[7].Quality = 192;
        slots[7].Stamp_DateTime = stamp;
        values[8] = 0;
        slots[8].Quality = 0;
        values[9] = 1;
        slots[9].Quality = 5;  // no word for it
        values[10] = 12.5;
        slots[10].Quality = 216;
        slots[10].Stamp_DateTime = stamp;
    });
    RedundancyState redundancy;
    redundancy.Use_Reserv = true;
    redundancy.Role_reserv = 1;
    redundancy.Main_server_is_Work = true;

    StationGrids g;
    LayOutGrids(g, t, 2);
    g.status.Set(4, 4, "earlier");
    FillGrids(g, {t, src, tags, redundancy});
    EXPECT_EQ(g.status.At(2, 3), "1");
    EXPECT_EQ(g.status.At(2, 4), "QUALITY_GOOD");
    EXPECT_EQ(g.status.At(2, 5), "02.01.2026 03:04:05.006");
    EXPECT_EQ(g.status.At(3, 4), "QUALITY_BAD");
    EXPECT_EQ(g.status.At(4, 3), "1");
    EXPECT_EQ(g.status.At(4, 4), "earlier");  // an unnamed quality leaves the cell
    EXPECT_EQ(g.status.At(1, 3), "");         // the link row is the main's business
    EXPECT_EQ(g.measured.At(1, 3), "");
    EXPECT_EQ(g.measured.At(1, 4), "_LOCAL_OVERRIDE");
    EXPECT_EQ(g.measured.At(1, 5), "12.5");
    EXPECT_EQ(g.measured.At(1, 6), "02.01.2026 03:04:05.006");

    // Once the main is lost the reserve shows its own polling again.
    redundancy.Main_server_is_Work = false;
    LayOutGrids(g, t, 2);
    FillGrids(g, {t, src, tags, redundancy});
    EXPECT_EQ(g.status.At(2, 3), "0");
    EXPECT_EQ(g.status.At(2, 4), "255");
    EXPECT_EQ(g.status.At(1, 3), "Нет");
}

TEST(StationGrids, QualityWords) {
    EXPECT_STREQ(QualityWord(0), "QUALITY_BAD");
    EXPECT_STREQ(QualityWord(192), "QUALITY_GOOD");
    EXPECT_STREQ(QualityWord(20), "_LAST_KNOWN");
    EXPECT_STREQ(QualityWord(216), "_LOCAL_OVERRIDE");
    EXPECT_STREQ(QualityWord(28), "_OUT_OF_SERVICE");
    EXPECT_STREQ(QualityWord(1), "");
}

TEST(StationGrids, MoreSignalsThanRowsStayInsideTheGrid) {
    const StationTable t = Stations();
    FakeSignals src;
    src.stations = {WebStation{}};
    for (int i = 0; i < 50; ++i) src.signals.push_back(Signal(1, i % 2 ? stTS : stTIT, "S", i));
    TagTable tags;
    RedundancyState redundancy;
    StationGrids g;
    LayOutGrids(g, t, 1);
    FillGrids(g, {t, src, tags, redundancy});
    EXPECT_EQ(g.status.Rows(), 5);
    EXPECT_EQ(g.measured.Rows(), 3);
    EXPECT_EQ(g.status.At(4, 1), "S");
}

}  // namespace
}  // namespace iec
