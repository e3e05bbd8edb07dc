#include "sim101/options.h"

#include <optional>

#include "platform/number_text.h"
#include "sim101/point_entry.h"

namespace iec::sim {
namespace {

struct Parser {
    ProgramOptions& out;
    FileReader read_file;
    bool in_file = false;

    std::optional<int> Int(const std::string& text, int lo, int hi) {
        const auto v = ParseInt(text);
        if (!v || *v < lo || *v > hi) return std::nullopt;
        return *v;
    }

    // Handles one option with its arguments taken from args starting at i; advances i past them.
    std::string One(const std::vector<std::string>& args, size_t& i) {
        std::string name = args[i++];
        if (name.rfind("--", 0) == 0) name = name.substr(2);
        else if (!in_file && !name.empty() && name[0] != '-') {
            out.transport = Transport::Device;
            out.device = name;
            return {};
        }
        auto arg = [&](std::string& value) -> bool {
            if (i >= args.size()) return false;
            value = args[i++];
            return true;
        };
        std::string v;
        auto missing = [&] { return "option " + name + " needs a value"; };
        auto bad = [&] { return "bad value '" + v + "' for " + name; };
        auto set_int = [&](auto& field, int lo, int hi) -> std::string {
            if (!arg(v)) return missing();
            const auto n = Int(v, lo, hi);
            if (!n) return bad();
            field = *n;
            return {};
        };

        if (name == "help" || name == "h" || name == "-h") { out.help = true; return {}; }
        if (name == "pty") { out.transport = Transport::Pty; return {}; }
        if (name == "tcp") {
            out.transport = Transport::Tcp;
            return set_int(out.tcp_port, 0, 65535);
        }
        if (name == "bind") {
            if (!arg(v)) return missing();
            out.bind_address = v;
            return {};
        }
        if (name == "device") {
            if (!arg(v)) return missing();
            out.transport = Transport::Device;
            out.device = v;
            return {};
        }
        if (name == "baud") return set_int(out.baud, 50, 4000000);
        if (name == "parity") {
            if (!arg(v)) return missing();
            if (v != "N" && v != "E" && v != "O") return bad();
            out.parity = v[0];
            return {};
        }
        if (name == "link-size") return set_int(out.line.widths.link, 1, 2);
        if (name == "cause-size") return set_int(out.line.widths.cause, 1, 2);
        if (name == "common-size") return set_int(out.line.widths.common, 1, 2);
        if (name == "object-size") return set_int(out.line.widths.object, 1, 3);
        if (name == "sizes") {
            if (!arg(v)) return missing();
            const auto parts = Split(v, ',');
            if (parts.size() != 4) return bad();
            int* fields[4] = {&out.line.widths.link, &out.line.widths.cause, &out.line.widths.common,
                              &out.line.widths.object};
            for (size_t k = 0; k < 4; ++k) {
                const auto n = Int(std::string(parts[k]), 1, 3);
                if (!n) return bad();
                *fields[k] = *n;
            }
            return {};
        }
        if (name == "station") {
            if (!arg(v)) return missing();
            const auto parts = Split(v, ':');
            StationConfig s;
            const auto link = Int(std::string(parts[0]), 0, 65535);
            const auto common = parts.size() > 1 ? Int(std::string(parts[1]), 1, 65535) : link;
            if (parts.size() > 2 || !link || !common) return bad();
            s.link_address = static_cast<uint32_t>(*link);
            s.common_address = static_cast<uint32_t>(*common);
            out.line.stations.push_back(std::move(s));
            return {};
        }
        if (name == "point") {
            if (!arg(v)) return missing();
            if (out.line.stations.empty()) return "point " + v + " comes before any station";
            return AddPointEntry(v, out.line.stations.back());
        }
        if (name == "config") {
            if (!arg(v)) return missing();
            if (in_file) return "a configuration file cannot name another";
            const auto text = read_file(v);
            if (!text) return "cannot read configuration file " + v;
            return ParseConfigText(*text, out);
        }
        if (name == "spont-rate") {
            if (!arg(v)) return missing();
            const auto r = ParseReal(v);
            if (!r || *r < 0 || *r > 1000) return bad();
            out.line.application.spontaneous_per_second = *r;
            return {};
        }
        if (name == "cyclic") {
            int ms = 0;
            if (std::string e = set_int(ms, 0, 86400000); !e.empty()) return e;
            out.line.application.cyclic_ms = ms;
            return {};
        }
        if (name == "seed") {
            int seed = 0;
            if (std::string e = set_int(seed, 0, 2147483647); !e.empty()) return e;
            out.line.application.seed = static_cast<uint32_t>(seed);
            return {};
        }
        if (name == "single-char") { out.line.link.single_char = true; return {}; }
        if (name == "end-of-init") { out.line.application.end_of_init = true; return {}; }
        if (name == "sequence") { out.line.application.sequence = true; return {}; }
        if (name == "gi-with-time") { out.line.application.interrogation_with_time = true; return {}; }
        if (name == "select-timeout") {
            int ms = 0;
            if (std::string e = set_int(ms, 0, 86400000); !e.empty()) return e;
            out.line.application.select_timeout_ms = ms;
            return {};
        }
        if (name == "unknown-object-cause") {
            int c = 0;
            if (std::string e = set_int(c, 7, 47); !e.empty()) return e;
            if (c != 7 && c != 47) return bad();
            out.line.application.unknown_object_cause = static_cast<uint8_t>(c);
            return {};
        }
        if (name == "frame-gap") {
            int ms = 0;
            if (std::string e = set_int(ms, 0, 3600000); !e.empty()) return e;
            out.line.frame_gap_ms = ms;
            return {};
        }
        if (name == "silent") { out.faults.silent = true; return {}; }
        if (name == "garbage") { out.faults.garbage = -1; return {}; }
        if (name == "bad-checksum") { out.faults.bad_checksum = -1; return {}; }
        if (name == "delay") {
            int ms = 0;
            if (std::string e = set_int(ms, 0, 600000); !e.empty()) return e;
            out.faults.delay_ms = ms;
            return {};
        }
        return "unknown option '" + name + "' (see --help)";
    }
};

std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        if (i >= line.size() || line[i] == '#') break;
        size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r') ++j;
        words.emplace_back(line.substr(i, j - i));
        i = j;
    }
    return words;
}

}  // namespace

std::string ParseOptions(const std::vector<std::string>& args, ProgramOptions& out, FileReader read_file) {
    Parser p{out, read_file};
    size_t i = 0;
    while (i < args.size()) {
        if (std::string e = p.One(args, i); !e.empty()) return e;
    }
    return {};
}

std::string ParseConfigText(std::string_view text, ProgramOptions& out) {
    Parser p{out, nullptr, true};
    int number = 0;
    for (std::string_view line : Split(text, '\n')) {
        ++number;
        const auto words = Words(line);
        if (words.empty()) continue;
        size_t i = 0;
        std::string e = p.One(words, i);
        if (e.empty() && i != words.size()) e = "too many words";
        if (!e.empty()) return "line " + std::to_string(number) + ": " + e;
    }
    return {};
}

StationConfig DemoStation() {
    StationConfig s;
    for (const char* entry : {"M_SP_NA:1-4=0", "M_DP_NA:10=off", "M_ST_NA:20=0", "M_BO_NA:30=0x0000A5A5",
                             "M_ME_NA:100=0.5", "M_ME_NB:101=230", "M_ME_NC:102=49.98", "M_SP_TB:200=1",
                             "M_ME_TF:201=12.5", "M_IT_NA:300=1000", "C_SC_NA:16385>1", "C_DC_NA:16386>10"}) {
        AddPointEntry(entry, s);
    }
    return s;
}

std::string HelpText() {
    return R"(sim101 - IEC 60870-5-101 controlled station simulator (unbalanced mode, secondary)

Usage: sim101 LINE [options]
Line (one of):
  DEVICE                 a serial port or pseudo-terminal path, e.g. /dev/ttyUSB0
  --pty                  create a pseudo-terminal pair; the path for the master is printed
  --tcp PORT             listen on 127.0.0.1:PORT like a serial-to-Ethernet converter (0: any free port)
  --bind ADDR            listen on this IPv4 address instead of 127.0.0.1 (0.0.0.0: every interface)
  --baud N, --parity N|E|O   serial settings of DEVICE (default 9600, E; 8 data bits, 1 stop bit)

Field widths of the line (octets):
  --link-size 1|2  --cause-size 1|2  --common-size 1|2  --object-size 1|2|3   (default 1, 1, 1, 2)
  --sizes L,C,A,O        all four at once, e.g. --sizes 2,2,2,3

Stations and points (several stations may share the line):
  --station LINK[:COMMON]   begin a station; the common address defaults to the link address
  --point ENTRY             add points or a command object to the last station (repeatable)
      TYPE:ADDR[-LAST][=VALUE][,FLAG...]   TYPE is a mnemonic or its number:
          M_SP_NA/TA/TB (single), M_DP_NA/TA/TB (double), M_ST_NA/TA/TB (step position),
          M_BO_NA/TA/TB (bit string), M_ME_NA/TA/TD, M_ME_ND (normalized), M_ME_NB/TB/TE (scaled),
          M_ME_NC/TC/TF (float), M_IT_NA/TA/TB (integrated totals)
          VALUE: number, on/off, 0x... for bit strings; FLAG: iv nt sb bl ov (quality), t (transient)
      C_SC_NA:ADDR[>POINT][,sbo][,refuse]   a single (C_DC_NA: double) command object; POINT shows the
          commanded state; sbo: execute only after select; refuse: confirm negatively.
          A command to the address of a single (double) point switches that point directly.
  --config FILE             read options from FILE: one option per line without "--", '#' comments
  Without --station: station 1 with a demo set of points and commands 16385 (single) and 16386 (double).

Behaviour:
  --spont-rate N         spontaneous changes per second and station (class 1, cause 3); default 0
  --seed N               seed of the spontaneous changes
  --cyclic MS            offer the measured values as class 2 data (cause 1) every MS ms; default: no class 2
  --single-char          answer with 0xE5 instead of ACK / no data where ACD is 0
  --end-of-init          send end of initialisation (M_EI_NA) after the first link reset
  --gi-with-time         answer interrogations with the time-tagged types (standard: without time tag)
  --sequence             send runs of consecutive addresses as SQ = 1 sequences (types without time tag)
  --select-timeout MS    a select is valid this long (default 30000)
  --unknown-object-cause 47|7   cause (with P/N = 1) for an unknown object (default 47)
  --frame-gap MS         discard a partial frame after this idle time (default 1000, 0 = never)

Faults from the start (all stations; see the control commands to change them later):
  --silent  --garbage  --bad-checksum  --delay MS

Output (stdout, one line each, flushed):
  ready pty PATH | ready tcp ADDR PORT | ready serial PATH
  connection open | connection closed            (TCP)
  command link=L ca=A type=T cause=C [ioa=I ...] -> positive | negative cause=N | none
  ok ... | error ...                             (answers to control commands)

Control commands (stdin, one per line; LINK chooses a station, default: all for faults, first otherwise):
  set [LINK/]ADDR VALUE [FLAG...]   change a point (sent as spontaneous data; flags give its quality)
  silence on|off [LINK]             stop / resume answering
  garbage on|off|N [LINK]           answer with octets that form no frame (N: the next N answers)
  badcrc on|off|N [LINK]            answer with a wrong checksum
  delay MS [LINK]                   answer MS milliseconds late
  nack on|off|N [LINK]              refuse confirmed user data with NACK (link busy)
  dfc on|off|N [LINK]               set DFC in answers and refuse user data meanwhile
  acd on|off [LINK]                 set ACD in every answer
  test on|off [LINK]                send every ASDU with the test bit
  timetag ok|iv|nodate [LINK]       time tags marked invalid, or with a date that does not exist
  refuse [LINK/]ADDR on|off         confirm commands to ADDR negatively
  drop [MS]                         close the TCP connection; with MS also refuse new ones for MS ms
  status                            print the counters of frames, rejections and stations
  quit                              end the program
)";
}

}  // namespace iec::sim
