// A runtime for in-process tests: records message boxes, input boxes and flashes instead of
// showing them, keeps settings in memory, reads a fixed clock and a foreground of its own, and
// can say that high contrast is on (which Wine's own setting cannot).
#pragma once
#include <map>
#include <string>
#include <vector>

#include "ui/runtime.h"

struct ShownMessage {
    std::wstring text;
    UINT style;
    std::optional<std::wstring> title;
};

class TestRuntime : public ui::Runtime {
public:
    TestRuntime() { previous_ = ui::SetRuntime(this); }
    ~TestRuntime() override { ui::SetRuntime(previous_); }

    int MsgBox(const std::wstring& text, UINT style, std::optional<std::wstring> title) override {
        messages.push_back({text, style, title});
        return IDOK;
    }
    std::wstring InputBox(const std::wstring& prompt, const std::wstring& title,
                          const std::wstring&) override {
        prompts.push_back(prompt + L"|" + title);
        return inputReply;
    }
    void ShellOpen(HWND, const std::wstring& op, const std::wstring& file, const std::wstring&,
                   const std::wstring&, int) override {
        opened.push_back(op + L" " + file);
    }
    SYSTEMTIME Now() override { return now; }
    std::wstring GetSetting(const std::wstring& app, const std::wstring& section,
                            const std::wstring& key, const std::wstring& def) override {
        auto it = settings.find(app + L"/" + section + L"/" + key);
        return it == settings.end() ? def : it->second;
    }
    void SaveSetting(const std::wstring& app, const std::wstring& section, const std::wstring& key,
                     const std::wstring& value) override {
        settings[app + L"/" + section + L"/" + key] = value;
        saves.push_back(key + L"=" + value);
    }
    bool StartTimer(HWND window, UINT_PTR id, UINT interval) override {
        return !refuseTimers && ui::Runtime::StartTimer(window, id, interval);
    }
    bool SetClipboardText(HWND owner, const std::wstring& text) override {
        return !refuseClipboard && ui::Runtime::SetClipboardText(owner, text);
    }
    // The clock moves on by tickStep at every reading, when a test sets one.
    ULONGLONG TickCount() override {
        if (!tickStep) return ui::Runtime::TickCount();
        ticks += tickStep;
        return ticks;
    }
    bool ProgramInForeground() override { return inForeground; }
    void FlashWindow(const FLASHWINFO& how) override { flashes.push_back(how); }
    bool HighContrast() override {
        return highContrast ? *highContrast : ui::Runtime::HighContrast();
    }
    void Beep(UINT type) override { beeps.push_back(type); }
    [[noreturn]] void End() override { throw EndCalled(); }

    struct EndCalled {};

    std::vector<ShownMessage> messages;
    std::vector<std::wstring> prompts, opened, saves;
    std::vector<UINT> beeps;
    std::map<std::wstring, std::wstring> settings;
    std::wstring inputReply;
    // The system's refusals, forced.
    bool refuseTimers = false, refuseClipboard = false;
    std::optional<bool> highContrast;  // unset: the system's own setting
    SYSTEMTIME now = {2026, 12, 2, 8, 14, 5, 9, 0};
    ULONGLONG ticks = 0, tickStep = 0;
    bool inForeground = true;
    std::vector<FLASHWINFO> flashes;

private:
    ui::Runtime* previous_;
};

// The handles this process holds, from the system's handle table (GetProcessHandleCount
// answers 0 under Wine).
long OpenHandleCount();

// Runs the thread's pending messages, then drops a quit request that an unloaded last form left.
void PumpMessages(int forMs = 0);
