// The web pages' view of a running server: its station table, the signals of its polling threads and its switches.
#pragma once

#include "model/runtime.h"
#include "web/web_data.h"

namespace iec {

class RuntimeWebData final : public WebDataSource {
public:
    explicit RuntimeWebData(Runtime& rt) : rt_(rt) {}

    int StationCount() const override { return rt_.stations.Kol_KP; }
    std::optional<WebStation> Station(int number) const override;
    void ForEachSignal(const std::function<void(const WebSignal&)>& visit) const override;
    int Sel_KP_Index() const override { return rt_.Sel_KP_Index.load(); }
    void SetSaveObmen(bool on) override { rt_.Save_Obmen_v_File_live = on; }
    std::filesystem::path ProgramFolder() const override { return rt_.ProgramFolder; }
    std::string TransferPassword() const override;

private:
    Runtime& rt_;
};

}  // namespace iec
