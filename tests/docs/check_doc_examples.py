#!/usr/bin/env python3
"""Compiles and runs every C++ example of the README and docs/ against the built library.

A block with a main() is a whole program; any other block is a fragment, wrapped in main()
after the library's headers. Each program must build without warnings and exit with status 0.
"""
import os
import re
import subprocess
import sys
import tempfile

WRAP_HEAD = "#include <mojiwa/KanjiHash.h>\n#include <cstdio>\nint main() {\n"
WRAP_TAIL = "\nreturn 0;\n}\n"


def blocks(path):
    text = open(path, encoding="utf-8").read()
    for number, match in enumerate(re.finditer(r"```cpp\n(.*?)```", text, re.S), 1):
        yield f"{os.path.basename(path)}#{number}", match.group(1)


def main():
    cxx, include, libdir = sys.argv[1:4]
    files = sys.argv[4:]
    failures = 0
    count = 0
    with tempfile.TemporaryDirectory() as work:
        for path in files:
            for name, code in blocks(path):
                count += 1
                if "int main" not in code:
                    code = WRAP_HEAD + code + WRAP_TAIL
                source = os.path.join(work, "example.cpp")
                binary = os.path.join(work, "example")
                open(source, "w", encoding="utf-8").write(code)
                build = subprocess.run(
                    [cxx, "-std=c++11", "-Wall", "-Wextra", "-Wpedantic", "-Werror",
                     "-I", include, source, "-o", binary, "-L", libdir, "-lmojiwa",
                     "-Wl,-rpath," + libdir], capture_output=True, text=True)
                if build.returncode != 0:
                    print(f"{name}: does not compile\n{build.stderr}")
                    failures += 1
                    continue
                run = subprocess.run([binary], cwd=work, capture_output=True, timeout=60)
                if run.returncode != 0:
                    print(f"{name}: exits with {run.returncode}")
                    failures += 1
    print(f"{count - failures} passed, {failures} failed")
    return 1 if failures or count == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
