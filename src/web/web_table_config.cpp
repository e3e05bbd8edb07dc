// The configuration page: one row per station with its link parameters and publication switches.
#include <string>

#include "web/web_pages.h"

namespace iec {

namespace {

std::string ConfigRow(int n, const WebStation& s) {
    const TIecDeviceVV& vv = s.IecDeviceVV;
    std::string row = TableRowStart(n);
    row += TableCell(std::to_string(n));
    row += TableCell(HtmlText(s.NameKP));
    row += TableCell(HtmlText(vv.ComPort));
    row += TableCell(HtmlText(vv.Parity));
    row += TableCell(std::to_string(vv.BaudRate));
    row += TableCell(std::to_string(vv.LinkAddress));
    row += TableCell(std::to_string(vv.sz_LinkAddress));
    row += TableCell(std::to_string(vv.sz_ASDUAddress));
    row += TableCell(std::to_string(vv.sz_InfObjAddress));
    row += TableCell(std::to_string(vv.sz_PrichinaPeredachi));
    row += TableCell(std::to_string(vv.bit_QU));
    row += TableCell(s.Connected ? "Есть" : "Нет");
    row += TableCell(std::to_string(s.Kol_TI));
    row += TableCell(std::to_string(s.Kol_TS));
    row += TableCell(std::to_string(s.Popravka_Time));
    row += TableCell(s.PereschetTI ? "Пересчитывать" : "Не пересчитывать");
    row += TableCell(s.Time_To_OPC ? "Да" : "Нет");
    row += "</tr>";
    return row;
}

}  // namespace

void Web_Table_Config(const WebDataSource& data, WebLines& lines) {
    lines.insert(lines.end(), {"</div>", "</section>", "<section class=\"row-2\">", "<div class=\"container_12\">",
                               "<table>",
                               "<tr><th>№</th><th>Имя КП</th><th>Порт</th><th>Четность</th><th>Скорость</th>"
                               "<th>Адрес КП</th><th>Размер LinkAddress</th><th>Размер ASDUAddress</th>"
                               "<th>Размер ObjAddress</th><th>Размер причины передачи</th>"
                               "<th>Биты 3-7 QU байта команды упр-я 45 C_SC_NA</th><th>Соединение</th>"
                               "<th>Кол-во ТИ</th><th>Кол-во ТС</th><th>Поправка времени</th>"
                               "<th>Пересчитывать в инженерные ед.</th><th>Передавать метку времени по ОРС</th></tr>"});
    const int count = data.StationCount();
    for (int i = 1; i <= count; ++i) {
        const std::optional<WebStation> s = data.Station(i);
        // A station that vanished between the count and the read is left out rather than shown empty.
        if (!s) continue;
        lines.push_back(ConfigRow(i, *s));
    }
    lines.push_back("</table>");
}

}  // namespace iec
