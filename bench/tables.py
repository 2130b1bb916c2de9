#!/usr/bin/env python3
"""Turns the JSON of one mojiwa_bench run into the Markdown tables of docs/performance.md.

    build-bench/bench/mojiwa_bench --benchmark_repetitions=3 \
        --benchmark_out=bench.json --benchmark_out_format=json
    python3 bench/tables.py bench.json

With repetitions the medians are shown, else the single runs. Each ratio is marked with its
target: "met" or "missed" and by how much.
"""
import json
import sys


def rows(path):
    """name -> the benchmark record to show (the median when there are repetitions)."""
    found = {}
    for record in json.load(open(path))["benchmarks"]:
        name = record["run_name"]
        if record.get("run_type") == "aggregate":
            if record.get("aggregate_name") == "median":
                found[name] = record
        elif name not in found and record.get("error_occurred") is not True:
            found[name] = record
    return found


def mbps(record):
    return f"{record['bytes_per_second'] / 1e6:,.0f}"


def verdict(value, target):
    if value >= target:
        return f"{value:.3g} (met, >= {target:g})"
    return f"{value:.3g} (missed, >= {target:g}: {target / value:.3g}x short)"


def table(header, lines):
    print("| " + " | ".join(header) + " |")
    print("|" + "|".join("---" if i == 0 else "---:" for i in range(len(header))) + "|")
    for line in lines:
        print("| " + " | ".join(line) + " |")
    print()


def main(path):
    found = rows(path)
    conversions = ["S2E", "E2S", "S2J", "E2J", "J2E", "J2S"]
    iconv_target = {"S2E": 8, "E2J": 8, "S2J": 8, "J2E": 8, "E2S": 3, "J2S": 3}

    lines = []
    for c in conversions:
        iconv = found.get(f"Iconv/{c}")
        for room in ["null_room", "counted_room"]:
            r = found.get(f"Convert/{c}/{room}")
            if r is None or iconv is None:
                continue
            loop = verdict(r["x_loop"], 1.5) if "x_loop" in r else ""
            lines.append([f"Copy{c} ({room.replace('_', ' ')})", mbps(r), mbps(iconv),
                          verdict(r["x_iconv"], iconv_target[c]), loop,
                          verdict(r["x_memcpy"], 0.1)])
    print("Block converters on the main corpus (MB/s of input):\n")
    table(["converter", "MB/s", "iconv MB/s", "x iconv", "x plain loop", "x memcpy"], lines)

    lines = []
    for c in conversions:
        r = found.get(f"Convert/{c}/null_room/50MB")
        if r is not None:
            lines.append([f"Copy{c} (null room)", mbps(r), verdict(r["x_memcpy"], 0.1)])
    if lines:
        print("The same on the corpus eight times over (50 MB, beyond the cache), beside memcpy of "
              "that text:\n")
        table(["converter", "MB/s", "x memcpy"], lines)

    lines = []
    for name in ["PlainLoop/S2E", "PlainLoop/E2S", "Memcpy/corpus/ja-sjis.txt",
                 "Memcpy/corpus/ja-jis.txt"]:
        if name in found:
            lines.append([name, mbps(found[name])])
    print("Yardsticks:\n")
    table(["yardstick", "MB/s"], lines)

    lines = []
    for name, r in found.items():
        if name.startswith("CheckCode/"):
            gbps = r["bytes_per_second"] / 1e9
            lines.append([name.split("/")[-1], r.get("label", ""), f"{gbps:,.2f}",
                          "met" if gbps >= 1 else f"missed ({1 / gbps:.2f}x short)"])
    print("CheckCode over each whole file (GB/s; target >= 1):\n")
    table(["file", "answer", "GB/s", "target"], lines)

    lines = []
    for name, r in found.items():
        if name.startswith("Append/") or name.startswith("Assign/"):
            lines.append([name.split("/iterations")[0], mbps(r), f"{r['x_convert']:.3f}"])
    print("The object taking the 6.26 MB Shift_JIS corpus into EUC-JP "
          "(x convert = CopyS2E alone / the object):\n")
    table(["benchmark", "MB/s", "x convert"], lines)

    lines = []
    for name, r in found.items():
        if name.startswith("TextOp/"):
            lines.append([name[len("TextOp/"):], mbps(r), verdict(r["x_assign"], 0.25),
                          verdict(r["x_assign_auto"], 0.25), verdict(r["x_assign_new"], 0.25)])
    print("Text operations on 1 MB of Shift_JIS. Each column is an assignment of the same text "
          "divided by the operation, target >= 0.25: x assign, to an object whose buffer fits and "
          "whose input code is given (a plain copy); x assign auto, the same with the input code "
          "detected (an object whose input code is EMODE_AUTO); x assign new, to a new object with "
          "the same step:\n")
    table(["operation", "MB/s", "x assign", "x assign auto", "x assign new"], lines)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "bench.json")
