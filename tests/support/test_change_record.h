// The tool's record of changes kept in a temporary folder of the test's own: the record goes where
// Windows names the user's local application data, and the test answers that call.
#pragma once

#include <string>
#include <vector>

#include "platform/encoding.h"
#include "platform/known_folder.h"
#include "support/temp_tree.h"

class TestChangeRecord {
   public:
    TestChangeRecord()
        : calls_({.getKnownFolderPath = [this](const GUID&, std::wstring& path) {
              path = ToWide(folder_.Path());
              return S_OK;
          }}) {}

    Text Path() const { return folder_ / "Tellwick\\changes.txt"; }
    const TempTree& Folder() const { return folder_; }
    // The record's lines without their line ends; none while there is no record.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        if (!PathExists(Path()))
            return lines;
        std::string bytes = ReadBytes(Path());
        for (size_t start = 0; start < bytes.size();) {
            size_t end = bytes.find("\r\n", start);
            if (end == std::string::npos)
                end = bytes.size();
            lines.push_back(bytes.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }

   private:
    TempTree folder_;
    ScopedKnownFolderCalls calls_;
};

// Every test program that sees the commands through FakeControlPort keeps its record here, never in
// the prefix's own folder; a test that reads the record installs one of its own on top.
inline const TestChangeRecord kProgramChangeRecord;
