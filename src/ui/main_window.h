// The main window's logic (TOPCForm without its controls): the start-up of the window, the station commands with
// their refusals, the polling switch and what it enables, the grids, the timers' work, the tray states and the
// server commands. It changes the station table only while polling is stopped and no station dialog is open, and
// saves the station files after every change.
#pragma once

#include "model/runtime.h"
#include "ui/device_dialog.h"
#include "ui/main_window_services.h"
#include "ui/main_window_view.h"
#include "ui/opcua_dialog.h"

namespace iec {

// The operator's help in the program folder.
inline constexpr const char8_t* kHelpDocument = u8"OPC-сервер МЭК 60870-5-101.html";

class MainWindowLogic final : public MainWindowActions {
public:
    MainWindowLogic(Runtime& rt, MainWindowView& view, MainWindowServices services);
    MainWindowLogic(const MainWindowLogic&) = delete;
    MainWindowLogic& operator=(const MainWindowLogic&) = delete;

    // The window's start-up: settings and station files (the runtime's start-up), the list, the window hidden
    // with a tray icon (shown, without icon, in configurator mode), then polling when stations are configured.
    void FormCreate();

    const MainWindowModel& Model() const { return model_; }
    DeviceDialog& DeviceDialogObject() { return device_dialog_; }

    // For the other parts of the program: the list rebuilt from the station table (its selection cleared), the
    // grids laid out for a station, the grids filled, polling applied as Opros_On says.
    void Refresh_ListBox();
    void ListBox_Click(int station);
    void OutStingGrigTsTit();
    void Begin_Opros();

    void AddStation(CommandOrigin origin) override;
    void ChangeStation() override;
    void DeleteStation() override;
    void CopyStation() override;
    void TogglePolling() override;
    void OpcUaSettings() override;
    void DisconnectClients() override;
    void WriteRemoteConfig() override;
    void ReadRemoteConfig() override;
    void RegisterServer() override;
    void UnregisterServer() override;
    void SetTransferPassword() override;
    void RedundancySettings() override;
    void RedundancyState() override;
    void Help() override;
    void About() override;
    void SelectStation(int line) override;
    void TrayClick() override;
    void TrayDoubleClick() override;
    void Restore() override;
    void Hide() override;
    bool Minimise() override;
    void Exit() override;
    void Timer500() override;
    void Timer200() override;
    void Timer1000() override;

private:
    // The station the list's selection names (from 1), or 0.
    int SelectedStation() const;
    // Station edits wait for polling to stop and for the open dialog to close.
    bool EditsBlocked() const { return rt_.Opros_On || dialog_open_; }
    // Runs the station dialog; true on "OK", with the server-wide settings stored.
    bool RunDeviceDialog();
    void StoreServerSettings(const ServerSettings& settings);
    // Writes iec101.cfg and iec101kp.cfg; a failure is shown.
    bool SaveStations();
    // After a station edit: save, rebuild the list, show.
    void StationsChanged();
    void ReloadStations();
    void ShowConfigErrors(const ConfigReport& report);
    void Render() { view_.Render(model_); }

    Runtime& rt_;
    MainWindowView& view_;
    MainWindowServices services_;
    MainWindowModel model_;
    DeviceDialog device_dialog_;
    OpcUaDialog opcua_dialog_;
    bool dialog_open_ = false;
    int table_revision_ = 0;  // counts the rebuilds of the list: an edit made against an older table is dropped
};

}  // namespace iec
