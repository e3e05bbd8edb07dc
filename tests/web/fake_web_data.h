// A WebDataSource over plain vectors, for the tests, the fuzz target and the benchmark. Readers may call it from
// several threads while nothing changes it.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "web/web_data.h"

namespace iec::test {

class FakeWebData : public WebDataSource {
public:
    std::vector<WebStation> stations;  // station n is stations[n - 1]
    std::vector<WebSignal> signals;
    int selected = 0;
    std::filesystem::path folder;
    std::string password;
    std::atomic<int> save_obmen{-1};  // -1: never switched

    FakeWebData() = default;
    FakeWebData(const FakeWebData& o)
        : stations(o.stations), signals(o.signals), selected(o.selected), folder(o.folder), password(o.password),
          save_obmen(o.save_obmen.load()) {}
    FakeWebData& operator=(const FakeWebData&) = delete;

    // Station number n (from 1) named name, connected, with the given counts.
    WebStation& AddStation(const std::string& name, bool connected = true) {
        WebStation s;
        s.NameKP = name;
        s.Connected = connected;
        s.IecDeviceVV.Name = name;
        stations.push_back(std::move(s));
        return stations.back();
    }

    WebSignal& AddSignal(int station, SignalType type, const std::string& name, int ioa) {
        WebSignal s;
        s.Name = name;
        s.FsstID = 1000 + station;
        s.Fst = type;
        s.FSigASDUAddr = station;
        s.FSigObjAddr = ioa;
        signals.push_back(std::move(s));
        return signals.back();
    }

    int StationCount() const override { return static_cast<int>(stations.size()); }
    std::optional<WebStation> Station(int number) const override {
        if (number < 1 || number > StationCount()) return std::nullopt;
        return stations[static_cast<size_t>(number - 1)];
    }
    void ForEachSignal(const std::function<void(const WebSignal&)>& visit) const override {
        for (const WebSignal& s : signals) visit(s);
    }
    int Sel_KP_Index() const override { return selected; }
    void SetSaveObmen(bool on) override { save_obmen = on ? 1 : 0; }
    std::filesystem::path ProgramFolder() const override { return folder; }
    std::string TransferPassword() const override { return password; }
};

}  // namespace iec::test
