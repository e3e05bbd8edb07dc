#include "ui/device_dialog.h"

#include <gtest/gtest.h>

#include <climits>

#include "ui/name_check.h"

namespace iec {
namespace {

using N = DeviceNumber;
using C = DeviceChoice;

T_KP Existing() {
    T_KP kp;
    kp.NameKP = "ПС Северная";
    kp.IP = "kept";
    kp.ASDU_Adr = 12;
    kp.PereschetTI = true;
    kp.Time_To_OPC = true;
    kp.Popravka_Time = -2;
    kp.RTU_TCP = 1;
    kp.PortTCP = 4001;
    TIecDeviceVV& d = kp.IecDeviceVV;
    d.ComPort = "192.168.1.7";
    d.BaudRate = 19200;
    d.Parity = "E";
    d.Name = kp.NameKP;
    d.LinkAddress = 12;
    d.LinkTimeOut = 1500;
    d.Retries = 4;
    d.PollingCycle = 900;
    d.ConfirmationTimeout = 2500;
    d.TerminationTimeout = 6000;
    d.sz_LinkAddress = 2;
    d.sz_InfObjAddress = 3;
    d.sz_PrichinaPeredachi = 2;
    d.sz_ASDUAddress = 2;
    d.opros_na_ustr = 5;
    d.bit_QU = 2;
    d.Virtual_com = true;
    d.Interval_opros_100 = 15;
    d.Interval_opros_counters_101 = 60;
    d.Interval_opros_address_102 = 1;
    T_TS& ts = kp.AddTS();
    ts.NameTS = "Q1";
    ts.AdrASDU = 12;
    ts.AdrIOA = 1;
    ts.AdrASDU_TU = 12;
    ts.AdrIOA_TU = 2001;
    ts.Type_TU = 1;
    T_TI& ti = kp.AddTI();
    ti.NameTI = "Ia";
    ti.AdrASDU = 12;
    ti.AdrIOA = 100;
    ti.Min_TM_Diap = 0;
    ti.Max_TM_Diap = 4000;
    ti.Min_Eng_Diap = 0;
    ti.Max_Eng_Diap = 0.1;
    return kp;
}

StationTable TableOf(int stations) {
    StationTable t;
    for (int i = 1; i <= stations; ++i) t.KP_arr[static_cast<size_t>(i)] = Existing();
    t.Kol_KP = stations;
    return t;
}

TEST(DeviceDialog, ANewFourthStationOpensNamedIEC101_4With19EmptyRowsPerTable) {
    DeviceDialog dialog(false);
    const StationTable table = TableOf(3);
    ServerSettings settings;
    settings.Save_Obmen_v_File = true;
    settings.Port_WebServ = 8080;
    dialog.BeforeShowOptionsUstr(4, table, settings);
    dialog.PrepareNewStation(settings);
    const DeviceDialogForm& f = dialog.Form();
    EXPECT_TRUE(dialog.NewStation());
    EXPECT_EQ(dialog.StationNumber(), 4);
    EXPECT_EQ(f.NameKP, "IEC101_4");
    ASSERT_EQ(f.status.Rows(), 20);
    ASSERT_EQ(f.measured.Rows(), 20);
    for (int r = 1; r < 20; ++r) {
        for (int c = 1; c <= 8; ++c) {
            EXPECT_EQ(f.status.Cell(r, c), "");
            EXPECT_EQ(f.measured.Cell(r, c), "");
        }
    }
    EXPECT_EQ(f.Number(N::PortTCP), "32100");
    EXPECT_FALSE(f.RTU_TCP);
    EXPECT_FALSE(f.Virtual_com);
    EXPECT_EQ(f.Number(N::opros_na_ustr), "10");
    EXPECT_TRUE(f.Save_Obmen_v_File);
    EXPECT_EQ(f.Number(N::Port_WebServ), "8080");
    // The form's defaults the first time.
    EXPECT_EQ(f.ComPort, "\\\\.\\COM1");
    EXPECT_EQ(f.BaudRate, "9600");
    EXPECT_EQ(f.Parity, "N");
    EXPECT_EQ(f.Number(N::LinkAddress), "5");
    EXPECT_EQ(f.Choice(C::sz_InfObjAddress), 1);
    EXPECT_EQ(f.Choice(C::sz_LinkAddress), 0);
    EXPECT_EQ(f.Choice(C::bit_QU), 0);
    EXPECT_EQ(f.Number(N::Interval_opros_100), "10");
    EXPECT_EQ(f.Number(N::PollingCycle), "1000");
    EXPECT_EQ(f.Number(N::ConfirmationTimeout), "3000");
    EXPECT_EQ(f.Number(N::TerminationTimeout), "5000");
    // With nothing typed, the new station is empty and named as shown.
    const T_KP kp = dialog.ToStation();
    EXPECT_EQ(kp.NameKP, "IEC101_4");
    EXPECT_EQ(kp.IP, "");
    EXPECT_EQ(kp.Kol_TS, 0);
    EXPECT_EQ(kp.Kol_TI, 0);
    EXPECT_EQ(kp.PortTCP, 32100);
    EXPECT_EQ(kp.IecDeviceVV.LinkAddress, 5);
    EXPECT_EQ(kp.IecDeviceVV.sz_InfObjAddress, 2);
}

TEST(DeviceDialog, AnExistingStationRoundTripsThroughTheForm) {
    DeviceDialog dialog(false);
    const StationTable table = TableOf(2);
    dialog.BeforeShowOptionsUstr(2, table, ServerSettings{});
    const DeviceDialogForm& f = dialog.Form();
    EXPECT_FALSE(dialog.NewStation());
    EXPECT_EQ(f.NameKP, "ПС Северная");
    EXPECT_TRUE(f.RTU_TCP);
    EXPECT_TRUE(f.Virtual_com);
    EXPECT_EQ(f.ComPort, "192.168.1.7");
    EXPECT_EQ(f.BaudRate, "19200");
    EXPECT_EQ(f.Choice(C::sz_InfObjAddress), 2);
    EXPECT_EQ(f.Choice(C::bit_QU), 2);
    EXPECT_EQ(f.Number(N::Popravka_Time), "-2");
    EXPECT_EQ(f.status.Rows(), 2);
    EXPECT_EQ(f.status.Cell(1, 7), "<45> C_SC_NA Однопозиц. команда прямое");
    EXPECT_EQ(f.measured.Cell(1, 8), "0.1");

    const T_KP back = dialog.ToStation();
    const T_KP& was = *table.Station(2);
    EXPECT_EQ(back.NameKP, was.NameKP);
    EXPECT_EQ(back.IP, "kept");
    EXPECT_EQ(back.ASDU_Adr, 12);
    EXPECT_EQ(back.PereschetTI, true);
    EXPECT_EQ(back.Time_To_OPC, true);
    EXPECT_EQ(back.Popravka_Time, -2);
    EXPECT_EQ(back.RTU_TCP, 1);
    EXPECT_EQ(back.PortTCP, 4001);
    const TIecDeviceVV& d = back.IecDeviceVV;
    const TIecDeviceVV& e = was.IecDeviceVV;
    EXPECT_EQ(d.ComPort, e.ComPort);
    EXPECT_EQ(d.BaudRate, e.BaudRate);
    EXPECT_EQ(d.Parity, e.Parity);
    EXPECT_EQ(d.Name, e.Name);
    EXPECT_EQ(d.LinkTimeOut, e.LinkTimeOut);
    EXPECT_EQ(d.Retries, e.Retries);
    EXPECT_EQ(d.PollingCycle, e.PollingCycle);
    EXPECT_EQ(d.LinkAddress, e.LinkAddress);
    EXPECT_EQ(d.ConfirmationTimeout, e.ConfirmationTimeout);
    EXPECT_EQ(d.TerminationTimeout, e.TerminationTimeout);
    EXPECT_EQ(d.sz_LinkAddress, e.sz_LinkAddress);
    EXPECT_EQ(d.sz_InfObjAddress, e.sz_InfObjAddress);
    EXPECT_EQ(d.sz_PrichinaPeredachi, e.sz_PrichinaPeredachi);
    EXPECT_EQ(d.sz_ASDUAddress, e.sz_ASDUAddress);
    EXPECT_EQ(d.opros_na_ustr, e.opros_na_ustr);
    EXPECT_EQ(d.bit_QU, e.bit_QU);
    EXPECT_EQ(d.Virtual_com, e.Virtual_com);
    EXPECT_EQ(d.Interval_opros_100, e.Interval_opros_100);
    EXPECT_EQ(d.Interval_opros_counters_101, e.Interval_opros_counters_101);
    EXPECT_EQ(d.Interval_opros_address_102, e.Interval_opros_address_102);
    EXPECT_EQ(d.RTU_TCP, 1);
    EXPECT_EQ(d.PortTCP, 4001);
    ASSERT_EQ(back.Kol_TS, 1);
    EXPECT_EQ(back.TS_arr[1].Type_TU, 1);
    EXPECT_EQ(back.TS_arr[1].AdrIOA_TU, 2001);
    ASSERT_EQ(back.Kol_TI, 1);
    EXPECT_EQ(back.TI_arr[1].Max_TM_Diap, 4000);
    EXPECT_EQ(back.TI_arr[1].Max_Eng_Diap, 0.1);
}

TEST(DeviceDialog, ANewStationKeepsTheLinkSettingsShownLast) {
    DeviceDialog dialog(false);
    const StationTable table = TableOf(1);
    dialog.BeforeShowOptionsUstr(1, table, ServerSettings{});
    dialog.BeforeShowOptionsUstr(2, table, ServerSettings{});
    dialog.PrepareNewStation(ServerSettings{});
    const DeviceDialogForm& f = dialog.Form();
    EXPECT_EQ(f.NameKP, "IEC101_2");
    EXPECT_EQ(f.ComPort, "192.168.1.7");
    EXPECT_EQ(f.Number(N::LinkAddress), "12");
    EXPECT_FALSE(f.RTU_TCP);  // set by "Добавить"
    EXPECT_EQ(f.status.Rows(), 20);
    EXPECT_EQ(f.status.Cell(1, 1), "");  // the previous station's rows are gone
    // Nothing of the earlier station's record comes with it.
    EXPECT_EQ(dialog.ToStation().IP, "");
}

TEST(DeviceDialog, EveryNumberFieldAtItsBounds) {
    // The tables are looked up by the field's number.
    for (size_t i = 0; i < DeviceNumberFields().size(); ++i) EXPECT_EQ(static_cast<size_t>(DeviceNumberFields()[i].field), i);
    for (size_t i = 0; i < DeviceChoiceFields().size(); ++i) EXPECT_EQ(static_cast<size_t>(DeviceChoiceFields()[i].field), i);
    for (const NumberFieldRule& rule : DeviceNumberFields()) {
        SCOPED_TRACE(rule.label);
        if (!rule.bounded) {
            EXPECT_EQ(DeviceDialog::NumberValue(rule.field, std::to_string(INT_MIN)), INT_MIN);
            EXPECT_EQ(DeviceDialog::NumberValue(rule.field, std::to_string(INT_MAX)), INT_MAX);
            EXPECT_EQ(DeviceDialog::NumberValue(rule.field, "x"), 0);
            continue;
        }
        EXPECT_EQ(DeviceDialog::NumberValue(rule.field, std::to_string(rule.min)), rule.min);
        EXPECT_EQ(DeviceDialog::NumberValue(rule.field, std::to_string(rule.max)), rule.max);
        EXPECT_EQ(DeviceDialog::NumberValue(rule.field, std::to_string(rule.max + 1)), rule.max);
        const int below = DeviceDialog::NumberValue(rule.field, std::to_string(rule.min - 1));
        const int unreadable = DeviceDialog::NumberValue(rule.field, "12a");
        if (rule.field == N::opros_na_ustr) {
            EXPECT_EQ(below, 10);
            EXPECT_EQ(unreadable, 10);
        } else {
            EXPECT_EQ(below, rule.min);
            EXPECT_EQ(unreadable, rule.form_default);
        }
        EXPECT_GE(rule.form_default, rule.min);
        EXPECT_LE(rule.form_default, rule.max);
    }
    EXPECT_EQ(RuleOf(N::PortTCP).max, 65535);
    EXPECT_EQ(RuleOf(N::LinkAddress).max, 65535);
    EXPECT_EQ(RuleOf(N::Interval_opros_100).min, 1);
    EXPECT_EQ(RuleOf(N::Interval_opros_100).max, 1000000);
    EXPECT_EQ(RuleOf(N::Interval_opros_counters_101).min, 0);
    EXPECT_EQ(RuleOf(N::ASDU_Adr).max, 65700);
    EXPECT_EQ(RuleOf(N::Port_WebServ).min, 20);
    EXPECT_EQ(RuleOf(N::Port_WebServ).max, 65000);
    EXPECT_EQ(RuleOf(N::Timeout_Merc230).min, 10);
    EXPECT_EQ(RuleOf(N::Timeout_Merc230).max, 50000);
}

TEST(DeviceDialog, OkTakesTheFormAsTyped) {
    DeviceDialog dialog(false);
    dialog.BeforeShowOptionsUstr(1, StationTable{}, ServerSettings{});
    DeviceDialogForm& f = dialog.Form();
    f.NameKP = "  КП 7  ";
    f.BaudRate = "быстро";
    f.Number(N::opros_na_ustr) = "0";
    f.Number(N::LinkAddress) = "70000";
    f.Number(N::PortTCP) = "66000";
    f.Choice(C::sz_LinkAddress) = 1;
    f.Choice(C::sz_PrichinaPeredachi) = 1;
    f.Choice(C::bit_QU) = 3;
    f.Parity = "X";
    // A row with an empty name between filled rows is dropped; the rows after it move up.
    f.status.SetCell(1, 1, "A");
    f.status.SetCell(1, 3, "1");
    f.status.SetCell(2, 3, "2");
    f.status.SetCell(3, 1, "C");
    f.status.SetCell(3, 3, "3");
    f.status.SetCell(3, 5, "7");
    f.status.SetCell(3, 6, "2003");
    f.status.ChooseCommandType(3, 3);
    EXPECT_EQ(dialog.Check(), "");
    const T_KP kp = dialog.ToStation();
    EXPECT_EQ(kp.NameKP, "КП 7");
    EXPECT_EQ(kp.IecDeviceVV.Name, "КП 7");
    EXPECT_EQ(kp.IecDeviceVV.BaudRate, 9600);
    EXPECT_EQ(kp.IecDeviceVV.opros_na_ustr, 10);
    EXPECT_EQ(kp.IecDeviceVV.LinkAddress, 65535);
    EXPECT_EQ(kp.PortTCP, 65535);
    EXPECT_EQ(kp.IecDeviceVV.sz_LinkAddress, 2);
    EXPECT_EQ(kp.IecDeviceVV.sz_PrichinaPeredachi, 2);
    EXPECT_EQ(kp.IecDeviceVV.bit_QU, 3);
    EXPECT_EQ(kp.IecDeviceVV.Parity, "X");
    ASSERT_EQ(kp.Kol_TS, 2);
    EXPECT_EQ(kp.TS_arr[1].NameTS, "A");
    EXPECT_EQ(kp.TS_arr[2].NameTS, "C");
    EXPECT_EQ(kp.TS_arr[2].AdrIOA, 3);
    EXPECT_EQ(kp.TS_arr[2].AdrIOA_TU, 2003);
    EXPECT_EQ(kp.TS_arr[2].Type_TU, 3);
}

TEST(DeviceDialog, AStoredSizeTheListDoesNotHoldIsKept) {
    StationTable table = TableOf(1);
    table.KP_arr[1].IecDeviceVV.sz_InfObjAddress = 5;
    table.KP_arr[1].IecDeviceVV.bit_QU = 9;
    DeviceDialog dialog(false);
    dialog.BeforeShowOptionsUstr(1, table, ServerSettings{});
    EXPECT_EQ(dialog.Form().Choice(C::sz_InfObjAddress), -1);
    const T_KP kp = dialog.ToStation();
    EXPECT_EQ(kp.IecDeviceVV.sz_InfObjAddress, 5);
    EXPECT_EQ(kp.IecDeviceVV.bit_QU, 9);
    // A choice made by the operator wins.
    dialog.Form().Choice(C::sz_InfObjAddress) = 0;
    EXPECT_EQ(dialog.ToStation().IecDeviceVV.sz_InfObjAddress, 1);
}

TEST(DeviceDialog, DefaultsResetTheLinkFields) {
    DeviceDialog dialog(false);
    dialog.BeforeShowOptionsUstr(1, TableOf(1), ServerSettings{});
    dialog.Defaults();
    const DeviceDialogForm& f = dialog.Form();
    EXPECT_EQ(f.Number(N::PollingCycle), "1000");
    EXPECT_EQ(f.Number(N::LinkAddress), "1");
    EXPECT_EQ(f.Number(N::LinkTimeOut), "1000");
    EXPECT_EQ(f.Number(N::Retries), "3");
    EXPECT_EQ(f.Number(N::ConfirmationTimeout), "3000");
    EXPECT_EQ(f.Number(N::TerminationTimeout), "5000");
    EXPECT_EQ(f.Choice(C::sz_InfObjAddress), 1);
    EXPECT_EQ(f.Choice(C::sz_LinkAddress), 0);
    EXPECT_EQ(f.ComPort, "\\\\.\\COM1");
    EXPECT_EQ(f.BaudRate, "9600");
    EXPECT_EQ(f.Parity, "N");
    // The rest stays.
    EXPECT_EQ(f.Choice(C::sz_ASDUAddress), 1);
    EXPECT_EQ(f.Number(N::Interval_opros_100), "15");
    EXPECT_EQ(f.NameKP, "ПС Северная");
}

TEST(DeviceDialog, ServerSettingsAndTheConfiguratorsMinimumTimeout) {
    for (const bool config_mode : {false, true}) {
        DeviceDialog dialog(config_mode);
        ServerSettings s;
        s.UseWebServer = true;
        s.Port_WebServ = 8080;
        s.Timeout_Merc230 = 10;
        dialog.BeforeShowOptionsUstr(1, StationTable{}, s);
        EXPECT_TRUE(dialog.Form().UseWebServer);
        ServerSettings out = dialog.ToSettings();
        EXPECT_TRUE(out.UseWebServer);
        EXPECT_EQ(out.Port_WebServ, 8080);
        EXPECT_EQ(out.Timeout_Merc230, config_mode ? 25 : 10);
        dialog.Form().Number(N::Timeout_Merc230) = "40";
        dialog.Form().Number(N::Port_WebServ) = "5";
        dialog.Form().Save_Obmen_v_File = true;
        out = dialog.ToSettings();
        EXPECT_EQ(out.Timeout_Merc230, 40);
        EXPECT_EQ(out.Port_WebServ, 20);
        EXPECT_TRUE(out.Save_Obmen_v_File);
    }
}

TEST(DeviceDialog, PortListsOfBothModes) {
    const DeviceDialog normal(false);
    ASSERT_EQ(normal.Form().ComPortItems.size(), 37u);
    EXPECT_EQ(normal.Form().ComPortItems[0], "127.0.0.1");
    EXPECT_EQ(normal.Form().ComPortItems[1], "\\\\.\\COM1");
    EXPECT_EQ(normal.Form().ComPortItems[36], "\\\\.\\COM36");
    EXPECT_EQ(normal.Form().ComPort, "\\\\.\\COM1");
    EXPECT_EQ(normal.Form().BaudRateItems.front(), "115200");
    EXPECT_EQ(normal.Form().BaudRateItems.back(), "300");
    EXPECT_EQ(normal.Form().ParityItems, (std::vector<std::string>{"E", "O", "N", "M", "S"}));
    const DeviceDialog configurator(true);
    ASSERT_EQ(configurator.Form().ComPortItems.size(), 32u);
    EXPECT_EQ(configurator.Form().ComPortItems[1], "/dev/ttyS0");
    EXPECT_EQ(configurator.Form().ComPortItems[31], "/dev/ttyS30");
    EXPECT_EQ(configurator.Form().ComPort, "/dev/ttyS0");
}

TEST(DeviceDialog, NamesTheStationFilesCannotHoldKeepTheDialogOpen) {
    DeviceDialog dialog(false);
    dialog.BeforeShowOptionsUstr(1, StationTable{}, ServerSettings{});
    DeviceDialogForm& f = dialog.Form();
    EXPECT_EQ(dialog.Check(), "");
    f.NameKP = "A,B";
    EXPECT_EQ(dialog.Check(), "«Имя устройства»: символ «,» в имени недопустим");
    f.NameKP = "  ";
    EXPECT_EQ(dialog.Check(), "«Имя устройства»: имя не задано");
    f.NameKP = "ПС №5 «Юг»";  // all of it in Windows-1251
    EXPECT_EQ(dialog.Check(), "");
    f.NameKP = "Подстанция Ω";
    EXPECT_EQ(dialog.Check(), "«Имя устройства»: символ «Ω» не представим в кодировке Windows-1251");
    f.NameKP = "ok";
    f.ComPort = "COM1\n";
    EXPECT_EQ(dialog.Check(),
              "«COM-порт или IP-адрес»: управляющий символ (перевод строки, табуляция) недопустим");
    f.ComPort = "COM1";
    f.measured.SetCell(3, 1, "U \"ab\"");
    EXPECT_EQ(dialog.Check(), "Аналоговые значения (Телеизмерения), строка 3, «Имя»: символ «\"» в имени недопустим");
    f.measured.SetCell(3, 1, "");
    f.status.SetCell(2, 1, "Q,1 Ü");
    EXPECT_EQ(dialog.Check(),
              "Дискретные значения (Телесигналы), строка 2, «Имя»: символ «Ü» не представим в кодировке Windows-1251");
    f.status.SetCell(2, 1, "Q,1");  // a comma inside the quotes of a TS line is fine
    EXPECT_EQ(dialog.Check(), "");
}

TEST(NameCheck, Windows1251AndTheLineSyntax) {
    EXPECT_EQ(NameProblem("Ёё №€", NameUse::Signal), "");
    EXPECT_EQ(NameProblem("", NameUse::Signal), "");
    EXPECT_EQ(NameProblem("", NameUse::Station), "имя не задано");
    EXPECT_EQ(NameProblem("a\"b", NameUse::Station), "символ «\"» в имени недопустим");
    EXPECT_EQ(NameProblem("a\tb", NameUse::Signal), "управляющий символ (перевод строки, табуляция) недопустим");
    EXPECT_EQ(NameProblem("a\xC2\x98", NameUse::Signal), "управляющий символ (перевод строки, табуляция) недопустим");
    EXPECT_EQ(NameProblem("\xFF", NameUse::Signal), "недопустимая последовательность байтов");
    EXPECT_EQ(NameProblem("\xD0", NameUse::Signal), "недопустимая последовательность байтов");
    EXPECT_EQ(NameProblem("😀", NameUse::Signal), "символ «😀» не представим в кодировке Windows-1251");
}

}  // namespace
}  // namespace iec
