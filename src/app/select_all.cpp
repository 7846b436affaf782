// Select-all: the three tuning boxes follow 选择框_ALL after its click has toggled it.
#include "app/select_all.h"

void OnSelectAll(ControlPort& ui) {
    const int state = ui.TickState(Control::选择框_ALL) == 0 ? 0 : 1;
    ui.SetTickState(Control::选择框_DX11, state);
    ui.SetTickState(Control::选择框_Cross, state);
    ui.SetTickState(Control::选择框_log, state);
}
