// Where the NTFS test images are: the folder CTest names in TELLWICK_NTFS_IMAGES.
#include "support/ntfs_images.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "support/wine_host.h"

namespace {

Text ImagesFolder() {
    char folder[MAX_PATH * 2] = "";
    if (!GetEnvironmentVariableA("TELLWICK_NTFS_IMAGES", folder, sizeof folder)) {
        ADD_FAILURE() << "TELLWICK_NTFS_IMAGES is not set: CTest makes the images before this test";
        return {};
    }
    return WindowsPathOf(folder);
}

}  // namespace

Text NtfsImage(std::string_view name) {
    return ImagesFolder() + "\\" + Text(name) + ".img";
}

Text NtfsMount(std::string_view name) {
    return ImagesFolder() + "\\" + Text(name) + ".mnt";
}
