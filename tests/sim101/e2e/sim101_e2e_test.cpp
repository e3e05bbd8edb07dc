// sim101 as users run it: a separate process on a real pseudo-terminal or a loopback TCP port, driven with raw
// frames and its control input. Every wait ends as soon as the expected octets or lines arrive.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>

#include "e2e/sim101_process.h"
#include "hex.h"
#include "platform/number_text.h"

namespace iec::sim::test {
namespace {

const std::vector<std::string> kTwoStations = {"--station", "5",       "--point", "M_SP_NA:1=1", "--point",
                                               "C_SC_NA:16385>1", "--station", "6", "--point", "M_ME_NB:100=7"};

std::vector<std::string> With(std::vector<std::string> line, const std::vector<std::string>& more) {
    line.insert(line.end(), more.begin(), more.end());
    return line;
}

std::string PtyPath(Sim101Process& sim) {
    const std::string ready = sim.WaitLine("ready pty ");
    return ready.empty() ? "" : ready.substr(10);
}

int TcpPort(Sim101Process& sim) {
    const std::string ready = sim.WaitLine("ready tcp 127.0.0.1 ");
    const auto port = ParseInt(ready.empty() ? "" : ready.substr(20));
    return port ? *port : -1;
}

TEST(Sim101Pty, StartUpInterrogationAndCommand) {
    Sim101Process sim(With({"--pty"}, kTwoStations));
    const std::string path = PtyPath(sim);
    ASSERT_FALSE(path.empty());
    RawMaster m = RawMaster::OpenPty(path);

    EXPECT_EQ(m.Ask(Hex("10 40 05 45 16")), "10 00 05 05 16");
    EXPECT_EQ(m.Ask(Hex("10 49 05 4E 16")), "10 0B 05 10 16");
    EXPECT_EQ(m.Ask(Hex("68 09 09 68 73 05 64 01 06 05 00 00 14 FC 16")), "10 20 05 25 16");
    EXPECT_EQ(m.Ask(Fixed("5A 05")), "68 09 09 68 28 05 64 01 07 05 00 00 14 B2 16");
    EXPECT_EQ(m.Ask(Fixed("7A 05")), ToHex(Variable("28 05 01 01 14 05 01 00 01")));
    EXPECT_EQ(m.Ask(Fixed("5A 05")), "68 09 09 68 08 05 64 01 0A 05 00 00 14 95 16");
    EXPECT_EQ(sim.WaitLine("command "), "command link=5 ca=5 type=C_IC_NA cause=6 ioa=0 qoi=20 -> positive");

    // Select and execute of an "off" single command, as our master sends them (0x80 then 0x00).
    EXPECT_EQ(m.Ask(Variable("73 05 2D 01 06 05 01 40 80")), "10 20 05 25 16");
    EXPECT_EQ(m.Ask(Fixed("5A 05")), ToHex(Variable("08 05 2D 01 07 05 01 40 80")));
    EXPECT_EQ(m.Ask(Variable("73 05 2D 01 06 05 01 40 00")), "10 20 05 25 16");
    EXPECT_EQ(m.Ask(Fixed("5A 05")), ToHex(Variable("28 05 2D 01 07 05 01 40 00")));
    EXPECT_EQ(m.Ask(Fixed("7A 05")), ToHex(Variable("28 05 01 01 0B 05 01 00 00")));
    EXPECT_EQ(m.Ask(Fixed("5A 05")), ToHex(Variable("08 05 2D 01 0A 05 01 40 00")));
    EXPECT_EQ(sim.WaitLine("command "),
              "command link=5 ca=5 type=C_SC_NA cause=6 ioa=16385 select off qu=0 -> positive");
    EXPECT_EQ(sim.WaitLine("command "),
              "command link=5 ca=5 type=C_SC_NA cause=6 ioa=16385 execute off qu=0 -> positive");

    // The second station on the line answers its own address.
    EXPECT_EQ(m.Ask(Hex("10 40 06 46 16")), "10 00 06 06 16");
}

TEST(Sim101Pty, FaultsOnDemand) {
    Sim101Process sim(With({"--pty"}, kTwoStations));
    RawMaster m = RawMaster::OpenPty(PtyPath(sim));

    // A silent station: its request gets nothing, so the first answer is the next station's.
    sim.Send("silence on 5");
    ASSERT_EQ(sim.WaitLine("ok "), "ok silence on 5");
    m.Write(Hex("10 40 05 45 16"));
    EXPECT_EQ(m.Ask(Hex("10 40 06 46 16")), "10 00 06 06 16");
    sim.Send("silence off");
    ASSERT_EQ(sim.WaitLine("ok "), "ok silence off");

    sim.Send("badcrc 1 5");
    ASSERT_EQ(sim.WaitLine("ok "), "ok badcrc 1 5");
    EXPECT_EQ(m.Ask(Hex("10 40 05 45 16")), "10 00 05 06 16");
    EXPECT_EQ(m.Ask(Hex("10 40 05 45 16")), "10 00 05 05 16");

    sim.Send("garbage 1 5");
    ASSERT_EQ(sim.WaitLine("ok "), "ok garbage 1 5");
    m.Write(Hex("10 49 05 4E 16"));
    const auto garbage = m.Read(6);
    ASSERT_EQ(garbage.size(), 6u);
    EXPECT_EQ(garbage[0], 0xFF);

    sim.Send("delay 200 6");
    ASSERT_EQ(sim.WaitLine("ok "), "ok delay 200 6");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(m.Ask(Hex("10 49 06 4F 16")), "10 0B 06 11 16");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(190));

    sim.Send("status");
    const std::string status = sim.WaitLine("status ");
    EXPECT_NE(status.find("link=5 resets=2"), std::string::npos) << status;
}

TEST(Sim101Pty, SingleCharacterAnswersAndSpontaneousData) {
    Sim101Process sim({"--pty", "--single-char", "--station", "9", "--point", "M_ME_NC:1=0", "--spont-rate",
                       "100"});
    RawMaster m = RawMaster::OpenPty(PtyPath(sim));
    EXPECT_EQ(m.Ask(Hex("10 40 09 49 16")), "E5");
    // Spontaneous changes come at 100 per second: a change is soon signalled with ACD and read with cause 3.
    bool fcb = true;
    std::string answer;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline && answer.rfind("68", 0) != 0) {
        const uint8_t control = static_cast<uint8_t>(fcb ? 0x7A : 0x5A);
        fcb = !fcb;
        answer = m.Ask(Fixed(ToHex(std::vector<uint8_t>{control, 0x09})));
    }
    ASSERT_EQ(answer.substr(0, 12), "68 0D 0D 68 ") << answer;
    EXPECT_EQ(answer.substr(18, 15), "0D 01 03 09 01 ") << answer;
}

TEST(Sim101Tcp, ConverterDropsAndComesBack) {
    Sim101Process sim(With({"--tcp", "0"}, kTwoStations));
    const int port = TcpPort(sim);
    ASSERT_GT(port, 0);
    {
        RawMaster m = RawMaster::ConnectTcp(port);
        ASSERT_GE(m.fd(), 0);
        ASSERT_EQ(sim.WaitLine("connection "), "connection open");
        EXPECT_EQ(m.Ask(Hex("10 40 05 45 16")), "10 00 05 05 16");
        EXPECT_EQ(m.Ask(Variable("73 05 64 01 06 05 00 00 14")), "10 20 05 25 16");
        sim.Send("drop");
        EXPECT_TRUE(m.WaitClosed());
        EXPECT_EQ(sim.WaitLine("connection "), "connection closed");
    }
    // The stations behind the converter kept their state: the confirmation still waits in class 1.
    RawMaster again = RawMaster::ConnectTcp(port);
    ASSERT_GE(again.fd(), 0);
    EXPECT_EQ(again.Ask(Fixed("5A 05")), "68 09 09 68 28 05 64 01 07 05 00 00 14 B2 16");

    // A converter that goes away for a while refuses connections, then accepts them again.
    sim.Send("drop 1000");
    EXPECT_TRUE(again.WaitClosed());
    ASSERT_EQ(sim.WaitLine("ok drop 1000"), "ok drop 1000");
    EXPECT_EQ(RawMaster::ConnectTcp(port).fd(), -1);
    int fd = -1;
    for (int i = 0; i < 100 && fd < 0; ++i) {
        RawMaster retry = RawMaster::ConnectTcp(port);
        if (retry.fd() >= 0) {
            EXPECT_EQ(retry.Ask(Hex("10 49 06 4F 16")), "10 0B 06 11 16");
            fd = retry.fd();
        } else {
            sim.WaitLine("never", 50);  // a short pause between connection attempts
        }
    }
    EXPECT_GE(fd, 0);
}

TEST(Sim101Tcp, ANewConnectionReplacesTheOld) {
    Sim101Process sim(With({"--tcp", "0", "--sizes", "2,2,2,3"}, {"--station", "300", "--point", "M_SP_NA:70000=1"}));
    const int port = TcpPort(sim);
    RawMaster first = RawMaster::ConnectTcp(port);
    ASSERT_EQ(sim.WaitLine("connection "), "connection open");
    RawMaster second = RawMaster::ConnectTcp(port);
    EXPECT_TRUE(first.WaitClosed());
    EXPECT_EQ(second.Ask(Hex("10 40 2C 01 6D 16"), 2), "10 00 2C 01 2D 16");
    EXPECT_EQ(second.Ask(Variable("73 2C 01 66 01 05 00 2C 01 70 11 01"), 2), "10 20 2C 01 4D 16");
    EXPECT_EQ(second.Ask(Fixed("5A 2C 01"), 2), ToHex(Variable("08 2C 01 01 01 05 00 2C 01 70 11 01 01")));
}

TEST(Sim101Program, ConfigurationFile) {
    const std::string path = ::testing::TempDir() + "sim101_line.cfg";
    {
        std::ofstream f(path);
        f << "# a line with wide fields\nsizes 2,2,2,3\nstation 300:4000\npoint M_ME_NB:70000=-7\n";
    }
    Sim101Process sim({"--pty", "--config", path});
    RawMaster m = RawMaster::OpenPty(PtyPath(sim));
    EXPECT_EQ(m.Ask(Variable("73 2C 01 66 01 05 00 A0 0F 70 11 01"), 2), "10 20 2C 01 4D 16");
    EXPECT_EQ(m.Ask(Fixed("5A 2C 01"), 2), ToHex(Variable("08 2C 01 0B 01 05 00 A0 0F 70 11 01 F9 FF 00")));
    std::remove(path.c_str());
}

TEST(Sim101Program, HelpAndBadArguments) {
    {
        Sim101Process sim({"--help"});
        EXPECT_EQ(sim.WaitExit(), 0);
        EXPECT_NE(sim.WaitLine("Control commands"), "");
    }
    {
        Sim101Process sim({"--pty", "--link-size", "5"});
        EXPECT_EQ(sim.WaitExit(), 2);
    }
    {
        Sim101Process sim({"--station", "1"});
        EXPECT_EQ(sim.WaitExit(), 2);  // no line named
    }
    {
        Sim101Process sim({"/nonexistent/tty"});
        EXPECT_EQ(sim.WaitExit(), 1);
    }
}

}  // namespace
}  // namespace iec::sim::test
