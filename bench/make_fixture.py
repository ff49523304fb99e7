#!/usr/bin/env python3
"""Makes a benchmark folder of N entries and keeps it for later runs.

Names are 10 to 40 bytes (as code page 936 bytes under Wine), about a fifth hold Chinese
characters, about 1% are sub-folders. The same N always gives the same names.
"""
import os
import random
import sys

CHINESE = "文档照片下载资料报告项目会议记录备份目录表格图片音乐视频数据设计测试发布版本"
ASCII = "abcdefghijklmnopqrstuvwxyz0123456789_-"


def make_name(rng, index):
    target = rng.randint(10, 40)
    suffix = "_%d" % index  # keeps names unique
    chinese = rng.random() < 0.2
    name = ""
    while True:
        if chinese and rng.random() < 0.5:
            ch = rng.choice(CHINESE)
        else:
            ch = rng.choice(ASCII)
        if len((name + ch + suffix).encode("gbk")) > target:
            break
        name += ch
    return name + suffix


def main():
    count = int(sys.argv[1])
    folder = sys.argv[2]
    stamp = os.path.join(folder, ".complete")
    if os.path.exists(stamp):
        return
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(count)
    for i in range(count - 3):  # the stamp, "." and ".." complete the count
        name = make_name(rng, i)
        path = os.path.join(folder, name)
        if rng.random() < 0.01:
            os.makedirs(path, exist_ok=True)
        else:
            open(path, "wb").close()
    # The stamp is the only name starting with "." and is counted among the entries.
    open(stamp, "wb").close()


if __name__ == "__main__":
    main()
