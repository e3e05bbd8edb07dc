#include "ui/main_window.h"

#include "model/station_file.h"
#include "platform/ini_file.h"
#include "server/polling_switch.h"
#include "server/publication.h"
#include "ui/signal_csv.h"

namespace iec {
namespace {

constexpr size_t kErrorsShown = 10;

}  // namespace

MainWindowLogic::MainWindowLogic(Runtime& rt, MainWindowView& view, MainWindowServices services)
    : rt_(rt), view_(view), services_(services), device_dialog_(rt.Config_Mode) {
    model_.transfer_commands = services_.transfer != nullptr;
    model_.redundancy_commands = services_.redundancy != nullptr;
}

void MainWindowLogic::FormCreate() {
    const StartUpOutcome start = StartUp(rt_);
    device_dialog_ = DeviceDialog(rt_.Config_Mode);
    model_.status_line = PathText(rt_.ProgramFolder);
    Refresh_ListBox();
    if (rt_.Config_Mode) {
        model_.window_visible = true;
    } else {
        model_.window_visible = false;
        model_.tray_icon = true;
        model_.restore_enabled = true;
        model_.hide_enabled = false;
    }
    Render();
    ShowConfigErrors(start.config);
    if (start.start_polling) Begin_Opros();
    Render();
}

int MainWindowLogic::SelectedStation() const {
    const int line = model_.list_selection;
    return line >= 0 && line < rt_.stations.Kol_KP ? line + 1 : 0;
}

void MainWindowLogic::Refresh_ListBox() {
    model_.stations.clear();
    for (int i = 1; i <= rt_.stations.Kol_KP; ++i) model_.stations.push_back(rt_.stations.Station(i)->NameKP);
    model_.list_selection = -1;
    ++table_revision_;
    // The grids stay with the chosen station while it exists, else go back to the first.
    if (rt_.Sel_KP_Index >= rt_.stations.Kol_KP) rt_.Sel_KP_Index = 0;
    ListBox_Click(rt_.Sel_KP_Index + 1);
}

void MainWindowLogic::ListBox_Click(int station) { LayOutGrids(model_.grids, rt_.stations, station); }

void MainWindowLogic::OutStingGrigTsTit() {
    FillGrids(model_.grids, {rt_.stations, services_.signals, rt_.tags, rt_.redundancy});
}

void MainWindowLogic::Begin_Opros() {
    const bool on = rt_.Opros_On;
    const PollingStart result = iec::Begin_Opros(rt_);
    if (on && !result.started) {
        rt_.Opros_On = false;
        view_.ShowMessage(ui_text::kPollingRefused + result.refusal, MessageKind::Error);
    }
    const bool running = rt_.Opros_On;
    if (services_.companions) {
        if (running) {
            services_.companions->PollingStarted();
        } else {
            services_.companions->PollingStopped();
        }
    }
    model_.polling_caption = running ? ui_text::kStopPolling : ui_text::kStartPolling;
    model_.station_commands_enabled = !running;
    model_.polling_timers = running;
    // A start reads the station files again: the list shows what polls, and keeps the chosen station.
    Refresh_ListBox();
    if (rt_.Sel_KP_Index < rt_.stations.Kol_KP) model_.list_selection = rt_.Sel_KP_Index;
}

bool MainWindowLogic::RunDeviceDialog() {
    dialog_open_ = true;
    const bool ok = view_.RunDeviceDialog(device_dialog_);
    dialog_open_ = false;
    if (ok) StoreServerSettings(device_dialog_.ToSettings());
    return ok;
}

void MainWindowLogic::StoreServerSettings(const ServerSettings& settings) {
    rt_.settings = settings;
    rt_.Timeout_Merc230_live = settings.Timeout_Merc230;
    rt_.Save_Obmen_v_File_live = settings.Save_Obmen_v_File;
    const std::string error = WriteServerSettings(rt_.ProgramFolder / kSettingsFileName, settings);
    if (!error.empty()) view_.ShowMessage(ui_text::kNotSaved + error, MessageKind::Error);
}

bool MainWindowLogic::SaveStations() {
    const std::string error = Write_Config(rt_.stations, rt_.opc_ua, rt_.settings.Timeout_Merc230,
                                           rt_.StationFilePath(), rt_.ProgramFolder);
    if (error.empty()) return true;
    view_.ShowMessage(ui_text::kNotSaved + error, MessageKind::Error);
    return false;
}

void MainWindowLogic::StationsChanged() {
    SaveStations();
    Refresh_ListBox();
    Render();
}

void MainWindowLogic::AddStation(CommandOrigin origin) {
    if (EditsBlocked()) return;
    if (const std::string why = AddRefusal(rt_.stations, origin); !why.empty()) {
        view_.ShowMessage(why, MessageKind::Information);
        return;
    }
    const int revision = table_revision_;
    device_dialog_.BeforeShowOptionsUstr(rt_.stations.Kol_KP + 1, rt_.stations, rt_.settings);
    device_dialog_.PrepareNewStation(rt_.settings);
    if (!RunDeviceDialog()) return;
    if (revision != table_revision_) {
        view_.ShowMessage(ui_text::kTableChanged, MessageKind::Warning);
        return;
    }
    AppendStation(rt_.stations, device_dialog_.ToStation());
    StationsChanged();
}

void MainWindowLogic::ChangeStation() {
    const int n = SelectedStation();
    if (EditsBlocked() || n == 0) return;
    const int revision = table_revision_;
    device_dialog_.BeforeShowOptionsUstr(n, rt_.stations, rt_.settings);
    if (!RunDeviceDialog()) return;
    if (revision != table_revision_) {
        view_.ShowMessage(ui_text::kTableChanged, MessageKind::Warning);
        return;
    }
    ReplaceStation(rt_.stations, n, device_dialog_.ToStation());
    StationsChanged();
}

void MainWindowLogic::DeleteStation() {
    const int n = SelectedStation();
    if (EditsBlocked() || n == 0) return;
    Question q;
    q.caption = ui_text::kTitle;
    q.text = ui_text::kAskDelete;
    if (view_.Ask(q) != Answer::Yes) return;
    if (!iec::DeleteStation(rt_.stations, n)) return;
    StationsChanged();
}

void MainWindowLogic::CopyStation() {
    const int n = SelectedStation();
    if (EditsBlocked() || n == 0) return;
    if (const std::string why = CopyRefusal(rt_.stations); !why.empty()) {
        view_.ShowMessage(why, MessageKind::Information);
        return;
    }
    if (iec::CopyStation(rt_.stations, n, services_.random) == 0) return;
    StationsChanged();
}

void MainWindowLogic::TogglePolling() {
    if (dialog_open_) return;
    rt_.Opros_On = !rt_.Opros_On;
    Begin_Opros();
    Render();
    if (rt_.Opros_On) view_.ShowMessage(ui_text::kRestartAdvice, MessageKind::Information);
}

void MainWindowLogic::OpcUaSettings() {
    opcua_dialog_.Open(rt_.opc_ua);
    if (view_.RunOpcUaDialog(opcua_dialog_)) opcua_dialog_.Store(rt_.opc_ua);
    // Written whatever the answer: the port shown for 0 is kept.
    SaveStations();
}

void MainWindowLogic::DisconnectClients() {
    if (services_.server) services_.server->ShutDownClients(ui_text::kShutdownReason);
}

void MainWindowLogic::WriteRemoteConfig() {
    if (services_.transfer) services_.transfer->WriteToRemote();
}

void MainWindowLogic::ReadRemoteConfig() {
    if (!services_.transfer || !services_.transfer->ReadFromRemote()) return;
    // Running polling keeps the table it started with; the next start reads the new files.
    if (!rt_.Opros_On && !dialog_open_) ReloadStations();
}

void MainWindowLogic::ReloadStations() {
    ShowConfigErrors(Read_Config(rt_.stations, rt_.opc_ua, rt_.StationFilePath(), rt_.ProgramFolder));
    Refresh_ListBox();
    Render();
}

void MainWindowLogic::ShowConfigErrors(const ConfigReport& report) {
    if (!report.HasErrors()) return;
    std::string text = ui_text::kConfigErrors;
    size_t shown = 0;
    for (const ConfigProblem& p : report.problems) {
        if (p.severity != ConfigProblem::Severity::Error) continue;
        if (shown++ == kErrorsShown) {
            text += "\n...";
            break;
        }
        text += "\n" + p.ToString();
    }
    view_.ShowMessage(text, MessageKind::Error);
}

void MainWindowLogic::RegisterServer() {
    if (!services_.server) return;
    if (const std::string why = services_.server->Register(); !why.empty()) {
        view_.ShowMessage(ui_text::kRegistrationFailed + why, MessageKind::Error);
    }
}

void MainWindowLogic::UnregisterServer() {
    if (!services_.server) return;
    if (const std::string why = services_.server->Unregister(); !why.empty()) {
        view_.ShowMessage(ui_text::kRegistrationFailed + why, MessageKind::Error);
    }
}

void MainWindowLogic::SetTransferPassword() {
    const std::optional<std::string> password =
        view_.AskText(ui_text::kTransferPassword, ui_text::kTransferPassword);
    if (!password || password->empty()) return;
    const std::string error = IniFile(rt_.ProgramFolder / kSettingsFileName).WriteString("pwd", "pwd", *password);
    if (!error.empty()) view_.ShowMessage(ui_text::kNotSaved + error, MessageKind::Error);
}

void MainWindowLogic::RedundancySettings() {
    if (services_.redundancy) services_.redundancy->Settings();
}

void MainWindowLogic::RedundancyState() {
    if (services_.redundancy) services_.redundancy->ShowState();
}

void MainWindowLogic::Help() { view_.OpenDocument(rt_.ProgramFolder / std::filesystem::path(kHelpDocument)); }

void MainWindowLogic::About() { view_.ShowAbout(AboutBox(rt_.Config_Mode)); }

void MainWindowLogic::SelectStation(int line) {
    if (line < 0 || line >= rt_.stations.Kol_KP) return;
    model_.list_selection = line;
    rt_.Sel_KP_Index = line;
    ListBox_Click(line + 1);
    if (rt_.Opros_On) OutStingGrigTsTit();
    Render();
}

void MainWindowLogic::TrayClick() { view_.ShowTrayMenu(); }

void MainWindowLogic::TrayDoubleClick() { Restore(); }

void MainWindowLogic::Restore() {
    model_.window_visible = true;
    model_.tray_icon = false;
    model_.restore_enabled = false;
    model_.hide_enabled = !rt_.Config_Mode;
    Render();
}

void MainWindowLogic::Hide() {
    if (rt_.Config_Mode) return;
    model_.window_visible = false;
    model_.tray_icon = true;
    model_.hide_enabled = false;
    model_.restore_enabled = true;
    Render();
}

bool MainWindowLogic::Minimise() {
    if (rt_.Config_Mode) return false;
    Hide();
    return true;
}

void MainWindowLogic::Exit() {
    if (services_.server) {
        services_.server->ShutDownClients(ui_text::kShutdownReason);
        if (services_.server->LiveObjects() > 0) {
            Question q;
            q.caption = ui_text::kComWarningCaption;
            q.text = ui_text::kComWarning;
            q.cancel_button = false;
            q.preselected = Answer::No;
            if (view_.Ask(q) != Answer::Yes) return;
        }
    }
    if (rt_.Opros_On) {
        rt_.Opros_On = false;
        Begin_Opros();
    }
    model_.window_visible = false;
    model_.tray_icon = false;
    Render();
    view_.Quit();
}

void MainWindowLogic::Timer500() {
    if (services_.server) {
        model_.clients = services_.server->ClientCount();
        model_.groups = services_.server->GroupCount();
    }
    std::string lines;
    {
        std::lock_guard lock(rt_.Rezerv_Send_Buf_mutex);
        lines.swap(rt_.Rezerv_Send_Buf);
    }
    if (services_.reserve) services_.reserve->Send_To_Reserv(lines);
    Render();
}

void MainWindowLogic::Timer200() {
    if (rt_.Opros_On) Out_Tags_To_OPC(rt_);
}

void MainWindowLogic::Timer1000() {
    if (!rt_.Opros_On) return;
    OutStingGrigTsTit();
    Render();
}

}  // namespace iec
