#!/usr/bin/env python3
"""How much of the C++ code is test code: non-blank lines that are not
// comments, of the *.cpp and *.h files git tracks. Test code is every file
under a tests/ folder, the top tests/ folder and testing/.

Usage: scripts/test_share.py   (from anywhere in the checkout)
"""
import os
import subprocess

root = subprocess.check_output(["git", "rev-parse", "--show-toplevel"], text=True).strip()
files = subprocess.check_output(["git", "-C", root, "ls-files", "*.cpp", "*.h"], text=True).split()


def counted_lines(name):
    with open(os.path.join(root, name), errors="replace") as source:
        return sum(1 for line in source if line.strip() and not line.strip().startswith("//"))


def is_test(name):
    return "/tests/" in name or name.startswith(("tests/", "testing/"))


total = test = 0
for name in files:
    lines = counted_lines(name)
    total += lines
    test += lines if is_test(name) else 0
print(f"test code: {test} of {total} lines ({100 * test / total:.1f}%)")
