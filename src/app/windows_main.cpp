// iec101opc.exe: the acquisition server as a Windows desktop program. Without switches it polls and publishes with
// its icon in the notification area until the operator ends it; /RegServer and /UnRegServer write or remove its
// registration as an OPC server; /Embedding is the start by COM for a client.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/program_log.h"
#include "app/server.h"
#include "app/windows_notice.h"
#include "app/windows_registration.h"
#include "app/windows_tray.h"
#include "opcda/registration/start_mode.h"
#include "platform/program_folder.h"
#include "platform/single_instance.h"
#include "platform/wide_text.h"

namespace {

// Exit codes, for scripts that register the server or start it.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitBadCommandLine = 2;
constexpr int kExitAlreadyRunning = 3;

constexpr const char* kInstanceLock = "Varnok.OPCServer.iec101opc";
constexpr const char* kAlreadyRunning = "Приложение уже запущено! ОРС-сервер свёрнут в системный трей.";

// Libraries come from the program's folder and the system's only: the current folder and PATH, where anyone may put
// a file named like opc_ua3.dll, are not searched; and a library that fails to load is reported by the program, not
// by a system dialog that would wait on a server nobody watches.
void HardenLibraryLoading() {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    ::SetDllDirectoryW(L"");
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    // Windows 8 and later (and 7 with its update): the safe search order for the whole process.
    const auto set_default = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (set_default != nullptr) set_default(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
}

// The words after the program name, as UTF-8.
std::vector<std::string> CommandLineWords() {
    std::vector<std::string> words;
    int count = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (argv == nullptr) return words;
    for (int i = 1; i < count; ++i) words.push_back(iec::WideToUtf8(argv[i]));
    ::LocalFree(argv);
    return words;
}

// The server with its icon, until the operator ends it (or COM's client is gone, once the class objects exist).
int RunDesktop(const std::filesystem::path& folder, std::ostream& log) {
    iec::ServerOptions options;
    options.folder = folder;
    const auto exe = iec::ExecutablePath();
    if (!exe.empty()) options.exe_name = exe.filename().string();
    iec::ServerSession session(options, log);
    iec::TrayWindow tray({[&] { return iec::TrayStatus{session.Polling(), 0, 0}; }, [&] { session.Tick(); },
                          [&] { session.Stop(); }});
    std::string why_no_icon;
    if (const std::string why = tray.Create(why_no_icon); !why.empty()) {
        log << "iec101opc not started: " << why << std::endl;
        iec::ShowNotice(why, true);
        return kExitFailed;
    }
    if (!why_no_icon.empty()) log << why_no_icon << std::endl;
    session.Start();
    const int code = tray.Run();
    session.Stop();
    return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using iec::opcda::StartMode;
    HardenLibraryLoading();
    std::vector<std::string> args = CommandLineWords();
    std::string error;
    const auto folder = iec::TakeProgramFolder(args, error);
    if (!error.empty()) {
        iec::ShowNotice(error + "\n" + iec::opcda::kSwitchHelp, true);
        return kExitBadCommandLine;
    }
    const iec::opcda::StartSwitches switches = iec::opcda::ParseStartSwitches(args);
    if (!switches.error.empty()) {
        iec::ShowNotice(switches.error, true);
        return kExitBadCommandLine;
    }
    const iec::SingleInstance instance(kInstanceLock);
    if (!instance.First()) {
        iec::ShowNotice(kAlreadyRunning, false);
        return kExitAlreadyRunning;
    }
    // Client calls arrive on COM's own threads: the process lives in the multithreaded apartment.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::ofstream log = iec::OpenProgramLog(folder / iec::kProgramLogName);
    int code = kExitOk;
    switch (switches.mode) {
        case StartMode::Register:
        case StartMode::Unregister:
            code = iec::RunRegistration(switches.mode == StartMode::Register, switches.per_user, log);
            break;
        case StartMode::ByCom:
        case StartMode::Interactive:
            code = RunDesktop(folder, log);
            break;
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return code;
}
