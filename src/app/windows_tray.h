// Windows only: the program's icon in the notification area, until the operator window takes its place. Its menu
// shows the state of the server and ends the program.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace iec {

struct TrayStatus {
    bool polling = false;
    int clients = 0;  // OPC server objects
    int groups = 0;
};

class TrayWindow {
public:
    struct Handlers {
        std::function<TrayStatus()> status;
        std::function<void()> tick;  // every 200 ms, on the message loop's thread
        std::function<void()> end_session;  // Windows is ending the session: the process will not live long
    };

    explicit TrayWindow(Handlers handlers);
    ~TrayWindow();
    TrayWindow(const TrayWindow&) = delete;
    TrayWindow& operator=(const TrayWindow&) = delete;

    // Creates the hidden window, its timer and the icon. An empty string on success, else why not; an icon the
    // shell refuses is no failure (the window still ends the program on WM_CLOSE), why_no_icon tells it.
    std::string Create(std::string& why_no_icon);
    // Runs the message loop until "Exit", WM_CLOSE or the end of the session. Returns the exit code.
    int Run();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT Handle(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    bool AddIcon();
    void ShowMenu();

    Handlers handlers_;
    HWND hwnd_ = nullptr;
    UINT taskbar_created_ = 0;
    bool icon_ = false;
};

}  // namespace iec
