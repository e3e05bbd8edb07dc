// The value tables of titek.php and tstek.php: selector, header, rows and their cells, the row limit.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fake_web_data.h"
#include "web/web_pages.h"

namespace iec {
namespace {

using ::testing::ElementsAreArray;
using test::FakeWebData;

const std::string kTiHeader =
    "<th>№</th><th>Имя КП</th><th>Имя ТИ</th><th>ASDU</th><th>Адр. IOA</th><th>Значение физическое</th>"
    "<th>Байт качества</th><th>Значение инженерное</th><th>Метка времени МЭК</th>";
const std::string kTsHeader =
    "<th>№</th><th>Имя КП</th><th>Имя ТC</th><th>Адрес ASDU</th><th>Адрес IOA</th><th>Значение</th>"
    "<th>Байт качества</th><th>Метка времени МЭК</th>";
const std::string kAllLink = "<a href=\"titek.php?p_ti=all\" class=\"button\">Показать все данные</a>";

WebLines Table(const FakeWebData& data, std::string_view kind, std::string_view query) {
    WebLines lines;
    Web_Table_TsTit(data, kind, query, lines);
    return lines;
}

// The lines after "<table>".
WebLines Rows(const WebLines& lines) {
    const auto table = std::find(lines.begin(), lines.end(), "<table>");
    return table == lines.end() ? WebLines{} : WebLines(table + 1, lines.end());
}

std::vector<std::string> Options(const WebLines& lines) {
    std::vector<std::string> options;
    for (const std::string& l : lines) {
        if (l.starts_with("<OPTION")) options.push_back(l);
    }
    return options;
}

// Two stations with a measured value and a status signal each; station 2 is down.
FakeWebData TwoStations() {
    FakeWebData d;
    d.AddStation("KP1");
    d.AddStation("KP2", false);
    WebSignal& u = d.AddSignal(1, stTIT, "U1", 101);
    u.real = 1234.5;
    u.quality = 0;
    u.time = DateTime::Compose({2024, 3, 5, 7, 8, 9, 45});
    d.AddSignal(1, stTS, "Q1", 201).value = 1;
    WebSignal& i2 = d.AddSignal(2, stTIT, "I2", 102);
    i2.real = 0.25;
    i2.quality = 128;
    WebSignal& q2 = d.AddSignal(2, stTS, "Q2", 202);
    q2.value = 1;
    q2.quality = 0;
    return d;
}

TEST(ValueTable, MeasuredValuesOfEveryStationLineByLine) {
    const FakeWebData d = TwoStations();
    EXPECT_THAT(Table(d, "ti", ""),
                ElementsAreArray(WebLines{
                    "<FORM ACTION=titek.php METHOD=GET>",
                    "<h7>Выберите устройство</h7>",
                    "<SELECT NAME=p_ti>",
                    "<OPTION selected value = all>Все",
                    "<OPTION value = KP1>KP1",
                    "<OPTION value = KP2>KP2",
                    "</SELECT>",
                    "<INPUT TYPE=submit VALUE=\"Отобразить данные!\">",
                    "</FORM>",
                    "</div>",
                    "</section>",
                    "<section class=\"row-2\">",
                    "<div class=\"container_12\">",
                    "<table>",
                    kTiHeader,
                    "<tr class=\"even\" ><td>1</td><td>KP1</td><td>U1</td><td>1</td><td>101</td><td>1234.5</td>"
                    "<td>0</td><td>1234.5</td><td>05.03.2024 07:08:09.045</td></tr>",
                    "<tr class=\"odd\" ><td>2</td><td>KP2</td><td>I2</td><td>2</td><td>102</td><td>0.25</td>"
                    "<td>128</td><td>Нет соединения</td><td></td></tr>",
                    "</table>",
                }));
}

TEST(ValueTable, StatusSignalsLineByLine) {
    const FakeWebData d = TwoStations();
    const WebLines lines = Table(d, "ts", "");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "<FORM ACTION=tstek.php METHOD=GET>");
    EXPECT_EQ(lines[2], "<SELECT NAME=p_ti>");
    EXPECT_THAT(Rows(lines), ElementsAreArray(WebLines{
                                 kTsHeader,
                                 "<tr class=\"even\" ><td>1</td><td>KP1</td><td>Q1</td><td>1</td><td>201</td>"
                                 "<td>1</td><td>Не инициализир.</td><td></td></tr>",
                                 "<tr class=\"odd\" ><td>2</td><td>KP2</td><td>Q2</td><td>2</td><td>202</td>"
                                 "<td>Нет соединения</td><td>0</td><td></td></tr>",
                                 "</table>",
                             }));
}

TEST(ValueTable, EngineeringValueWithRescalingTruncatesTheRawCount) {
    FakeWebData d;
    d.AddStation("KP1").PereschetTI = true;
    WebSignal& s = d.AddSignal(1, stTIT, "P", 1);
    s.real = 100.9;
    s.quality = 0;
    s.RawToEng = [](double raw) { return raw * 0.5 + 0.125; };
    WebSignal& plain = d.AddSignal(1, stTIT, "Q", 2);  // no conversion configured: the count itself
    plain.real = -7.75;
    plain.quality = 0;
    const WebLines rows = Rows(Table(d, "ti", "p_ti=all"));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1],
              "<tr class=\"even\" ><td>1</td><td>KP1</td><td>P</td><td>1</td><td>1</td><td>100.9</td><td>0</td>"
              "<td>50.125</td><td></td></tr>");
    EXPECT_EQ(rows[2],
              "<tr class=\"odd\" ><td>2</td><td>KP1</td><td>Q</td><td>1</td><td>2</td><td>-7.75</td><td>0</td>"
              "<td>-7</td><td></td></tr>");
}

TEST(ValueTable, GeneralNumberFormat) {
    FakeWebData d;
    d.AddStation("KP1");
    const double values[] = {0.1 + 0.2, 1e20, 1.5e-6, -0.0};
    for (double v : values) d.AddSignal(1, stTIT, "X", 1).real = v;
    const WebLines rows = Rows(Table(d, "ti", ""));
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_NE(rows[1].find("<td>0.3</td>"), std::string::npos) << rows[1];
    EXPECT_NE(rows[2].find("<td>1E20</td>"), std::string::npos) << rows[2];
    EXPECT_NE(rows[3].find("<td>1.5E-6</td>"), std::string::npos) << rows[3];
    EXPECT_NE(rows[4].find("<td>0</td><td>Не инициализир.</td>"), std::string::npos) << rows[4];
}

TEST(ValueTable, TimeStampCorrectedByTheOperatorsStation) {
    FakeWebData d;
    d.AddStation("KP1").Popravka_Time = 3;
    d.AddStation("KP2").Popravka_Time = -2;
    d.AddSignal(1, stTS, "A", 1).time = DateTime::Compose({2024, 12, 31, 23, 30, 0, 5});
    d.AddSignal(2, stTS, "B", 2).time = DateTime(1.0);  // one day exactly is no time stamp
    d.AddSignal(2, stTS, "C", 3).time = DateTime(1.5);
    d.selected = 1;  // the second station: its correction applies to every row
    const WebLines rows = Rows(Table(d, "ts", ""));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_TRUE(rows[1].ends_with("<td>31.12.2024 21:30:00.005</td></tr>")) << rows[1];
    EXPECT_TRUE(rows[2].ends_with("<td>Не инициализир.</td><td></td></tr>")) << rows[2];
    EXPECT_TRUE(rows[3].ends_with("<td>31.12.1899 10:00:00.000</td></tr>")) << rows[3];

    d.selected = 0;
    EXPECT_TRUE(Rows(Table(d, "ts", ""))[1].ends_with("<td>01.01.2025 02:30:00.005</td></tr>"));
    d.selected = 7;  // no such station: no correction
    EXPECT_TRUE(Rows(Table(d, "ts", ""))[1].ends_with("<td>31.12.2024 23:30:00.005</td></tr>"));
}

TEST(ValueTable, SignalWithoutStationHasNoConnectionCell) {
    FakeWebData d;
    d.AddStation("KP1");
    WebSignal& s = d.AddSignal(0, stTIT, "Orphan", 5);
    s.FsstID = 999;
    s.real = 2;
    d.AddSignal(5, stTIT, "Beyond", 6).real = 3;  // a station number past the table: nothing known about it
    const WebLines rows = Rows(Table(d, "ti", ""));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1],
              "<tr class=\"even\" ><td>1</td><td></td><td>Orphan</td><td>0</td><td>5</td><td>2</td>"
              "<td>Не инициализир.</td><td></td></tr>");
    EXPECT_EQ(rows[2],
              "<tr class=\"odd\" ><td>2</td><td></td><td>Beyond</td><td>5</td><td>6</td><td>3</td>"
              "<td>Не инициализир.</td><td>Нет соединения</td><td></td></tr>");
}

TEST(ValueTable, OnlyTheKindOfThePage) {
    const FakeWebData d = TwoStations();
    FakeWebData more = d;
    more.AddSignal(1, stTIM, "T", 9);
    more.AddSignal(1, stKP, "K", 9);
    EXPECT_EQ(Rows(Table(more, "ti", "")), Rows(Table(d, "ti", "")));
    EXPECT_EQ(Rows(Table(more, "ts", "")), Rows(Table(d, "ts", "")));
}

FakeWebData ManyValues(int n) {
    FakeWebData d;
    d.AddStation("KP1");
    for (int i = 1; i <= n; ++i) d.AddSignal(1, stTIT, "V" + std::to_string(i), i);
    return d;
}

TEST(ValueTable, WithoutQueryRowsStopBelow420AndLinkToAll) {
    const WebLines rows = Rows(Table(ManyValues(500), "ti", ""));
    ASSERT_EQ(rows.size(), 1u + 419u + 2u);
    EXPECT_TRUE(rows[419].starts_with("<tr class=\"even\" ><td>419</td>")) << rows[419];
    EXPECT_EQ(rows[420], kAllLink);
    EXPECT_EQ(rows[421], "</table>");

    const WebLines ts_rows = Rows(Table(ManyValues(500), "ts", ""));
    EXPECT_EQ(ts_rows.size(), 2u);  // no status signals: no link either
}

TEST(ValueTable, LimitOnTheStatusPageToo) {
    FakeWebData d;
    d.AddStation("KP1");
    for (int i = 1; i <= 420; ++i) d.AddSignal(1, stTS, "S", i);
    const WebLines rows = Rows(Table(d, "ts", ""));
    ASSERT_EQ(rows.size(), 1u + 419u + 2u);
    EXPECT_EQ(rows[420], kAllLink);
}

TEST(ValueTable, Exactly419RowsNeedNoLink) {
    const WebLines rows = Rows(Table(ManyValues(419), "ti", ""));
    ASSERT_EQ(rows.size(), 1u + 419u + 1u);
    EXPECT_EQ(rows.back(), "</table>");
    EXPECT_TRUE(rows[419].starts_with("<tr class=\"even\" ><td>419</td>"));
}

TEST(ValueTable, AllShowsEveryRowWithoutLink) {
    const WebLines lines = Table(ManyValues(500), "ti", "p_ti=all");
    EXPECT_EQ(Options(lines).front(), "<OPTION selected value = all>Все");
    const WebLines rows = Rows(lines);
    ASSERT_EQ(rows.size(), 1u + 500u + 1u);
    EXPECT_TRUE(rows[500].starts_with("<tr class=\"odd\" ><td>500</td>"));
    EXPECT_EQ(std::count(rows.begin(), rows.end(), kAllLink), 0);
}

TEST(ValueTable, StationQuerySelectsItsOptionAndRows) {
    const FakeWebData d = TwoStations();
    const WebLines lines = Table(d, "ti", "p_ti=KP2");
    EXPECT_THAT(Options(lines), ElementsAreArray(WebLines{"<OPTION value = all>Все", "<OPTION value = KP1>KP1",
                                                  "<OPTION selected value = KP2>KP2"}));
    const WebLines rows = Rows(lines);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[1].starts_with("<tr class=\"even\" ><td>1</td><td>KP2</td><td>I2</td>")) << rows[1];
    // The status page's own key selects rows too, though only p_ti marks an option.
    const WebLines ts = Table(d, "ts", "p_ts=KP1");
    EXPECT_EQ(Options(ts)[1], "<OPTION value = KP1>KP1");
    EXPECT_EQ(Rows(ts).size(), 3u);
    EXPECT_NE(Rows(ts)[1].find("<td>Q1</td>"), std::string::npos);
}

TEST(ValueTable, UnknownStationGivesEmptyTableAndNoSelection) {
    const FakeWebData d = TwoStations();
    for (const char* query : {"p_ti=KP9", "p_ti=", "x=1", "p_ti=all&x=1", "p_ti=kp1"}) {
        const WebLines lines = Table(d, "ti", query);
        for (const std::string& o : Options(lines)) EXPECT_EQ(o.find("selected"), std::string::npos) << query;
        EXPECT_THAT(Rows(lines), ElementsAreArray(WebLines{kTiHeader, std::string("</table>")})) << query;
    }
}

TEST(ValueTable, SameNameTwiceMarksBothAndShowsTheLater) {
    FakeWebData d;
    d.AddStation("Twin");
    d.AddStation("Twin");
    d.AddSignal(1, stTIT, "First", 1);
    d.AddSignal(2, stTIT, "Second", 2);
    const WebLines lines = Table(d, "ti", "p_ti=Twin");
    EXPECT_THAT(Options(lines), ElementsAreArray(WebLines{"<OPTION value = all>Все", "<OPTION selected value = Twin>Twin",
                                                  "<OPTION selected value = Twin>Twin"}));
    const WebLines rows = Rows(lines);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_NE(rows[1].find("<td>Second</td>"), std::string::npos);
}

TEST(ValueTable, CyrillicNameSelectedAsBrowsersSendIt) {
    FakeWebData d;
    d.AddStation("ПС Северная");
    d.AddStation("КП2");
    d.AddSignal(1, stTIT, "U", 1);
    d.AddSignal(2, stTIT, "I", 2);
    // The form of a Windows-1251 page: code page octets, "+" for the blank.
    const WebLines form = Table(d, "ti", "p_ti=%CF%D1+%D1%E5%E2%E5%F0%ED%E0%FF");
    EXPECT_EQ(Options(form)[1], "<OPTION selected value = \"ПС Северная\">ПС Северная");
    ASSERT_EQ(Rows(form).size(), 3u);
    EXPECT_NE(Rows(form)[1].find("<td>U</td>"), std::string::npos);
    // A typed address: UTF-8.
    const WebLines typed = Table(d, "ti", "p_ti=%D0%9A%D0%9F2");
    EXPECT_EQ(Options(typed)[2], "<OPTION selected value = КП2>КП2");
    ASSERT_EQ(Rows(typed).size(), 3u);
    EXPECT_NE(Rows(typed)[1].find("<td>I</td>"), std::string::npos);
}

TEST(ValueTable, NamesAreEscaped) {
    FakeWebData d;
    d.AddStation("A<b>&\"c\"");
    d.AddSignal(1, stTS, "<script>", 1);
    const WebLines lines = Table(d, "ts", "");
    EXPECT_EQ(Options(lines)[1], "<OPTION value = \"A&lt;b&gt;&amp;&quot;c&quot;\">A&lt;b&gt;&amp;\"c\"");
    EXPECT_NE(Rows(lines)[1].find("<td>A&lt;b&gt;&amp;\"c\"</td><td>&lt;script&gt;</td>"), std::string::npos);
}

}  // namespace
}  // namespace iec
