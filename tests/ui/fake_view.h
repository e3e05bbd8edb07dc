// A main window view without a window: it records what the logic shows and asks, answers questions as the test
// scripts them, and runs the dialogs through a function the test gives (which edits the form as an operator
// would and presses "OK" or "Cancel").
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/device_dialog.h"
#include "ui/main_window_view.h"
#include "ui/opcua_dialog.h"

namespace iec::test {

class FakeView : public MainWindowView {
public:
    void Render(const MainWindowModel& model) override {
        shown = model;
        ++renders;
    }
    void ShowMessage(const std::string& text, MessageKind) override { messages.push_back(text); }
    Answer Ask(const Question& question) override {
        questions.push_back(question);
        if (answers.empty()) return Answer::Cancel;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> AskText(const std::string& caption, const std::string&) override {
        questions.push_back({caption, "", MessageKind::Information, true, Answer::Yes});
        return text_answer;
    }
    // The dialog stays open while Check() refuses: each refusal is shown and the script runs again.
    bool RunDeviceDialog(DeviceDialog& dialog) override {
        ++device_dialogs;
        for (int round = 0; round < 3; ++round) {
            if (!on_device_dialog || !on_device_dialog(dialog)) return false;
            const std::string why = dialog.Check();
            if (why.empty()) return true;
            messages.push_back(why);
        }
        return false;
    }
    bool RunOpcUaDialog(OpcUaDialog& dialog) override {
        ++opcua_dialogs;
        if (!on_opcua_dialog || !on_opcua_dialog(dialog)) return false;
        const std::string why = dialog.Check();
        if (!why.empty()) messages.push_back(why);
        return why.empty();
    }
    void ShowAbout(const AboutBoxModel& about) override { abouts.push_back(about); }
    void ShowTrayMenu() override { ++tray_menus; }
    void OpenDocument(const std::filesystem::path& document) override { documents.push_back(document); }
    void Quit() override { quit = true; }

    MainWindowModel shown;
    int renders = 0;
    std::vector<std::string> messages;
    std::vector<Question> questions;
    std::deque<Answer> answers;
    std::optional<std::string> text_answer;
    std::function<bool(DeviceDialog&)> on_device_dialog;  // edits the form; true presses "OK"
    std::function<bool(OpcUaDialog&)> on_opcua_dialog;
    int device_dialogs = 0;
    int opcua_dialogs = 0;
    std::vector<AboutBoxModel> abouts;
    int tray_menus = 0;
    std::vector<std::filesystem::path> documents;
    bool quit = false;
};

// Random numbers as the test lists them.
class ScriptedRandom : public RandomSource {
public:
    explicit ScriptedRandom(std::vector<int> numbers) : numbers_(std::move(numbers)) {}
    int Below(int bound) override {
        bounds.push_back(bound);
        const int n = numbers_.empty() ? 0 : numbers_.front();
        if (!numbers_.empty()) numbers_.erase(numbers_.begin());
        return n;
    }
    std::vector<int> bounds;

private:
    std::vector<int> numbers_;
};

}  // namespace iec::test
