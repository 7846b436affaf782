// Whether a folder's access list can be replaced without it or anything below it losing an entry
// when Windows applies inheritance anew.
#pragma once

#include <windows.h>

#include <string>

// Whether replacing the list `current` of `folder` by `next` keeps every entry: Windows then takes
// the folder's inherited entries anew from the folder that holds it, and those of everything below
// from what the lists above pass down. So the folder may carry no inherited entry its own folder
// does not give it, nor anything below one that neither list gives it (a file moved in from another
// folder keeps those of its former folder); nothing below may lack a DACL or be unreadable; and no
// list may hold entries out of canonical order, which Windows would not reorder but cut off from
// inheritance.
bool ReplacingKeepsEveryEntry(const std::wstring& folder, PACL current, PACL next);
