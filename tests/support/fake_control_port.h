// The controls as plain values, so that commands run against real files without a window.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <vector>

#include "core/control_port.h"
#include "core/texts.h"
#include "support/test_change_record.h"

struct ShownMessage {
    Text text;
    unsigned flags;
    Text title;
    // The status line while the box was open.
    Text statusBeside;
};

// Starts in the window's initial state: boxes clear, 单选框1 selected, the prompt in 标签3.
class FakeControlPort : public ControlPort {
   public:
    FakeControlPort() {
        ticks[Control::单选框1] = 1;
        captions[Control::标签3] = texts::kDrivePrompt;
    }

    int TickState(Control control) override { return ticks[control]; }
    void SetTickState(Control control, int state) override { ticks[control] = state; }
    Text Caption(Control control) override { return captions[control]; }
    void SetCaption(Control control, const Text& caption) override {
        captions[control] = caption;
        operations.push_back({"caption", control});
    }
    void SetTextColour(Control control, Colour colour) override {
        colours[control] = colour;
        operations.push_back({"colour", control});
    }
    Text CurrentDrive() override { return drive; }
    void ShowMessageBox(const Text& text, unsigned flags, const Text& title) override {
        messages.push_back({text, flags, title, Status()});
    }
    // Answers from `answers`, first to last; No once they run out.
    bool AskYesNo(const Text& text, const Text& title) override {
        questions.push_back({text, 0, title, Status()});
        if (answers.empty())
            return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }

    // The status line as the user sees it.
    Text Status() { return captions[Control::标签4]; }
    Colour StatusColour() { return colours.count(Control::标签4) ? colours[Control::标签4] : kBlack; }

    std::map<Control, int> ticks;
    std::map<Control, Text> captions;
    std::map<Control, Colour> colours;
    std::vector<ShownMessage> messages;
    std::vector<ShownMessage> questions;
    std::deque<bool> answers;
    struct Operation {
        const char* kind;
        Control control;
    };
    std::vector<Operation> operations;
    Text drive = "C";
};

// A failed command's report besides its box: the status line emptied, nothing else in the window.
inline void ExpectStatusEmptied(FakeControlPort& ui) {
    EXPECT_EQ(ui.Status(), "");
    ASSERT_EQ(ui.operations.size(), 1u);
    EXPECT_STREQ(ui.operations[0].kind, "caption");
}

// A command's success report: no message box, and exactly the status line's colour, then its text.
// Clear `operations` before the command runs.
inline void ExpectSuccessReport(FakeControlPort& ui, Colour colour, const Text& text) {
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.Status(), text);
    EXPECT_EQ(ui.StatusColour(), colour);
    ASSERT_EQ(ui.operations.size(), 2u);
    EXPECT_STREQ(ui.operations[0].kind, "colour");
    EXPECT_STREQ(ui.operations[1].kind, "caption");
}
