#!/usr/bin/env python3
"""Generates the benchmark's synthetic drive: the same tree for the same seed, every time.

The shape imitates a game drive: a few wide top-level folders, deep install trees, many small
files with ordinary extensions, some Chinese folder names, a handful of other programs'
system.yaml files, and exactly one client folder (...\\LeagueClient\\system.yaml).
Files are empty: a directory walk reads names and attributes, never contents.

usage: make_tree.py DIR [--seed N] [--folders N] [--files N]
"""
import argparse
import multiprocessing
import os
import random
import shutil
import stat
import sys

EXTENSIONS = ["dll", "exe", "txt", "png", "json", "yaml", "log", "dat", "pak", "ini", "xml", "js", "wem", "bin"]
CHINESE = ["游戏", "英雄联盟", "腾讯", "资源", "配置", "音效", "皮肤", "地图", "缓存", "文档", "下载", "备份"]
LETTERS = "abcdefghijklmnopqrstuvwxyz0123456789_-"


def name(rng, extension=None):
    text = "".join(rng.choice(LETTERS) for _ in range(rng.randint(3, 16)))
    if rng.random() < 0.3:
        text = text.capitalize()
    return text + "." + extension if extension else text


def folder_name(rng):
    if rng.random() < 0.05:
        return rng.choice(CHINESE) + str(rng.randint(1, 99))
    if rng.random() < 0.03:
        return "." + name(rng)  # dot-folders are walked like any other
    return name(rng)


def plan(seed, folders, files):
    """Returns (folders, files) as relative paths, in creation order."""
    rng = random.Random(seed)
    tree = [""]
    # Grow the tree by attaching each new folder under a random earlier one, favouring recent
    # folders so that deep chains form, as install trees have them.
    while len(tree) < folders:
        if rng.random() < 0.6:
            parent = tree[rng.randint(max(0, len(tree) - 50), len(tree) - 1)]
        else:
            parent = tree[rng.randint(0, len(tree) - 1)]
        if parent.count("/") >= 12:
            parent = ""
        tree.append(os.path.join(parent, folder_name(rng)) if parent else folder_name(rng))
    tree = list(dict.fromkeys(tree))  # drop the rare duplicate name
    paths = set()
    file_list = []
    while len(file_list) < files:
        folder = tree[rng.randint(0, len(tree) - 1)]
        path = os.path.join(folder, name(rng, rng.choice(EXTENSIONS)))
        if path not in paths:
            paths.add(path)
            file_list.append(path)
    # Other programs' system.yaml files, one of them in a folder named only like the client.
    for folder in rng.sample(tree[1:], 5) + ["Games/OldLeagueClient"]:
        file_list.append(os.path.join(folder, "system.yaml"))
    client = os.path.join(rng.choice(tree[1:200]), "英雄联盟", "LeagueClient")
    file_list.append(os.path.join(client, "system.yaml"))
    return tree, file_list, client


def make_files(paths):
    for path in paths:
        os.mknod(path, 0o644 | stat.S_IFREG)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("dir")
    parser.add_argument("--seed", type=int, default=20240607)
    parser.add_argument("--folders", type=int, default=30000)
    parser.add_argument("--files", type=int, default=300000)
    args = parser.parse_args()

    stamp_text = f"seed={args.seed} folders={args.folders} files={args.files}\n"
    stamp = os.path.join(args.dir, ".tree-complete")
    if os.path.exists(stamp) and open(stamp).read() == stamp_text:
        print(f"tree up to date: {args.dir}")
        return
    if os.path.exists(args.dir):
        shutil.rmtree(args.dir)

    tree, files, client = plan(args.seed, args.folders, args.files)
    for folder in tree[1:]:
        os.makedirs(os.path.join(args.dir, folder), exist_ok=True)
    for folder in {os.path.dirname(path) for path in files}:
        os.makedirs(os.path.join(args.dir, folder), exist_ok=True)
    # File creation is all system calls; two processes keep both cores busy.
    with multiprocessing.Pool(2) as pool:
        pool.map(make_files, [[os.path.join(args.dir, p) for p in files[i::2]] for i in range(2)])
    with open(stamp, "w") as f:
        f.write(stamp_text)
    print(f"generated {len(tree)} folders, {len(files)} files in {args.dir}; client under {client}")


if __name__ == "__main__":
    sys.exit(main())
