#!/usr/bin/env python3
"""Turns bench/run.sh's results.csv into a table (printed and written as summary.md) and a chart."""
import csv
import os
import statistics
import subprocess
import sys

LABELS = {
    "tessalo": "tessalo.exe listing (Wine)",
    "floor": "two counting FindFirstFileA passes (Wine)",
    "dir": "cmd /c dir /b /a-d + /ad (Wine)",
    "ls": "ls -f (native)",
}


def stats(values):
    return statistics.median(values), min(values), max(values)


def main():
    path, out = sys.argv[1], sys.argv[2]
    rows = [r for r in csv.DictReader(open(path)) if r["run"] != "0"]
    sizes = sorted({int(r["entries"]) for r in rows})
    by = {}
    for r in rows:
        by.setdefault((int(r["entries"]), r["contender"]), []).append(r)

    def median_of(size, contender, field="seconds"):
        values = [float(r[field]) for r in by.get((size, contender), []) if r[field]]
        return stats(values) if values else None

    lines = [
        "| entries | contender | median s | min s | max s | / floor | / dir |",
        "|---:|---|---:|---:|---:|---:|---:|",
    ]
    for size in sizes:
        floor = median_of(size, "floor")
        dir_ = median_of(size, "dir")
        for contender in ("tessalo", "floor", "dir", "ls"):
            m = median_of(size, contender)
            if not m:
                continue
            ratio_floor = "%.2f" % (m[0] / floor[0]) if floor else ""
            ratio_dir = "%.3f" % (m[0] / dir_[0]) if dir_ else ""
            lines.append("| %d | %s | %.3f | %.3f | %.3f | %s | %s |"
                         % (size, LABELS[contender], m[0], m[1], m[2], ratio_floor, ratio_dir))
    lines += [
        "",
        "| entries | export 列表框2 s | export 列表框1 s | 目录列表.txt bytes | 文件名列表.txt bytes | peak memory MB |",
        "|---:|---:|---:|---:|---:|---:|",
    ]
    for size in sizes:
        if not by.get((size, "tessalo")):
            continue
        folders = median_of(size, "tessalo", "export_folders")
        files = median_of(size, "tessalo", "export_files")
        peak = median_of(size, "tessalo", "peak_mb")
        last = by[(size, "tessalo")][-1]
        lines.append("| %d | %.3f | %.3f | %s | %s | %.1f (max %.1f) |"
                     % (size, folders[0], files[0], last["folder_list_bytes"],
                        last["file_list_bytes"], peak[0], peak[2]))
    table = "\n".join(lines) + "\n"
    print(table)
    open(os.path.join(out, "summary.md"), "w").write(table)

    data = os.path.join(out, "chart.dat")
    with open(data, "w") as f:
        for contender in ("tessalo", "floor", "dir", "ls"):
            f.write('"%s"\n' % LABELS[contender])
            for size in sizes:
                m = median_of(size, contender)
                if m:
                    f.write("%d %f\n" % (size, m[0]))
            f.write("\n\n")
    script = """
set terminal pngcairo size 900,560 font ",10"
set output '%s'
set logscale xy
set xlabel 'entries in the folder'
set ylabel 'seconds (median)'
set key top left
set grid
set title 'Listing a folder: Tessalo against the platform floor and its own tools'
plot for [i=0:3] '%s' index i using 1:2 with linespoints lw 2 pt 7 title columnheader(1)
""" % (os.path.join(out, "chart.png"), data)
    subprocess.run(["gnuplot"], input=script.encode(), check=True)


if __name__ == "__main__":
    main()
