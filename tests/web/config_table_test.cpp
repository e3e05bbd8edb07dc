// The configuration table of config.php.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fake_web_data.h"
#include "web/web_pages.h"

namespace iec {
namespace {

using ::testing::ElementsAreArray;
using test::FakeWebData;

TEST(ConfigTable, LineByLine) {
    FakeWebData d;
    WebStation& a = d.AddStation("KP1");
    a.IecDeviceVV.ComPort = "\\\\.\\COM3";
    a.IecDeviceVV.Parity = "E";
    a.IecDeviceVV.BaudRate = 19200;
    a.IecDeviceVV.LinkAddress = 7;
    a.IecDeviceVV.sz_LinkAddress = 2;
    a.IecDeviceVV.sz_ASDUAddress = 2;
    a.IecDeviceVV.sz_InfObjAddress = 3;
    a.IecDeviceVV.sz_PrichinaPeredachi = 2;
    a.IecDeviceVV.bit_QU = 1;
    a.Kol_TI = 12;
    a.Kol_TS = 34;
    a.Popravka_Time = -3;
    a.PereschetTI = true;
    a.Time_To_OPC = true;
    WebStation& b = d.AddStation("КП Юг", false);
    b.IecDeviceVV.ComPort = "10.0.0.5";
    WebLines lines;
    Web_Table_Config(d, lines);
    EXPECT_THAT(lines,
                ElementsAreArray(WebLines{
                    "</div>",
                    "</section>",
                    "<section class=\"row-2\">",
                    "<div class=\"container_12\">",
                    "<table>",
                    "<tr><th>№</th><th>Имя КП</th><th>Порт</th><th>Четность</th><th>Скорость</th><th>Адрес КП</th>"
                    "<th>Размер LinkAddress</th><th>Размер ASDUAddress</th><th>Размер ObjAddress</th>"
                    "<th>Размер причины передачи</th><th>Биты 3-7 QU байта команды упр-я 45 C_SC_NA</th>"
                    "<th>Соединение</th><th>Кол-во ТИ</th><th>Кол-во ТС</th><th>Поправка времени</th>"
                    "<th>Пересчитывать в инженерные ед.</th><th>Передавать метку времени по ОРС</th></tr>",
                    "<tr class=\"even\" ><td>1</td><td>KP1</td><td>\\\\.\\COM3</td><td>E</td><td>19200</td>"
                    "<td>7</td><td>2</td><td>2</td><td>3</td><td>2</td><td>1</td><td>Есть</td><td>12</td>"
                    "<td>34</td><td>-3</td><td>Пересчитывать</td><td>Да</td></tr>",
                    "<tr class=\"odd\" ><td>2</td><td>КП Юг</td><td>10.0.0.5</td><td>N</td><td>9600</td>"
                    "<td>1</td><td>1</td><td>1</td><td>2</td><td>1</td><td>0</td><td>Нет</td><td>0</td>"
                    "<td>0</td><td>0</td><td>Не пересчитывать</td><td>Нет</td></tr>",
                    "</table>",
                }));
}

TEST(ConfigTable, NoStationsGiveHeaderOnly) {
    FakeWebData d;
    WebLines lines;
    Web_Table_Config(d, lines);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[6], "</table>");
}

TEST(ConfigTable, RowClassesAlternate) {
    FakeWebData d;
    for (int i = 0; i < 5; ++i) d.AddStation("S" + std::to_string(i));
    WebLines lines;
    Web_Table_Config(d, lines);
    ASSERT_EQ(lines.size(), 12u);
    for (int i = 1; i <= 5; ++i) {
        const std::string& row = lines[static_cast<size_t>(5 + i)];
        EXPECT_TRUE(row.starts_with(i % 2 ? "<tr class=\"even\" ><td>" : "<tr class=\"odd\" ><td>")) << row;
        EXPECT_TRUE(row.starts_with(TableRowStart(i) + "<td>" + std::to_string(i) + "</td>")) << row;
    }
}

}  // namespace
}  // namespace iec
