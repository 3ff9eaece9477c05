#!/usr/bin/env python3
"""The include-rule check catches each kind of breach, in a small made-up tree."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "check-includes")

TABLE = """
low ->
mid -> low
top -> mid low
top/inner -> top mid(headers) low/One.h
tests -> *
system-headers: unistd.h sys/*
system-header-folders: low tests
posix-calls: strcasecmp
"""


class Tree:
    """A source tree in a temporary folder that follows TABLE until a test breaks it."""

    def __init__(self):
        self.folder = tempfile.TemporaryDirectory()
        self.write("tools/include-rules", TABLE)
        self.write("low/One.h", "#include <unistd.h>\n")
        self.write("low/CMakeLists.txt", "pellucor_library(LINKS rt)\n")
        self.write("mid/Only.h", '#include "low/One.h"\n')
        self.write("mid/CMakeLists.txt", "pellucor_library(USES low)\n")
        self.write("top/Top.cpp", '#include "mid/Only.h"\n#include "Top.h"\n')
        self.write("top/Top.h", "// strcasecmp(a, b) in a comment\nconst char* s = \"strcasecmp(\";\n")
        self.write("top/CMakeLists.txt", "pellucor_library(USES mid low LINKS PkgConfig::X)\n")
        self.write("top/inner/Inner.cpp", '#include "../Top.h"\n#include "mid/Only.h"\n#include "low/One.h"\n')
        self.write("top/inner/CMakeLists.txt", "pellucor_library(USES top)\n")
        self.write("tests/low/Probe.cpp", '#include <sys/mman.h>\n#include "top/Top.h"\n')

    def write(self, path, text):
        full = os.path.join(self.folder.name, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as out:
            out.write(text)

    def check(self):
        run = subprocess.run([sys.executable, CHECKER, self.folder.name], capture_output=True, text=True)
        return run.returncode, run.stdout


class IncludeRules(unittest.TestCase):
    def setUp(self):
        self.tree = Tree()
        self.addCleanup(self.tree.folder.cleanup)

    def assertFailsWith(self, *parts):
        code, output = self.tree.check()
        self.assertEqual(code, 1, output)
        for part in parts:
            self.assertIn(part, output)

    def test_a_tree_that_follows_the_table_passes(self):
        code, output = self.tree.check()
        self.assertEqual(code, 0, output)

    def test_an_include_up_a_layer_names_the_file_line_and_folders(self):
        self.tree.write("low/Two.cpp", '// first\n#include "mid/Only.h"\n')
        self.assertFailsWith("low/Two.cpp:2: includes mid/Only.h, but low may not include mid")

    def test_a_single_header_entry_allows_that_header_only(self):
        self.tree.write("low/Other.h", "")
        self.tree.write("top/inner/More.cpp", '#include "low/Other.h"\n')
        self.assertFailsWith("top/inner/More.cpp:1: includes low/Other.h, but top/inner may not include low")

    def test_posix_headers_and_calls_only_where_the_table_allows(self):
        self.tree.write("mid/Posix.cpp", "#include <sys/stat.h>\nint f() { return strcasecmp(\"a\", \"b\"); }\n")
        self.assertFailsWith("mid/Posix.cpp:1: includes <sys/stat.h>", "mid/Posix.cpp:2: calls strcasecmp")

    def test_a_folder_without_a_line_fails(self):
        self.tree.write("new/File.cpp", "")
        self.assertFailsWith("new/File.cpp: its folder has no line")

    def test_a_cycle_in_the_table_fails(self):
        self.tree.write("tools/include-rules", TABLE.replace("low ->\n", "low -> top\n"))
        self.assertFailsWith("the links go round")

    def test_links_must_match_the_line(self):
        self.tree.write("top/CMakeLists.txt", "pellucor_library(USES mid LINKS PkgConfig::X)\n")
        self.tree.write("mid/CMakeLists.txt", "pellucor_library(USES low top)\n")
        self.assertFailsWith("top/CMakeLists.txt: USES differs from tools/include-rules; missing low",
                             "mid/CMakeLists.txt: USES differs from tools/include-rules; not in the table top")


if __name__ == "__main__":
    unittest.main()
