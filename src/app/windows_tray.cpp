#include "app/windows_tray.h"

#include <shellapi.h>

#include "app/windows_notice.h"
#include "platform/wide_text.h"

namespace iec {
namespace {

constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 200;
constexpr UINT kIconId = 1;
constexpr UINT kMenuExit = 100;
constexpr const wchar_t* kWindowClass = L"iec101opc.tray";

std::wstring Wide(const std::string& s) { return Utf8ToWide(s); }

}  // namespace

TrayWindow::TrayWindow(Handlers handlers) : handlers_(std::move(handlers)) {}

TrayWindow::~TrayWindow() {
    if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

std::string TrayWindow::Create(std::string& why_no_icon) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TrayWindow::WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kWindowClass;
    if (::RegisterClassExW(&wc) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return "cannot register the window class: " + SystemErrorText(::GetLastError());
    }
    // A top-level window that is never shown (not a message-only one: the shell's broadcast of a restarted task bar
    // reaches top-level windows only).
    hwnd_ = ::CreateWindowExW(0, kWindowClass, Wide(kApplicationTitle).c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (hwnd_ == nullptr) return "cannot create the window: " + SystemErrorText(::GetLastError());
    taskbar_created_ = ::RegisterWindowMessageW(L"TaskbarCreated");
    ::SetTimer(hwnd_, kTickTimer, kTickMs, nullptr);
    if (!AddIcon()) why_no_icon = "the shell refused the notification-area icon";
    return {};
}

bool TrayWindow::AddIcon() {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = hwnd_;
    data.uID = kIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), L"MAINICON");
    if (data.hIcon == nullptr) data.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    ::lstrcpynW(data.szTip, Wide(kApplicationTitle).c_str(), static_cast<int>(std::size(data.szTip)));
    icon_ = ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    return icon_;
}

void TrayWindow::ShowMenu() {
    const TrayStatus s = handlers_.status ? handlers_.status() : TrayStatus{};
    const HMENU menu = ::CreatePopupMenu();
    const UINT info = MF_STRING | MF_GRAYED;
    ::AppendMenuW(menu, info, 0, Wide(s.polling ? "Опрос включён" : "Опрос выключен").c_str());
    ::AppendMenuW(menu, info, 0, Wide("Кол-во клиентов: " + std::to_string(s.clients)).c_str());
    ::AppendMenuW(menu, info, 0, Wide("Кол-во групп: " + std::to_string(s.groups)).c_str());
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, kMenuExit, Wide("В&ыход").c_str());
    POINT at{};
    ::GetCursorPos(&at);
    // The menu closes when the user clicks elsewhere only while the window is in the foreground.
    ::SetForegroundWindow(hwnd_);
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr));
    ::PostMessageW(hwnd_, WM_NULL, 0, 0);
    ::DestroyMenu(menu);
    if (chosen == kMenuExit) ::PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

int TrayWindow::Run() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

LRESULT CALLBACK TrayWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TrayWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(hwnd, message, wparam, lparam);
    return self->Handle(hwnd, message, wparam, lparam);
}

LRESULT TrayWindow::Handle(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == taskbar_created_ && taskbar_created_ != 0) {
        AddIcon();  // Explorer restarted: its new task bar knows no icons
        return 0;
    }
    switch (message) {
        case WM_TIMER:
            if (wparam == kTickTimer && handlers_.tick) handlers_.tick();
            return 0;
        case kTrayMessage:
            if (LOWORD(lparam) == WM_LBUTTONUP || LOWORD(lparam) == WM_RBUTTONUP) ShowMenu();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wparam && handlers_.end_session) handlers_.end_session();
            return 0;
        case WM_CLOSE:
            ::DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY: {
            ::KillTimer(hwnd, kTickTimer);
            if (icon_) {
                NOTIFYICONDATAW data{};
                data.cbSize = sizeof data;
                data.hWnd = hwnd;
                data.uID = kIconId;
                ::Shell_NotifyIconW(NIM_DELETE, &data);
                icon_ = false;
            }
            hwnd_ = nullptr;
            ::PostQuitMessage(0);
            return 0;
        }
        default:
            return ::DefWindowProcW(hwnd, message, wparam, lparam);
    }
}

}  // namespace iec
