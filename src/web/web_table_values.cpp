// The value pages: measured values (titek.php) and status signals (tstek.php) of every polling thread, filtered
// by the station chosen in the selector.
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "platform/number_text.h"
#include "web/web_pages.h"
#include "web/web_query.h"

namespace iec {

namespace {

constexpr int kStationIdBase = 1000;  // FsstID = 1000 + station number

// Stations 1..count read once per page; element 0 stays empty.
std::vector<std::optional<WebStation>> ReadStations(const WebDataSource& data) {
    const int count = data.StationCount();
    std::vector<std::optional<WebStation>> stations(count > 0 ? static_cast<size_t>(count) + 1 : 1);
    for (int i = 1; i < static_cast<int>(stations.size()); ++i) stations[static_cast<size_t>(i)] = data.Station(i);
    return stations;
}

const WebStation* StationAt(const std::vector<std::optional<WebStation>>& stations, int number) {
    if (number < 1 || number >= static_cast<int>(stations.size())) return nullptr;
    const std::optional<WebStation>& s = stations[static_cast<size_t>(number)];
    return s ? &*s : nullptr;
}

void AddSelector(const std::vector<std::optional<WebStation>>& stations, bool ti, const WebQuery& query,
                 WebLines& lines) {
    lines.push_back(ti ? "<FORM ACTION=titek.php METHOD=GET>" : "<FORM ACTION=tstek.php METHOD=GET>");
    lines.push_back("<h7>Выберите устройство</h7>");
    lines.push_back("<SELECT NAME=p_ti>");
    lines.push_back(query.Empty() || query.Is("p_ti=all") ? "<OPTION selected value = all>Все"
                                                          : "<OPTION value = all>Все");
    for (size_t i = 1; i < stations.size(); ++i) {
        if (!stations[i]) continue;
        const std::string& name = stations[i]->NameKP;
        std::string line = query.Is("p_ti", name) ? "<OPTION selected value = " : "<OPTION value = ";
        line += HtmlAttrValue(name);
        line += '>';
        line += HtmlText(name);
        lines.push_back(std::move(line));
    }
    lines.insert(lines.end(), {"</SELECT>", "<INPUT TYPE=submit VALUE=\"Отобразить данные!\">", "</FORM>", "</div>",
                               "</section>", "<section class=\"row-2\">", "<div class=\"container_12\">", "<table>"});
}

// The last station whose name the query selects, 0 when none does.
int SelectedStation(const std::vector<std::optional<WebStation>>& stations, const WebQuery& query) {
    int selected = 0;
    for (size_t i = 1; i < stations.size(); ++i) {
        if (stations[i] && (query.Is("p_ti", stations[i]->NameKP) || query.Is("p_ts", stations[i]->NameKP))) {
            selected = static_cast<int>(i);
        }
    }
    return selected;
}

std::string TimeCell(DateTime time, int correction_hours) {
    if (!(time.days() > 1.0)) return TableCell("");
    return TableCell((time + correction_hours * DateTime::kOneHour).FormatDisplay());
}

std::string QualityText(uint8_t quality) {
    return quality == 255 ? std::string("Не инициализир.") : std::to_string(quality);
}

std::string EngineeringText(const WebSignal& s, const WebStation& station) {
    if (!station.PereschetTI) return FormatReal(s.real);
    // Stations send counts; the configured range maps whole counts.
    const double raw = std::trunc(s.real);
    return FormatReal(s.RawToEng ? s.RawToEng(raw) : raw);
}

std::string Row(int n, const WebSignal& s, const WebStation* station, int station_number, bool ti,
                int correction_hours) {
    std::string row = TableRowStart(n);
    row.reserve(256);
    row += TableCell(std::to_string(n));
    row += TableCell(station_number > 0 && station ? HtmlText(station->NameKP) : std::string());
    row += TableCell(HtmlText(s.Name));
    row += TableCell(std::to_string(s.FSigASDUAddr));
    row += TableCell(std::to_string(s.FSigObjAddr));
    const bool connected = station && station->Connected;
    if (ti) {
        row += TableCell(FormatReal(s.real));
        row += TableCell(QualityText(s.quality));
        if (station_number > 0) {
            row += TableCell(connected ? EngineeringText(s, *station) : std::string("Нет соединения"));
        }
    } else {
        if (station_number > 0) {
            row += TableCell(connected ? std::to_string(s.value) : std::string("Нет соединения"));
        }
        row += TableCell(QualityText(s.quality));
    }
    row += TimeCell(s.time, correction_hours);
    row += "</tr>";
    return row;
}

}  // namespace

void Web_Table_TsTit(const WebDataSource& data, std::string_view kind, std::string_view query, WebLines& lines) {
    const bool ti = kind == "ti";
    const WebQuery q(query);
    const std::vector<std::optional<WebStation>> stations = ReadStations(data);

    AddSelector(stations, ti, q, lines);
    lines.push_back(ti ? "<th>№</th><th>Имя КП</th><th>Имя ТИ</th><th>ASDU</th><th>Адр. IOA</th>"
                         "<th>Значение физическое</th><th>Байт качества</th><th>Значение инженерное</th>"
                         "<th>Метка времени МЭК</th>"
                       : "<th>№</th><th>Имя КП</th><th>Имя ТC</th><th>Адрес ASDU</th><th>Адрес IOA</th>"
                         "<th>Значение</th><th>Байт качества</th><th>Метка времени МЭК</th>");

    const int selected = SelectedStation(stations, q);
    const bool every_station = q.Empty() || q.Is("p_ti=all");
    const bool limited = q.Empty();
    // Time stamps are shown in the time of the station chosen in the operator window.
    const WebStation* chosen = StationAt(stations, data.Sel_KP_Index() + 1);
    const int correction = chosen ? chosen->Popravka_Time : 0;

    int n = 0;
    bool withheld = false;
    data.ForEachSignal([&](const WebSignal& s) {
        if (s.Fst != (ti ? stTIT : stTS)) return;
        if (!every_station && !(selected > 0 && s.FsstID == kStationIdBase + selected)) return;
        ++n;
        if (limited && n >= kWebRowLimit) {
            withheld = true;
            return;
        }
        // Identifiers below the base name no station (and never overflow the subtraction).
        const int station_number = s.FsstID > kStationIdBase ? s.FsstID - kStationIdBase : 0;
        lines.push_back(Row(n, s, StationAt(stations, station_number), station_number, ti, correction));
    });
    if (withheld) lines.push_back("<a href=\"titek.php?p_ti=all\" class=\"button\">Показать все данные</a>");
    lines.push_back("</table>");
}

}  // namespace iec
