// The tool's only window: routing of its control events, and the controls as the commands see them.
#pragma once

#include <windows.h>

#include <array>
#include <optional>

#include "app/control_layout.h"
#include "core/control_port.h"
#include "core/program_state.h"
#include "win/base_window.h"
#include "win/scaled_font.h"

class MainWindow : public BaseWindow<MainWindow>, public ControlPort {
   public:
    explicit MainWindow(ProgramState& state);
    ~MainWindow() override;

    // Creates the window with every control, centred on the screen, and shows it. False when the
    // window or any of its controls cannot be created; nothing of it is left then.
    bool Create(HINSTANCE instance, int showCommand);
    HWND ControlHandle(Control control) const { return controls_[Index(control)]; }

    // ControlPort
    int TickState(Control control) override;
    void SetTickState(Control control, int state) override;
    Text Caption(Control control) override;
    void SetCaption(Control control, const Text& caption) override;
    void SetTextColour(Control control, Colour colour) override;
    Text CurrentDrive() override;
    void ShowMessageBox(const Text& text, unsigned flags, const Text& title) override;
    bool AskYesNo(const Text& text, const Text& title) override;

   private:
    friend class BaseWindow<MainWindow>;
    static constexpr size_t Index(Control control) { return static_cast<size_t>(control); }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code);
    bool OnSystemCommand(WPARAM command);
    void OnDriveBoxChosen();
    LRESULT OnControlColour(HDC dc, HWND control);
    bool OnSetCursor(LPARAM lParam);
    void OnDpiChanged(unsigned dpi, const RECT& suggested);
    int Scaled(int value) const;

    ProgramState& state_;
    ControlHandles controls_{};
    std::array<std::optional<Colour>, kControlCount> colours_{};
    // Drive searches in progress, nested ones included; the pointer shows that work goes on.
    int searches_ = 0;
    // Set once Create has succeeded: only a window that started ends the program when destroyed.
    bool started_ = false;
    unsigned dpi_ = 96;
    ScaledFont font_;
};
