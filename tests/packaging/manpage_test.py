#!/usr/bin/env python3
"""The manual page generator: README cells become safe roff, every key row becomes one list entry,
and the render check rejects a page that man(1) warns about."""
import importlib.machinery
import os
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "manpage")
manpage = importlib.machinery.SourceFileLoader("manpage", SCRIPT).load_module()

README = """\
| Key | Does | With a document open |
|---|---|---|
| Ctrl+T | shows `a-b` (see below) | — |
| Alt+\\| | **pipes** | closes them |

| Other | Does |
|---|---|
| x | not a key |

| Key | Does | With a document open |
|---|---|---|
| .dot | starts a line | - |
"""


class ManPage(unittest.TestCase):
    def test_cells(self):
        for cell, roff in [
            ("`pohjantuulikko.toml`", r"\fBpohjantuulikko.toml\fR"),
            ("**Ctrl+T** → `a-b`", r"\fBCtrl+T\fR \[u2192] \fBa\-b\fR"),
            (".hidden", r"\&.hidden"),
            ("'quoted", r"\&'quoted"),
            ("a\\b full-screen", r"a\eb full-screen"),
        ]:
            self.assertEqual(manpage.roff_text(cell), roff, cell)

    def test_every_key_table_and_row(self):
        self.assertEqual(manpage.roff_list(manpage.tables(README, "Key")).splitlines(), [
            ".TP", r"\fBCtrl+T\fR", r"shows \fBa\-b\fR",
            ".TP", r"\fBAlt+|\fR", r"\fBpipes\fR; with a document open: closes them",
            ".TP", r"\fB\&.dot\fR", "starts a line"])
        with self.assertRaises(SystemExit):
            manpage.roff_list([(["Key", "Does"], [["a", "b", "c"]])])
        with self.assertRaises(SystemExit):
            manpage.tables("no tables", "Key")

    def test_check_rejects_warnings_and_missing_rows(self):
        page = '.TH T 1 "2026-01-01" "t 1" "User Commands"\n.SH NAME\nt \\- t\n.SH KEYS\n'
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "t.1")
            for body, readme, good in [
                (".TP\n.B Ctrl+T\nshows\n", "| Key | Does |\n|-|-|\n| Ctrl+T | shows |\n", True),
                (".XX\n.B Ctrl+T\n", "| Key | Does |\n|-|-|\n| Ctrl+T | shows |\n", False),
                (".TP\n.B Ctrl+T\nshows\n", "| Key | Does |\n|-|-|\n| Ctrl+U | shows |\n", False),
            ]:
                with open(path, "w", encoding="utf-8") as f:
                    f.write(page + body)
                if good:
                    manpage.check(path, readme, ["Key"])
                else:
                    with self.assertRaises(SystemExit, msg=body + readme):
                        manpage.check(path, readme, ["Key"])


if __name__ == "__main__":
    sys.exit(unittest.main())
