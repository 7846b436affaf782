// The tool's only window: its controls, their colours, and the routing of their events.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <type_traits>

#include "platform/control_port.h"
#include "platform/program_state.h"

class MainWindow : public ControlPort {
   public:
    explicit MainWindow(ProgramState& state);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow() override;

    // Creates the window with every control, centred on the screen, and shows it.
    bool Create(HINSTANCE instance, int showCommand);
    HWND Handle() const { return window_; }
    HWND ControlHandle(Control control) const { return controls_[Index(control)]; }

    // ControlPort
    int TickState(Control control) override;
    void SetTickState(Control control, int state) override;
    Text Caption(Control control) override;
    void SetCaption(Control control, const Text& caption) override;
    void SetTextColour(Control control, Colour colour) override;
    Text CurrentDrive() override;
    void ShowMessageBox(const Text& text, unsigned flags, const Text& title) override;

   private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK GroupBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR subclassId, DWORD_PTR data);
    static constexpr size_t Index(Control control) { return static_cast<size_t>(control); }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code);
    void OnDriveBoxChosen();
    LRESULT OnControlColour(HDC dc, HWND control);
    void DrawSuperButton(const DRAWITEMSTRUCT& item);
    void PaintGroupBox(HWND groupBox);
    // The colour set for a control's caption, or the system's text colour.
    COLORREF TextColourOf(HWND control) const;
    bool OnSetCursor(LPARAM lParam);

    void CreateControls(HINSTANCE instance);
    // Places every control and sets the font for the window's current DPI.
    void LayOutControls();
    int Scaled(int value) const;
    void FillDriveBox();

    ProgramState& state_;
    HWND window_ = nullptr;
    std::array<HWND, kControlCount> controls_{};
    std::array<std::optional<Colour>, kControlCount> colours_{};
    // Drive searches in progress, nested ones included; the pointer shows that work goes on.
    int searches_ = 0;
    unsigned dpi_ = 96;
    struct FontDeleter {
        void operator()(HFONT font) const { DeleteObject(font); }
    };
    std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter> scaledFont_;
};
