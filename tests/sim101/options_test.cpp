#include "sim101/options.h"

#include <gtest/gtest.h>

#include "sim101/point_entry.h"

namespace iec::sim {
namespace {

std::optional<std::string> NoFiles(const std::string&) { return std::nullopt; }

std::optional<std::string> OneFile(const std::string& path) {
    if (path != "line.cfg") return std::nullopt;
    return std::string("# two stations\nsizes 2,2,2,3\r\nstation 300:4000\n  point M_ME_TF:70000=1.5,iv\n\n"
                       "station 301\npoint C_DC_NA:9>70000,sbo\n");
}

std::string Parse(std::vector<std::string> args, ProgramOptions& o) { return ParseOptions(args, o, &OneFile); }

TEST(Options, LineAndWidths) {
    ProgramOptions o;
    EXPECT_EQ(Parse({"--tcp", "0", "--link-size", "2", "--object-size", "3", "--single-char"}, o), "");
    EXPECT_EQ(o.transport, Transport::Tcp);
    EXPECT_EQ(o.tcp_port, 0);
    EXPECT_EQ(o.line.widths.link, 2);
    EXPECT_EQ(o.line.widths.object, 3);
    EXPECT_TRUE(o.line.link.single_char);

    ProgramOptions d;
    EXPECT_EQ(Parse({"/dev/ttyUSB0", "--baud", "19200", "--parity", "N"}, d), "");
    EXPECT_EQ(d.transport, Transport::Device);
    EXPECT_EQ(d.device, "/dev/ttyUSB0");
    EXPECT_EQ(d.baud, 19200);
    EXPECT_EQ(d.parity, 'N');
}

TEST(Options, StationsPointsAndFaults) {
    ProgramOptions o;
    EXPECT_EQ(Parse({"--pty", "--station", "5", "--point", "M_SP_NA:1-3=on", "--station", "6:60", "--point",
                     "M_ST_TB:7=-3,t,sb", "--point", "C_SC_NA:16385>1,refuse", "--spont-rate", "2.5", "--delay",
                     "300", "--silent", "--unknown-object-cause", "7"},
                    o),
              "");
    ASSERT_EQ(o.line.stations.size(), 2u);
    EXPECT_EQ(o.line.stations[0].common_address, 5u);
    EXPECT_EQ(o.line.stations[0].points.size(), 3u);
    EXPECT_EQ(o.line.stations[0].points[2].address, 3u);
    EXPECT_EQ(o.line.stations[0].points[2].value, 1);
    EXPECT_EQ(o.line.stations[1].common_address, 60u);
    const Point& step = o.line.stations[1].points[0];
    EXPECT_EQ(step.type->code, 32);
    EXPECT_EQ(step.value, -3);
    EXPECT_TRUE(step.transient);
    EXPECT_EQ(step.quality, quality::kSubstituted);
    ASSERT_EQ(o.line.stations[1].commands.size(), 1u);
    EXPECT_EQ(o.line.stations[1].commands[0].reflect, 1u);
    EXPECT_TRUE(o.line.stations[1].commands[0].refuse);
    EXPECT_EQ(o.line.application.spontaneous_per_second, 2.5);
    EXPECT_EQ(o.faults.delay_ms, 300);
    EXPECT_TRUE(o.faults.silent);
    EXPECT_EQ(o.line.application.unknown_object_cause, 7);
}

TEST(Options, ConfigurationFileUsesTheSameWords) {
    ProgramOptions o;
    EXPECT_EQ(Parse({"--tcp", "2404", "--config", "line.cfg"}, o), "");
    EXPECT_EQ(o.line.widths.cause, 2);
    ASSERT_EQ(o.line.stations.size(), 2u);
    EXPECT_EQ(o.line.stations[0].link_address, 300u);
    EXPECT_EQ(o.line.stations[0].common_address, 4000u);
    EXPECT_EQ(o.line.stations[0].points[0].address, 70000u);
    EXPECT_EQ(o.line.stations[0].points[0].quality, quality::kInvalid);
    EXPECT_TRUE(o.line.stations[1].commands[0].select_required);
    EXPECT_EQ(ValidateLineConfig(o.line), "");
}

TEST(Options, ErrorsNameTheProblem) {
    auto error = [](std::vector<std::string> args) {
        ProgramOptions o;
        return ParseOptions(args, o, &NoFiles);
    };
    EXPECT_EQ(error({"--point", "M_SP_NA:1"}), "point M_SP_NA:1 comes before any station");
    EXPECT_EQ(error({"--link-size", "3"}), "bad value '3' for link-size");
    EXPECT_EQ(error({"--tcp"}), "option tcp needs a value");
    EXPECT_EQ(error({"--frobnicate"}), "unknown option 'frobnicate' (see --help)");
    EXPECT_EQ(error({"--config", "x"}), "cannot read configuration file x");
    EXPECT_EQ(error({"--station", "1", "--point", "M_XX_NA:1"}), "unknown type 'M_XX_NA'");
    EXPECT_EQ(error({"--station", "1", "--point", "M_SP_NA:1=2"}), "bad value in 'M_SP_NA:1=2'");
    EXPECT_EQ(error({"--station", "1", "--point", "M_SP_NA:5-1"}), "bad address in 'M_SP_NA:5-1'");
    EXPECT_EQ(error({"--station", "1", "--point", "M_SP_NA:1-20000"}), "more than 10000 points in 'M_SP_NA:1-20000'");
    EXPECT_EQ(error({"--station", "1", "--point", "M_SP_NA:1,xx"}), "unknown point flag 'xx'");
    EXPECT_EQ(error({"--station", "1", "--point", "C_EP_XX:1"}), "unknown type 'C_EP_XX'");
    EXPECT_EQ(error({"--station", "1", "--point", "103:1"}), "type 103 cannot be simulated");
    std::vector<std::string> many{"--station", "1"};
    for (int i = 0; i < 7; ++i) {
        many.push_back("--point");
        many.push_back("M_SP_NA:" + std::to_string(i * 10000) + "-" + std::to_string(i * 10000 + 9999));
    }
    EXPECT_EQ(error(many), "more than 65536 points in a station");
    ProgramOptions o;
    EXPECT_EQ(ParseConfigText("station 1\npoint M_SP_NA:1 extra\n", o), "line 2: too many words");
    EXPECT_EQ(ParseConfigText("config other.cfg\n", o), "line 1: a configuration file cannot name another");
}

TEST(Options, HelpAndDemo) {
    ProgramOptions o;
    EXPECT_EQ(Parse({"--help"}, o), "");
    EXPECT_TRUE(o.help);
    EXPECT_NE(HelpText().find("silence on|off"), std::string::npos);
    LineConfig c;
    c.stations.push_back(DemoStation());
    EXPECT_EQ(ValidateLineConfig(c), "");
    EXPECT_GE(c.stations[0].points.size(), 10u);
}

TEST(PointValues, Words) {
    EXPECT_EQ(ParsePointValue("on", PointKind::Double), 2);
    EXPECT_EQ(ParsePointValue("off", PointKind::Double), 1);
    EXPECT_EQ(ParsePointValue("0xFFFFFFFF", PointKind::Bitstring), 4294967295.0);
    EXPECT_EQ(ParsePointValue("0x1FFFFFFFF", PointKind::Bitstring), std::nullopt);
    EXPECT_EQ(ParsePointValue("-0.25", PointKind::Normalized), -0.25);
    EXPECT_EQ(ParsePointValue("1,5", PointKind::Float), std::nullopt);
    EXPECT_EQ(ParsePointValue("", PointKind::Float), std::nullopt);
}

}  // namespace
}  // namespace iec::sim
