// The main window between its logic and its view. The view (the Win32 window) shows a MainWindowModel and passes
// the operator's actions to MainWindowActions; the logic asks the view for what only a desktop can do: message
// boxes, questions, the modal dialogs, the tray menu, opening a document, ending the loop. All on the main thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ui/about_box.h"
#include "ui/station_commands.h"
#include "ui/station_grids.h"
#include "ui/ui_texts.h"

namespace iec {

class DeviceDialog;
class OpcUaDialog;

// Everything the main window shows.
struct MainWindowModel {
    std::string title = ui_text::kTitle;         // window and application title, the tray icon's tooltip
    std::vector<std::string> stations;           // the station list: NameKP per line, in station order
    int list_selection = -1;                     // the selected line, -1 for none
    StationGrids grids;                          // upper: status signals; lower: measured values
    int clients = 0;                             // after "Кол-во клиентов:"
    int groups = 0;                              // after "Кол-во групп:"
    std::string status_line;                     // the program folder, set once at start
    std::string polling_caption = ui_text::kStartPolling;
    bool station_commands_enabled = true;        // "Добавить", "Изменить", "Удалить": buttons and menu items
    bool polling_timers = false;                 // the 200 ms publication and 1000 ms grid timers run
    bool window_visible = false;
    bool tray_icon = false;                      // the notification-area icon exists
    bool restore_enabled = false;                // tray menu "&Восстановить"
    bool hide_enabled = false;                   // tray menu "&Скрыть"
    bool transfer_commands = false;              // the two configuration-transfer items of "Устройство"
    bool redundancy_commands = false;            // the items of "Резервирование серверов"
};

enum class MessageKind { Information, Warning, Error };
enum class Answer { Yes, No, Cancel };

struct Question {
    std::string caption;
    std::string text;
    MessageKind kind = MessageKind::Warning;
    bool cancel_button = true;  // Yes, No and Cancel; otherwise Yes and No
    Answer preselected = Answer::Yes;
};

class MainWindowView {
public:
    virtual ~MainWindowView() = default;

    // Shows the model; called after every action and timer that changed it.
    virtual void Render(const MainWindowModel& model) = 0;
    // A modal message box with "OK".
    virtual void ShowMessage(const std::string& text, MessageKind kind) = 0;
    virtual Answer Ask(const Question& question) = 0;
    // An input box; nothing when cancelled.
    virtual std::optional<std::string> AskText(const std::string& caption, const std::string& prompt) = 0;
    // The modal dialogs. Each shows the dialog's form, lets the operator edit it and, on "OK", calls the dialog's
    // Check(): a non-empty answer is shown and the dialog stays open. True when the dialog closed with "OK".
    virtual bool RunDeviceDialog(DeviceDialog& dialog) = 0;
    virtual bool RunOpcUaDialog(OpcUaDialog& dialog) = 0;
    virtual void ShowAbout(const AboutBoxModel& about) = 0;
    // The tray menu at the mouse position, the program brought to the foreground first.
    virtual void ShowTrayMenu() = 0;
    // The document with the desktop's default application, maximised; a failure is the desktop's to report.
    virtual void OpenDocument(const std::filesystem::path& document) = 0;
    // Ends the message loop: the program ends.
    virtual void Quit() = 0;
};

// What the operator does in the main window, its tray icon and its timers.
class MainWindowActions {
public:
    virtual ~MainWindowActions() = default;

    virtual void AddStation(CommandOrigin origin) = 0;  // "Добавить" (Ctrl+N)
    virtual void ChangeStation() = 0;                   // "Изменить" (Ctrl+E)
    virtual void DeleteStation() = 0;                   // "Удалить" (Del)
    virtual void CopyStation() = 0;                     // "Создать копию устройства" (Ctrl+C), list context menu
    virtual void TogglePolling() = 0;                   // "Начать опрос" / "Остановить опрос"
    virtual void OpcUaSettings() = 0;                   // "OPC UA", "Настройки OPC UA сервера"
    virtual void DisconnectClients() = 0;               // "Сбросить клиентов"
    virtual void WriteRemoteConfig() = 0;               // "Записать конфигурацию в удаленный ОРС-сервер"
    virtual void ReadRemoteConfig() = 0;                // "Считать конфигурацию из удаленного ОРС-сервера"
    virtual void RegisterServer() = 0;                  // "Зарегистрировать"
    virtual void UnregisterServer() = 0;                // "Разрегистрировать"
    virtual void SetTransferPassword() = 0;             // "Установить пароль для удаленной загрузки конфигурации"
    virtual void RedundancySettings() = 0;              // "Резервирование серверов" → "Настройка"
    virtual void RedundancyState() = 0;                 // "Резервирование серверов" → "Просмотр состояния"
    virtual void Help() = 0;                            // "Помощь"
    virtual void About() = 0;                           // "О программе"
    // A click in the station list: the line clicked, -1 when the click left no line selected.
    virtual void SelectStation(int line) = 0;

    virtual void TrayClick() = 0;        // single left-button press on the icon
    virtual void TrayDoubleClick() = 0;  // restores the window
    virtual void Restore() = 0;          // "&Восстановить" (Ctrl+R)
    virtual void Hide() = 0;             // "&Скрыть" (Ctrl+H)
    // The window's minimise command: true when the window went to the tray, false when the view minimises as usual.
    virtual bool Minimise() = 0;
    virtual void Exit() = 0;             // "В&ыход" (Alt+X) and the close box

    virtual void Timer500() = 0;   // always: client and group counts, redundancy lines
    virtual void Timer200() = 0;   // while polling runs: publication
    virtual void Timer1000() = 0;  // while polling runs: the grids
};

}  // namespace iec
