// The main window's start, polling switch, timers, tray states and server commands.
#include "main_window_fixture.h"
#include "platform/ini_file.h"

namespace iec {
namespace {

using test::MainWindowTest;
using test::SerialStations;

TEST_F(MainWindowTest, StartsHiddenInTheTrayAndPollsWhenStationsExist) {
    WriteStations(SerialStations(2));
    Open(false);
    const MainWindowModel& m = view_.shown;
    EXPECT_EQ(m.title, "OPC-сервер для протокола МЭК-60870-5-101");
    EXPECT_FALSE(m.window_visible);
    EXPECT_TRUE(m.tray_icon);
    EXPECT_TRUE(m.restore_enabled);
    EXPECT_FALSE(m.hide_enabled);
    EXPECT_EQ(m.status_line, dir_.string());
    EXPECT_EQ(m.stations, (std::vector<std::string>{"S1", "S2"}));
    EXPECT_TRUE(rt_->Opros_On);
    EXPECT_EQ(rt_->Kol_Threads, 2);
    EXPECT_EQ(m.polling_caption, "Остановить опрос");
    EXPECT_FALSE(m.station_commands_enabled);
    EXPECT_TRUE(m.polling_timers);
    // The grids show the first station until another is chosen.
    EXPECT_EQ(m.list_selection, 0);
    EXPECT_EQ(m.grids.Grid_KP_Nomer, 1);
    EXPECT_EQ(m.grids.status.At(2, 1), "S1 ТС");
    // The restart advice belongs to the operator's switch only.
    EXPECT_TRUE(view_.messages.empty());
    EXPECT_FALSE(m.transfer_commands);
    EXPECT_FALSE(m.redundancy_commands);
}

TEST_F(MainWindowTest, WithoutStationsTheProgramStartsWithPollingOff) {
    Open(false);
    EXPECT_FALSE(rt_->Opros_On);
    EXPECT_EQ(view_.shown.polling_caption, "Начать опрос");
    EXPECT_TRUE(view_.shown.station_commands_enabled);
    EXPECT_FALSE(view_.shown.polling_timers);
    EXPECT_TRUE(view_.shown.stations.empty());
}

TEST_F(MainWindowTest, TheConfiguratorShowsItsWindowAndNeverPollsByItself) {
    WriteStations(SerialStations(2));
    ASSERT_EQ(WriteFileAtomic(dir_ / "forlinux.txt", ""), "");
    MainWindowLogic& w = Open(false);
    EXPECT_TRUE(rt_->Config_Mode);
    EXPECT_FALSE(rt_->Opros_On);
    EXPECT_TRUE(view_.shown.window_visible);
    EXPECT_FALSE(view_.shown.tray_icon);
    EXPECT_FALSE(view_.shown.hide_enabled);
    w.Hide();
    EXPECT_TRUE(view_.shown.window_visible);
    EXPECT_FALSE(w.Minimise());
    EXPECT_TRUE(view_.shown.window_visible);
    EXPECT_FALSE(view_.shown.tray_icon);
    w.About();
    ASSERT_EQ(view_.abouts.size(), 1u);
    EXPECT_EQ(view_.abouts[0].status, "Конфигуратор для Linux");
    EXPECT_EQ(view_.abouts[0].version, "Version 1.07");
    EXPECT_EQ(w.DeviceDialogObject().Form().ComPort, "/dev/ttyS0");
    // "OK" of the station dialog raises the answer timeout to 25 ms here.
    view_.on_device_dialog = [](DeviceDialog&) { return true; };
    w.AddStation(CommandOrigin::Button);
    EXPECT_EQ(rt_->settings.Timeout_Merc230, 25);
    EXPECT_EQ(IniFile(dir_ / "cnf.ini").ReadInteger("Timeout_Merc230", "Timeout_Merc230", 0), 25);
    EXPECT_EQ(Names().back(), "IEC101_3");
}

TEST_F(MainWindowTest, TrayHideAndRestore) {
    MainWindowLogic& w = Open();
    w.TrayClick();
    EXPECT_EQ(view_.tray_menus, 1);
    w.TrayDoubleClick();
    EXPECT_TRUE(view_.shown.window_visible);
    EXPECT_FALSE(view_.shown.tray_icon);
    EXPECT_FALSE(view_.shown.restore_enabled);
    EXPECT_TRUE(view_.shown.hide_enabled);
    EXPECT_TRUE(w.Minimise());
    EXPECT_FALSE(view_.shown.window_visible);
    EXPECT_TRUE(view_.shown.tray_icon);
    EXPECT_TRUE(view_.shown.restore_enabled);
    EXPECT_FALSE(view_.shown.hide_enabled);
    w.Restore();
    w.Hide();
    EXPECT_FALSE(view_.shown.window_visible);
    EXPECT_TRUE(view_.shown.tray_icon);
    w.About();
    EXPECT_EQ(view_.abouts.back().status, "");
    EXPECT_EQ(view_.abouts.back().product_line1, "OPC-сервер для протокола");
    EXPECT_EQ(view_.abouts.back().product_line2, "МЭК 60870-5-101");
    w.Help();
    ASSERT_EQ(view_.documents.size(), 1u);
    EXPECT_EQ(view_.documents[0], dir_ / std::filesystem::path(u8"OPC-сервер МЭК 60870-5-101.html"));
}

TEST_F(MainWindowTest, ThePollingSwitchAndWhatItTurnsOnAndOff) {
    WriteStations(SerialStations(3));
    MainWindowLogic& w = Open();
    w.SelectStation(2);
    w.TogglePolling();
    EXPECT_TRUE(rt_->Opros_On);
    EXPECT_EQ(rt_->Kol_Threads, 3);
    EXPECT_EQ(view_.shown.polling_caption, "Остановить опрос");
    EXPECT_FALSE(view_.shown.station_commands_enabled);
    EXPECT_TRUE(view_.shown.polling_timers);
    EXPECT_EQ(view_.messages,
              (std::vector<std::string>{"Желательно полностью перезапустить программу, чтобы изменения вступили в силу!"}));
    EXPECT_EQ(companions_.events, (std::vector<std::string>{"started"}));
    // The grids and the list keep the chosen station.
    EXPECT_EQ(view_.shown.grids.Grid_KP_Nomer, 3);
    EXPECT_EQ(view_.shown.list_selection, 2);
    w.TogglePolling();
    EXPECT_FALSE(rt_->Opros_On);
    EXPECT_EQ(rt_->Kol_Threads, 0);
    EXPECT_EQ(view_.shown.polling_caption, "Начать опрос");
    EXPECT_TRUE(view_.shown.station_commands_enabled);
    EXPECT_FALSE(view_.shown.polling_timers);
    EXPECT_EQ(view_.messages.size(), 1u);
    EXPECT_EQ(companions_.events, (std::vector<std::string>{"started", "stopped"}));
    EXPECT_EQ(view_.shown.grids.Grid_KP_Nomer, 3);
}

TEST_F(MainWindowTest, WithNoStationsPollingStillSwitchesOn) {
    MainWindowLogic& w = Open();
    w.TogglePolling();
    EXPECT_TRUE(rt_->Opros_On);
    EXPECT_EQ(rt_->Kol_Threads, 0);
    EXPECT_EQ(view_.shown.polling_caption, "Остановить опрос");
    EXPECT_EQ(view_.messages.size(), 1u);
    w.Timer200();
    w.Timer1000();
    EXPECT_EQ(view_.shown.grids.status.Rows(), 3);
}

TEST_F(MainWindowTest, APollingStartBeyondTheLimitsIsRefusedAndSaysWhy) {
    WriteStations(SerialStations(41));  // 41 serial lines
    MainWindowLogic& w = Open(false);
    EXPECT_FALSE(rt_->Opros_On);
    EXPECT_EQ(view_.shown.polling_caption, "Начать опрос");
    EXPECT_TRUE(view_.shown.station_commands_enabled);
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_EQ(view_.messages[0], "Опрос не запущен: Слишком много каналов связи: 41 (не более 40)");
    view_.messages.clear();
    w.TogglePolling();
    EXPECT_FALSE(rt_->Opros_On);
    EXPECT_EQ(view_.messages,
              (std::vector<std::string>{"Опрос не запущен: Слишком много каналов связи: 41 (не более 40)"}));
    EXPECT_EQ(companions_.events, (std::vector<std::string>{"stopped"}));
}

TEST_F(MainWindowTest, AStationFileWithAnErrorIsShownAndNotPolled) {
    ASSERT_EQ(WriteFileAtomic(dir_ / kStationFileName, ";kol,1\r\nKP,x,1,A,\r\n"), "");
    Open(false);
    EXPECT_FALSE(rt_->Opros_On);
    ASSERT_EQ(view_.messages.size(), 1u);
    EXPECT_EQ(view_.messages[0].rfind("Ошибки в файлах конфигурации, опрос не запущен:\nerror: iec101.cfg:2:", 0), 0u)
        << view_.messages[0];
}

TEST_F(MainWindowTest, TheHalfSecondTimerCountsClientsAndSendsTheReserveLines) {
    MainWindowLogic& w = Open();
    server_.clients = 3;
    server_.groups = 7;
    {
        std::lock_guard lock(rt_->Rezerv_Send_Buf_mutex);
        rt_->Rezerv_Send_Buf = "2,1,192,04.05.2026 03:02:01.000,S1.Q\r\n";
    }
    w.Timer500();
    EXPECT_EQ(view_.shown.clients, 3);
    EXPECT_EQ(view_.shown.groups, 7);
    w.Timer500();
    EXPECT_EQ(reserve_.sent, (std::vector<std::string>{"2,1,192,04.05.2026 03:02:01.000,S1.Q\r\n", ""}));
    EXPECT_EQ(rt_->Rezerv_Send_Buf, "");
}

TEST_F(MainWindowTest, ThePollingTimersWorkOnlyWhilePollingRuns) {
    WriteStations(SerialStations(1));
    MainWindowLogic& w = Open();
    const int renders = view_.renders;
    w.Timer1000();
    EXPECT_EQ(view_.renders, renders);
    w.Timer200();
    TagSlot slot;
    ASSERT_TRUE(rt_->tags.Read(4, slot));  // S1's "Connected": branch 1, TS 2, TI 3, Connected 4
    EXPECT_EQ(slot.tag.Quality, 5);        // as the polling start left it
    w.TogglePolling();
    w.Timer200();
    ASSERT_TRUE(rt_->tags.Read(4, slot));
    EXPECT_EQ(slot.tag.Quality, 192);
    EXPECT_EQ(slot.tag.Name, "S1.Connected");
    w.Timer1000();
    EXPECT_EQ(view_.shown.grids.status.At(1, 3), "Нет");  // the serial line cannot be opened
    EXPECT_EQ(view_.shown.grids.status.At(2, 4), "255");
}

TEST_F(MainWindowTest, OpcUaSettingsAreWrittenWhateverTheAnswer) {
    WriteStations(SerialStations(1));
    MainWindowLogic& w = Open();
    view_.on_opcua_dialog = [](OpcUaDialog& d) {
        EXPECT_EQ(d.Form().Port, "16101");
        return false;
    };
    w.OpcUaSettings();
    EXPECT_NE(Cp1251ToUtf8(Bytes(kStationFileName)).find("\r\nOPC_UA_Port,16101\r\n"), std::string::npos);
    view_.on_opcua_dialog = [](OpcUaDialog& d) {
        d.Form().OPC_UA_use = true;
        d.Form().OPC_UA_by_pwd = true;
        d.Form().OPC_UA_username = "operator";
        d.Form().OPC_UA_password = "Secret-101";
        d.Form().Port = "4840";
        return true;
    };
    w.OpcUaSettings();
    OpcUaSettings ua;
    ua.OPC_UA_use = true;
    ua.OPC_UA_by_pwd = true;
    ua.OPC_UA_username = "operator";
    ua.OPC_UA_password = "Secret-101";
    ua.OPC_UA_Port = 4840;
    ExpectFilesOf(SerialStations(1), ua);
    // A refused "OK" stores nothing.
    view_.on_opcua_dialog = [](OpcUaDialog& d) {
        d.Form().Port = "65533";
        return true;
    };
    w.OpcUaSettings();
    EXPECT_EQ(view_.messages.back(), "Порт: ожидается целое число от 1 до 65532");
    EXPECT_EQ(rt_->opc_ua.OPC_UA_Port, 4840);
    EXPECT_EQ(view_.opcua_dialogs, 3);
}

TEST_F(MainWindowTest, ExitSendsTheShutdownNoticeAndAsksWhileObjectsLive) {
    WriteStations(SerialStations(1));
    MainWindowLogic& w = Open(false);
    ASSERT_TRUE(rt_->Opros_On);
    server_.live = 2;
    view_.answers = {Answer::No, Answer::Yes};
    w.Exit();
    EXPECT_FALSE(view_.quit);
    EXPECT_TRUE(rt_->Opros_On);
    ASSERT_EQ(view_.questions.size(), 1u);
    EXPECT_EQ(view_.questions[0].caption, "COM Server Warning");
    EXPECT_EQ(view_.questions[0].preselected, Answer::No);
    EXPECT_FALSE(view_.questions[0].cancel_button);
    w.Exit();
    EXPECT_TRUE(view_.quit);
    EXPECT_FALSE(rt_->Opros_On);
    EXPECT_EQ(rt_->Kol_Threads, 0);
    EXPECT_FALSE(view_.shown.tray_icon);
    EXPECT_EQ(server_.shutdowns, (std::vector<std::string>{"Terminated by User.", "Terminated by User."}));
    w.DisconnectClients();
    EXPECT_EQ(server_.shutdowns.size(), 3u);
}

TEST_F(MainWindowTest, RegistrationFailuresAreShown) {
    MainWindowLogic& w = Open();
    w.RegisterServer();
    w.UnregisterServer();
    EXPECT_TRUE(view_.messages.empty());
    server_.register_error = "access denied";
    w.RegisterServer();
    EXPECT_EQ(view_.messages, (std::vector<std::string>{"Ошибка регистрации OPC-сервера: access denied"}));
    EXPECT_EQ(server_.registers, 2);
    EXPECT_EQ(server_.unregisters, 1);
}

TEST_F(MainWindowTest, TheTransferPasswordGoesIntoCnfIniUnlessEmpty) {
    MainWindowLogic& w = Open();
    view_.text_answer = "";
    w.SetTransferPassword();
    view_.text_answer.reset();
    w.SetTransferPassword();
    EXPECT_FALSE(std::filesystem::exists(dir_ / "cnf.ini"));
    view_.text_answer = "s3cret";
    w.SetTransferPassword();
    EXPECT_EQ(IniFile(dir_ / "cnf.ini").ReadString("pwd", "pwd", ""), "s3cret");
    ASSERT_EQ(view_.questions.size(), 3u);
    EXPECT_EQ(view_.questions[0].caption, "Установить пароль для удаленной загрузки конфигурации");
}

TEST_F(MainWindowTest, TransferAndRedundancyCommandsGoToTheirSubsystems) {
    MainWindowLogic& bare = Open();
    bare.WriteRemoteConfig();
    bare.ReadRemoteConfig();
    bare.RedundancySettings();
    bare.RedundancyState();
    EXPECT_TRUE(view_.messages.empty());

    test::FakeTransfer transfer;
    test::FakeRedundancy redundancy;
    transfer_ = &transfer;
    redundancy_ = &redundancy;
    MainWindowLogic& w = Open();
    EXPECT_TRUE(view_.shown.transfer_commands);
    EXPECT_TRUE(view_.shown.redundancy_commands);
    w.WriteRemoteConfig();
    w.RedundancySettings();
    w.RedundancyState();
    EXPECT_EQ(transfer.writes, 1);
    EXPECT_EQ(redundancy.settings, 1);
    EXPECT_EQ(redundancy.states, 1);
    // Files fetched from the other server are taken into the list at once while polling is off.
    transfer.replaced = true;
    transfer.on_read = [&] { WriteStations(SerialStations(2)); };
    w.ReadRemoteConfig();
    EXPECT_EQ(view_.shown.stations, (std::vector<std::string>{"S1", "S2"}));
    // While polling runs the running table stays; the next start reads the files.
    w.TogglePolling();
    transfer.on_read = [&] { WriteStations(SerialStations(3)); };
    w.ReadRemoteConfig();
    EXPECT_EQ(Names().size(), 2u);
    w.TogglePolling();
    w.TogglePolling();
    EXPECT_EQ(view_.shown.stations, (std::vector<std::string>{"S1", "S2", "S3"}));
}

}  // namespace
}  // namespace iec
