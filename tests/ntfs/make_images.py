#!/usr/bin/env python3
"""Makes the NTFS test images with mkntfs, fills them through ntfs-3g, and mounts each read-only.

    make_images.py DIR            DIR/NAME.img, mounted at DIR/NAME.mnt
    make_images.py DIR --unmount  unmounts them again

Each image is filled through the mount, unmounted (so every write is in the image), and mounted
again read-only: the tests walk the mount and read the image, and both must stay as they are.
"""
import os
import struct
import subprocess
import sys


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def unmount(path):
    if os.path.ismount(path):
        subprocess.run(["umount", path], check=False)
        if os.path.ismount(path):
            subprocess.run(["umount", "-l", path], check=False)


def write(path, data=b""):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def junction(path, target):
    """Makes the empty folder `path` a Windows junction (a mount-point reparse point) to `target`."""
    substitute = ("\\??\\" + target).encode("utf-16-le")
    printed = target.encode("utf-16-le")
    buffer = struct.pack("<HHHH", 0, len(substitute), len(substitute) + 2, len(printed))
    buffer += substitute + b"\0\0" + printed + b"\0\0"
    data = struct.pack("<IHH", 0xA0000003, len(buffer), 0) + buffer
    os.setxattr(path, "system.ntfs_reparse_data", data)


def fill_mixed(root, small=False):
    j = lambda *parts: os.path.join(root, *parts)
    # The client beside other programs' files of the same name, in mixed letter case.
    write(j("Games", "LeagueClient", "system.yaml"), b"client")
    write(j("Games", "Other", "system.yaml"), b"other")
    write(j("Games", "leagueclient", "SYSTEM.YAML"))
    write(j("Program Files", "Tool", "System.Yaml"))
    write(j("a", "system.yaml"))
    write(j("B", "system.yaml"))
    # "Ä" and "x²" are names GBK cannot hold: neither the walk nor the table lists what they hold.
    for name in ["zeta", "Alpha", "_x", "[b]", "z~1", "é", "à", "ü", "Ω", "ω", "a b", "~tmp", "0", "Ä", "x²"]:
        write(j("Order", name, "system.yaml"))
        write(j("Order", name + ".txt"))
    # Names that differ only in case (the POSIX namespace allows them side by side).
    write(j("Case", "system.yaml"))
    write(j("Case", "System.yaml"))
    write(j("Case", "SYSTEM.yaml"))
    # Chinese names.
    write(j("中文", "英雄联盟", "LeagueClient", "system.yaml"))
    write(j("中文", "游戏", "system.yaml"))
    # Long names with 8.3 names of their own: only the long names may be listed.
    write(j("Long Folder Name", "system.yaml"))
    os.setxattr(j("Long Folder Name"), "system.ntfs_dos_name", b"LONGFO~1")
    write(j("Long Folder Name", "settings-system.yaml"))
    os.setxattr(j("Long Folder Name", "settings-system.yaml"), "system.ntfs_dos_name", b"SYSTEM.YAM")
    # Hard links: one file listed under each of its folders.
    os.makedirs(j("Backup", "链接"))
    os.link(j("Games", "LeagueClient", "system.yaml"), j("Backup", "system.yaml"))
    os.link(j("Games", "LeagueClient", "system.yaml"), j("Backup", "链接", "system.yaml"))
    # A file whose names overflow its record into an attribute list.
    write(j("Many", "system.yaml"))
    for i in range(12 if small else 40):
        os.link(j("Many", "system.yaml"), j("Many", "a-rather-long-name-for-one-more-hard-link-%02d.yaml" % i))
    os.link(j("Many", "system.yaml"), j("Games", "system.yaml"))
    # A junction to a folder with hits: never entered.
    os.makedirs(j("Link"))
    junction(j("Link"), "C:\\Games")
    # Deleted entries: files and a folder that were there.
    write(j("Deleted", "LeagueClient", "system.yaml"))
    write(j("Games", "Gone", "system.yaml"))
    os.remove(j("Deleted", "LeagueClient", "system.yaml"))
    os.rmdir(j("Deleted", "LeagueClient"))
    os.remove(j("Games", "Gone", "system.yaml"))
    os.rmdir(j("Games", "Gone"))
    # A deleted old install in the recycle bin, listed first on the drive.
    write(j("$Recycle.Bin", "S-1-5-21", "$R0AB12", "LeagueClient", "system.yaml"))
    # A folder large enough for an index outside its record.
    for i in range(8 if small else 200):
        write(j("Big", "file%03d.dat" % i))
    write(j("Big", "system.yaml"))


def fill_fragmented(root):
    j = lambda *parts: os.path.join(root, *parts)
    # Data files take the clusters after the MFT; deleting every other one leaves holes, and the
    # files made afterwards grow the MFT into them, piece by piece.
    for i in range(600):
        write(j("fill", "f%04d.bin" % i), b"x" * 8192)
    for i in range(0, 600, 2):
        os.remove(j("fill", "f%04d.bin" % i))
    for i in range(3000):
        write(j("many", "d%02d" % (i % 37), "n%04d" % i))
    for i in range(0, 3000, 3):
        os.remove(j("many", "d%02d" % (i % 37), "n%04d" % i))
    for i in range(0, 37, 5):
        write(j("many", "d%02d" % i, "system.yaml"))
    write(j("many", "LeagueClient", "system.yaml"))


# The seed image is the mixed one made small, for the fuzzer; the tests use the other two.
IMAGES = {
    "mixed": (12, fill_mixed),
    "fragmented": (24, fill_fragmented),
    "seed": (2, lambda root: fill_mixed(root, small=True)),
}


def main():
    folder = os.path.abspath(sys.argv[1])
    names = [n for n in sys.argv[2:] if not n.startswith("--")] or ["mixed", "fragmented"]
    if "--unmount" in sys.argv:
        for name in names:
            unmount(os.path.join(folder, name + ".mnt"))
        return
    os.makedirs(folder, exist_ok=True)
    for name in names:
        megabytes, fill = IMAGES[name]
        image = os.path.join(folder, name + ".img")
        mount = os.path.join(folder, name + ".mnt")
        unmount(mount)
        os.makedirs(mount, exist_ok=True)
        if os.path.exists(image):
            os.remove(image)
        with open(image, "wb") as f:
            f.truncate(megabytes << 20)
        run("mkntfs", "-F", "-q", "-f", "-s", "512", "-c", "1024", "-L", name, image)
        run("ntfs-3g", image, mount)
        try:
            fill(mount)
        finally:
            run("umount", mount)
        run("ntfs-3g", "-o", "ro", image, mount)


if __name__ == "__main__":
    main()
