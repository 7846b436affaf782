// The reader's reasons for giving up, as one line of text.
#include "ntfs/give_up.h"

namespace ntfs {

namespace {

const char* NameOf(Structure structure) {
    switch (structure) {
        case Structure::kVolume:
            return "volume";
        case Structure::kBootSector:
            return "boot sector";
        case Structure::kMft:
            return "MFT";
        case Structure::kAttributeList:
            return "MFT attribute list";
        case Structure::kUpCase:
            return "$UpCase";
        case Structure::kFileRecord:
            return "file record";
        case Structure::kFolderTree:
            return "folder tree";
        case Structure::kTable:
            return "table";
    }
    return "?";
}

}  // namespace

std::string Describe(const GiveUp& why) {
    std::string text = NameOf(why.structure);
    if (why.structure == Structure::kFileRecord || why.structure == Structure::kFolderTree) {
        text += ' ';
        text += std::to_string(why.record);
    }
    text += ": ";
    text += why.field;
    text += ' ';
    text += std::to_string(why.value);
    text += " (must be ";
    text += why.limit;
    text += ')';
    return text;
}

}  // namespace ntfs
