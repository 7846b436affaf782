// A group box that paints its caption in the colour its parent chooses and passes its children's
// notifications on to its parent.
#pragma once

#include <windows.h>

// Turns an existing BS_GROUPBOX button into such a group box. The caption colour is the text
// colour the parent sets on the DC in answer to WM_CTLCOLORSTATIC, as for a plain static control.
// Controls created inside the group box then report to the parent as if they were its own.
bool MakeColouredGroupBox(HWND groupBox);
