// The whole-tree search for files by name that finds the client on a drive.
#pragma once

#include "platform/text.h"

// Walks `directory` and everything below it, depth first, and appends to `results` the full path
// of every file whose name matches one of the "|"-separated `patterns` (wildcards '*' and '?',
// any letter case). Hits come in this order: a directory's own files first, pattern by pattern and
// each in the order the file system lists them, then its subdirectories one after the other in
// that order, each completely before the next. Links to directories are not entered. A hit is
// the directory with one backslash after it, then the name as the file system reports it. A name
// that GBK cannot hold exactly is passed over: such a file is no hit, such a folder not entered.
//
// The window stays responsive: the walk drains the message queue as it goes, so handlers run
// nested inside it and see `results` as it stands. Once the queue held a quit request, the walk
// stops and leaves the request in the queue (see QuitRequested()).
//
// Returns the number of entries in `results` afterwards, those it held before included. A
// directory that cannot be listed contributes nothing.
int FindFilesRecursive(const Text& directory, const Text& patterns, TextList& results);
