// Arbitrary octets as an HTTP request: the target (path and query) through the dispatcher, both as sent on the
// wire and as an already decoded path, and an Authorization header against the transfer password. The program
// folder holds pages, pictures and configuration files, and beside it a file that must never be served, reached
// only through links and parent segments: any answer carrying its content is a fault.
// Input: target, then NUL, query for the direct call, then NUL, Authorization value. The first octet's low bit
// switches the password on.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "../tests/web/fake_web_data.h"
#include "../tests/web/temp_folder.h"
#include "web/web_dispatch.h"
#include "web/web_request.h"

namespace {

namespace fs = std::filesystem;
constexpr std::string_view kSecret = "OUTSIDE-SECRET";

struct World {
    iec::test::TempFolder outer;
    iec::test::FakeWebData data;

    World() {
        outer.Write("secret.css", kSecret);
        outer.Write("cnf.ini", kSecret);
        outer.Write("prog/iec101.cfg", "KP;1");
        outer.Write("prog/cnf.ini", "[pwd]\r\npwd=s3cret\r\n");
        outer.Write("prog/Thread1.txt", kSecret);
        outer.Write("prog/web/css/style.css", "body{}");
        outer.Write("prog/web/help.html", "\xEF\xBB\xBF<p>Помощь</p>");
        outer.Write("prog/web/index-7.html", "<p>about</p>");
        outer.Write("prog/web/img/a.png", "\x89PNG");
        outer.Write("prog/web/web/cnf.ini", "inner");
        std::error_code ec;
        fs::create_symlink(outer.path() / "secret.css", outer.path() / "prog/web/link.css", ec);
        fs::create_directory_symlink(outer.path(), outer.path() / "prog/web/up", ec);
        fs::create_symlink(outer.path() / "cnf.ini", outer.path() / "prog/test.cfg", ec);
        data.folder = outer.path() / "prog";
        data.AddStation("KP1");
        data.AddStation("ПС Северная", false).PereschetTI = true;
        for (int i = 0; i < 6; ++i) {
            iec::WebSignal& s = data.AddSignal(1 + i % 2, i % 3 ? iec::stTIT : iec::stTS, "S" + std::to_string(i), i);
            s.real = i * 1.5;
            s.quality = static_cast<uint8_t>(i * 50);
            s.time = iec::DateTime(45000.25 + i);
        }
    }
};

void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckNoSecret(const iec::WebResponse& r) { Check(r.Body.find(kSecret) == std::string::npos); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static World world;
    const std::string_view input(reinterpret_cast<const char*>(bytes), size);
    const size_t first = input.find('\0');
    const std::string_view target = input.substr(0, first);
    std::string_view query, authorization;
    if (first != std::string_view::npos) {
        const std::string_view rest = input.substr(first + 1);
        const size_t second = rest.find('\0');
        query = rest.substr(0, second);
        if (second != std::string_view::npos) authorization = rest.substr(second + 1);
    }
    world.data.password = size > 0 && (bytes[0] & 1) ? "s3cret" : "";

    const iec::WebDispatchResult direct = iec::Web_Dispatch(world.data, target, query);
    Check(direct.Body.find(kSecret) == std::string::npos);
    if (!direct.File.empty()) {
        const fs::path real = fs::weakly_canonical(world.data.folder);
        Check(std::mismatch(real.begin(), real.end(), direct.File.begin(), direct.File.end()).first == real.end());
    }

    if (const auto t = iec::ParseRequestTarget(target)) {
        const iec::WebResponse r = iec::IdHTTPServer1CommandGet(world.data, t->Path, t->Query, authorization);
        CheckNoSecret(r);
        Check(r.Status == 200 || r.Status == 401 || r.Status == 404);
        if (r.Status == 200 && r.ContentType == "application/octet-stream" && !world.data.password.empty()) {
            Check(iec::TransferAuthorized(authorization, world.data.password));
        }
    }
    (void)iec::TransferAuthorized(authorization, "пароль");
    return 0;
}
