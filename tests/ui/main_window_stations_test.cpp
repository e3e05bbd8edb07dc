// The station commands of the main window through its view: dialogs, questions, refusals, and the station files
// on disk after each command.
#include "main_window_fixture.h"

namespace iec {
namespace {

using test::MainWindowTest;
using test::SerialStation;
using test::SerialStations;
using N = DeviceNumber;

TEST_F(MainWindowTest, AddingAStationThroughTheDialogWritesBothFilesByteForByte) {
    MainWindowLogic& w = Open();
    view_.on_device_dialog = [](DeviceDialog& d) {
        DeviceDialogForm& f = d.Form();
        EXPECT_EQ(f.NameKP, "IEC101_1");
        f.NameKP = "КП 1";
        f.ComPort = "\\\\.\\COM3";
        f.Number(N::LinkAddress) = "3";
        f.status.EditCell(1, 1, "Q1");
        f.status.EditCell(1, 2, "1");
        f.status.EditCell(1, 3, "1");
        f.measured.EditCell(1, 1, "Ia");
        f.measured.EditCell(1, 2, "1");
        f.measured.EditCell(1, 3, "100");
        f.measured.EditCell(1, 6, "4000");
        f.measured.EditCell(1, 8, "100");
        return true;
    };
    w.AddStation(CommandOrigin::Button);
    EXPECT_EQ(view_.device_dialogs, 1);
    EXPECT_TRUE(view_.messages.empty());
    const std::string cfg =
        ";kol,1\r\n"
        "KP,1,1,КП 1,\r\n"
        ";PORT,1,1,КП 1,,0\r\n"
        "PER,0\r\nTIM,0\r\nPOPR,0\r\n"
        "OPC_UA_use,0\r\nOPC_UA_writable,0\r\nOPC_UA_by_pwd,0\r\nOPC_UA_Control_podkl,0\r\nOPC_UA_Port,0\r\n"
        "OPC_UA_password,\r\nOPC_UA_username,\r\nOPC_UA_Timeout_of_control,0\r\nTimeoutm230,10\r\n"
        "TS,1001,1,,\"Q1\",8272,1,1,0,0,0,0\r\n"
        "TIT,1001,1,,\"Ia\",8280,1,100,0,100,0,100,0,100,0,4000\r\n";
    EXPECT_EQ(Bytes(kStationFileName), Utf8ToCp1251(cfg));
    const std::string kp =
        "1\r\n\\\\.\\COM3\r\n9600\r\nN\r\nКП 1\r\n1000\r\n3\r\n1000\r\n3\r\n3000\r\n3000\r\n5000\r\n1\r\n2\r\n1\r\n"
        "0\r\n"
        "1\r\n10\r\n"
        "0\r\n32100\r\n0\r\n"
        "10\r\n0\r\n0\r\n";
    EXPECT_EQ(Bytes(kLinkFileName), Utf8ToCp1251(kp));
    // "OK" also stores the four server-wide settings.
    EXPECT_EQ(Bytes("cnf.ini"),
              "[UseWebServer]\r\nUseWebServer=0\r\n[Port_WebServ]\r\nPort_WebServ=80\r\n"
              "[Timeout_Merc230]\r\nTimeout_Merc230=10\r\n[Save_Obmen_v_File]\r\nSave_Obmen_v_File=0\r\n");
    EXPECT_EQ(view_.shown.stations, (std::vector<std::string>{"КП 1"}));
    EXPECT_EQ(view_.shown.list_selection, -1);
    EXPECT_EQ(view_.shown.grids.status.At(2, 1), "Q1");

    // Read back, the table is the one in memory.
    StationTable again;
    OpcUaSettings ua;
    EXPECT_FALSE(Read_Config(again, ua, dir_ / kStationFileName, dir_).HasErrors());
    ExpectFilesOf(again);
    EXPECT_EQ(again.Station(1)->TI_arr[1].Max_Eng_Diap, 100);
}

TEST_F(MainWindowTest, CancelStoresNothing) {
    WriteStations(SerialStations(2));
    const std::string before = Bytes(kStationFileName);
    MainWindowLogic& w = Open();
    view_.on_device_dialog = [](DeviceDialog& d) {
        d.Form().NameKP = "changed";
        d.Form().UseWebServer = true;
        return false;
    };
    w.AddStation(CommandOrigin::Menu);
    w.SelectStation(0);
    w.ChangeStation();
    EXPECT_EQ(view_.device_dialogs, 2);
    EXPECT_EQ(Bytes(kStationFileName), before);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "cnf.ini"));
    EXPECT_FALSE(rt_->settings.UseWebServer);
    EXPECT_EQ(Names(), (std::vector<std::string>{"S1", "S2"}));
}

TEST_F(MainWindowTest, From32StationsAddIsRefusedWithTheTextOfItsPlace) {
    WriteStations(SerialStations(32));
    MainWindowLogic& w = Open();
    w.AddStation(CommandOrigin::Button);
    w.AddStation(CommandOrigin::Menu);
    EXPECT_EQ(view_.messages, (std::vector<std::string>{"Эта программа работает только с 32 КП.",
                                                        "Эта программа работает только с 32 IP адресами."}));
    EXPECT_EQ(view_.device_dialogs, 0);
    // Copying still works.
    w.SelectStation(0);
    w.CopyStation();
    EXPECT_EQ(rt_->stations.Kol_KP, 33);
}

TEST_F(MainWindowTest, ChangeNeedsASelectedStationAndReplacesIt) {
    WriteStations(SerialStations(3));
    MainWindowLogic& w = Open();
    // After the polling start at program start the first line is selected.
    EXPECT_EQ(view_.shown.list_selection, 0);
    view_.on_device_dialog = [](DeviceDialog& d) {
        EXPECT_EQ(d.Form().NameKP, "S2");
        d.Form().NameKP = "S2 new";
        d.Form().Number(N::Popravka_Time) = "3";
        d.Form().status.AppendRow();
        d.Form().status.EditCell(2, 1, "added");
        return true;
    };
    w.SelectStation(1);
    EXPECT_EQ(view_.shown.list_selection, 1);
    EXPECT_EQ(rt_->Sel_KP_Index, 1);
    w.ChangeStation();
    EXPECT_EQ(view_.device_dialogs, 1);
    EXPECT_EQ(view_.shown.list_selection, -1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"S1", "S2 new", "S3"}));
    StationTable expected = SerialStations(3);
    T_KP& s2 = expected.KP_arr[2];
    s2.NameKP = "S2 new";
    s2.IecDeviceVV.Name = "S2 new";
    s2.Popravka_Time = 3;
    s2.AddTS().NameTS = "added";
    s2.IecDeviceVV.Interval_opros_100 = 1;  // the form's range starts at 1 minute
    ExpectFilesOf(expected);
    // The rebuilt list has no selection: the next command needs a new click; a click beside the lines is none.
    w.ChangeStation();
    w.SelectStation(-1);
    w.SelectStation(3);
    w.ChangeStation();
    EXPECT_EQ(view_.device_dialogs, 1);
    // The grids stay with the station chosen last.
    EXPECT_EQ(view_.shown.grids.Grid_KP_Nomer, 2);
    EXPECT_EQ(view_.shown.grids.status.At(3, 1), "added");
}

TEST_F(MainWindowTest, DeletingStation2Of5AsksAndLeaves1534) {
    WriteStations(SerialStations(5));
    MainWindowLogic& w = Open();
    w.SelectStation(1);
    view_.answers = {Answer::No, Answer::Cancel, Answer::Yes};
    w.DeleteStation();
    w.DeleteStation();
    EXPECT_EQ(rt_->stations.Kol_KP, 5);
    ExpectFilesOf(SerialStations(5));
    w.DeleteStation();
    ASSERT_EQ(view_.questions.size(), 3u);
    EXPECT_EQ(view_.questions[0].text, "Вы действительно хотите удалить устройтво из списка?");
    EXPECT_EQ(view_.questions[0].kind, MessageKind::Warning);
    EXPECT_TRUE(view_.questions[0].cancel_button);
    EXPECT_EQ(Names(), (std::vector<std::string>{"S1", "S5", "S3", "S4"}));
    EXPECT_EQ(view_.shown.stations, (std::vector<std::string>{"S1", "S5", "S3", "S4"}));
    StationTable expected = SerialStations(5);
    expected.KP_arr[2] = expected.KP_arr[5];
    expected.Kol_KP = 4;
    ExpectFilesOf(expected);
    StationTable again;
    OpcUaSettings ua;
    ASSERT_FALSE(Read_Config(again, ua, dir_ / kStationFileName, dir_).HasErrors());
    EXPECT_EQ(again.Station(2)->IecDeviceVV.LinkAddress, 5);
    EXPECT_EQ(again.Station(2)->TS_arr[1].NameTS, "S5 ТС");
}

TEST_F(MainWindowTest, DeletingWithAnEmptyListOrNoSelectionDoesNothing) {
    MainWindowLogic& w = Open();
    view_.answers = {Answer::Yes};
    w.DeleteStation();
    w.SelectStation(0);
    w.DeleteStation();
    EXPECT_TRUE(view_.questions.empty());
    EXPECT_EQ(rt_->stations.Kol_KP, 0);
    EXPECT_FALSE(std::filesystem::exists(dir_ / kStationFileName));
    // The last station gone, the grids have nothing to show and stay whole.
    WriteStations(SerialStations(1));
    MainWindowLogic& again = Open();
    again.SelectStation(0);
    view_.answers = {Answer::Yes};
    again.DeleteStation();
    EXPECT_EQ(rt_->stations.Kol_KP, 0);
    EXPECT_EQ(view_.shown.grids.Grid_KP_Nomer, 0);
    EXPECT_EQ(view_.shown.grids.status.Rows(), 3);
    again.DeleteStation();
    EXPECT_EQ(view_.questions.size(), 1u);
    ExpectFilesOf(StationTable{});
}

TEST_F(MainWindowTest, NothingDeletesOrCopiesTheStationWhoseDialogIsOpen) {
    WriteStations(SerialStations(3));
    MainWindowLogic& w = Open();
    w.SelectStation(1);
    view_.answers = {Answer::Yes};
    view_.on_device_dialog = [&](DeviceDialog& d) {
        // Accelerators and the tray menu still reach the window while the dialog is up.
        w.DeleteStation();
        w.CopyStation();
        w.AddStation(CommandOrigin::Button);
        w.TogglePolling();
        d.Form().NameKP = "edited";
        return true;
    };
    w.ChangeStation();
    EXPECT_TRUE(view_.questions.empty());
    EXPECT_EQ(view_.device_dialogs, 1);
    EXPECT_FALSE(rt_->Opros_On);
    EXPECT_EQ(Names(), (std::vector<std::string>{"S1", "edited", "S3"}));
}

TEST_F(MainWindowTest, AnEditMadeAgainstAReplacedTableIsDropped) {
    WriteStations(SerialStations(3));
    MainWindowLogic& w = Open();
    w.SelectStation(2);
    view_.on_device_dialog = [&](DeviceDialog& d) {
        // The configuration was read again meanwhile (a remote transfer): station 3 may be another one now.
        StationTable other = SerialStations(2);
        rt_->stations = other;
        w.Refresh_ListBox();
        d.Form().NameKP = "edited";
        return true;
    };
    w.ChangeStation();
    EXPECT_EQ(view_.messages,
              (std::vector<std::string>{"Список устройств изменился, пока был открыт диалог. Изменения не сохранены."}));
    EXPECT_EQ(Names(), (std::vector<std::string>{"S1", "S2"}));
    ExpectFilesOf(SerialStations(3));
}

TEST_F(MainWindowTest, CopiesAreAppendedWithTheirRandomSuffix) {
    WriteStations(SerialStations(2));
    MainWindowLogic& w = Open();
    w.SelectStation(0);
    w.CopyStation();
    w.CopyStation();  // the list lost its selection
    EXPECT_EQ(rt_->stations.Kol_KP, 3);
    w.SelectStation(0);
    w.CopyStation();
    EXPECT_EQ(Names(), (std::vector<std::string>{"S1", "S2", "S1_copy_42", "S1_copy_42"}));
    StationTable expected = SerialStations(2);
    for (int i = 3; i <= 4; ++i) {
        T_KP copy = expected.KP_arr[1];
        copy.NameKP = "S1_copy_42";
        copy.IecDeviceVV.Name = "S1_copy_42";
        expected.KP_arr[static_cast<size_t>(i)] = copy;
    }
    expected.Kol_KP = 4;
    ExpectFilesOf(expected);
    EXPECT_TRUE(view_.messages.empty());
}

TEST_F(MainWindowTest, ATableOf980StationsRefusesACopy) {
    StationTable full = SerialStations(1);
    for (int i = 2; i <= kMaxStations; ++i) full.KP_arr[static_cast<size_t>(i)] = full.KP_arr[1];
    full.Kol_KP = kMaxStations;
    WriteStations(full);
    MainWindowLogic& w = Open(false);
    // 980 stations on one channel are more than polling takes: the start was refused and said so.
    EXPECT_FALSE(rt_->Opros_On);
    w.SelectStation(5);
    w.CopyStation();
    EXPECT_EQ(view_.messages,
              (std::vector<std::string>{"Опрос не запущен: Слишком много КП на канале /dev/null/ttyS1: 980 (не более 60)",
                                        "Эта программа работает только с 980 КП."}));
    EXPECT_EQ(rt_->stations.Kol_KP, kMaxStations);
}

TEST_F(MainWindowTest, WhilePollingRunsTheStationCommandsAreOffAndDoNothing) {
    WriteStations(SerialStations(2));
    MainWindowLogic& w = Open(false);
    ASSERT_TRUE(rt_->Opros_On);
    EXPECT_FALSE(view_.shown.station_commands_enabled);
    const std::string before = Bytes(kStationFileName);
    view_.answers = {Answer::Yes};
    view_.on_device_dialog = [](DeviceDialog&) { return true; };
    w.SelectStation(0);
    w.AddStation(CommandOrigin::Button);
    w.ChangeStation();
    w.DeleteStation();
    w.CopyStation();
    EXPECT_EQ(view_.device_dialogs, 0);
    EXPECT_TRUE(view_.questions.empty());
    EXPECT_TRUE(view_.messages.empty());
    EXPECT_EQ(Bytes(kStationFileName), before);
}

TEST_F(MainWindowTest, ANameTheFilesCannotHoldIsRefusedUntilMended) {
    MainWindowLogic& w = Open();
    int round = 0;
    view_.on_device_dialog = [&](DeviceDialog& d) {
        d.Form().NameKP = ++round == 1 ? "Север, ввод 1" : "Север ввод 1";
        return true;
    };
    w.AddStation(CommandOrigin::Button);
    EXPECT_EQ(round, 2);
    EXPECT_EQ(view_.messages, (std::vector<std::string>{"«Имя устройства»: символ «,» в имени недопустим"}));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Север ввод 1"}));
}

}  // namespace
}  // namespace iec
