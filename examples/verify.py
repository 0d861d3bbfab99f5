#!/usr/bin/env python3
"""Checks what LibreOffice wrote, with an independent reader (python3-xlrd): the two tables are
workbook-level names over the intended areas, the form code kept its leading zero as text, and
the saved check results are the ones each example was designed to give."""

import os
import sys

try:
    import xlrd
except ImportError:
    print("verify.py: python3-xlrd is not installed; the check is skipped")
    sys.exit(0)

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")

# file: (code, failed checks as (ID_Form, ID_Section, ID_Rule, ID_Check))
EXAMPLES = {
    "examples/form-0606024-clean.xls": ("0606024", set()),
    "examples/form-0606026-errors.xls": ("0606026", {(1, 1, 1, 2), (1, 1, 2, 1), (1, 1, 10, 1),
                                                     (1, 2, 1, 1)}),
    "examples/template-0606021.xlt": ("0606021", set()),
    "examples/unknown-0710001.xls": ("0710001", set()),
}

problems = []


def table(book, name, scope=-1):
    found = [n for n in book.name_obj_list if n.name.lower() == name.lower() and n.scope == scope]
    if len(found) != 1:
        problems.append("%s: %d names %s of scope %d" % (book.path, len(found), name, scope))
        return None, []
    result = found[0].result
    if result is None or result.kind != xlrd.oREF or len(result.value) != 1:
        problems.append("%s: %s is not one area" % (book.path, name))
        return None, []
    ref = result.value[0]
    sheet = book.sheet_by_index(ref.shtxlo)
    rows = []
    for r in range(ref.rowxlo, min(ref.rowxhi, sheet.nrows)):
        rows.append([sheet.cell(r, c) if c < sheet.ncols else None
                     for c in range(ref.colxlo, ref.colxhi)])
    return ref, rows


def check_example(path, code, failed):
    book = xlrd.open_workbook(os.path.join(ROOT, path))
    book.path = path
    _, adr = table(book, "Data_Adr")
    vals = {row[0].value: row[2] for row in adr[1:]}
    okud = vals.get("P_OKUD")
    if okud is None or okud.ctype != xlrd.XL_CELL_TEXT or okud.value != code:
        problems.append("%s: P_OKUD is %r, not the text %s" % (path, okud, code))
    _, checks = table(book, "T_Check")
    header = [c.value for c in checks[0]]
    if header != ["ID_Form", "ID_Section", "ID_Rule", "ID_Check", "Name", "Result"]:
        problems.append("%s: T_Check header %r" % (path, header))
    got = {tuple(int(c.value) for c in row[:4]) for row in checks[1:] if row[5].value > 0}
    if got != failed:
        problems.append("%s: failed checks %r, expected %r" % (path, sorted(got), sorted(failed)))


def check_values(name):
    book = xlrd.open_workbook(os.path.join(ROOT, "tests/fixtures", name), formatting_info=True)
    book.path = name
    _, adr = table(book, "Data_Adr")
    kinds = {row[0].value: (xlrd.sheet.ctype_text[row[2].ctype], row[2].value) for row in adr[1:]}
    expected = {
        "P_OKUD": ("text", "0606024"), "P_Int": ("number", 606024.0), "P_Frac": ("number", 12.5),
        "P_Neg": ("number", -3.25), "P_True": ("bool", 1), "P_False": ("bool", 0),
        "P_Div0": ("error", 7), "P_NA": ("error", 42), "P_Date": ("xldate", 45306.0),
        "P_Empty": ("empty", ""), "P_FText": ("text", "0606024"), "P_FBool": ("bool", 1),
        "P_FEmpty": ("text", ""),
    }
    for key, want in expected.items():
        if kinds.get(key) != want:
            problems.append("%s: %s is %r, expected %r" % (name, key, kinds.get(key), want))
    _, checks = table(book, "T_Check")
    if len(checks) != 6 or any(c.value != "" for c in checks[3]):
        problems.append("%s: T_Check has no empty fourth row" % name)


def check_names():

    book = xlrd.open_workbook(os.path.join(ROOT, "tests/fixtures/lo-names.xls"))
    book.path = "lo-names.xls"
    ref, rows = table(book, "T_Check")
    if ref is not None and (ref.shtxlo, len(rows)) != (1, 3):
        problems.append("lo-names.xls: global T_Check on sheet %d, %d rows" % (ref.shtxlo, len(rows)))
    ref, rows = table(book, "T_Check", scope=2)
    if ref is not None and (ref.shtxlo, len(rows)) != (2, 2):
        problems.append("lo-names.xls: local T_Check on sheet %d, %d rows" % (ref.shtxlo, len(rows)))
    ref, _ = table(book, "Whole_Columns")
    if ref is not None and (ref.rowxlo, ref.rowxhi, ref.colxlo, ref.colxhi) != (0, 65536, 0, 6):
        problems.append("lo-names.xls: Whole_Columns is %r" % ref)


def check_no_checks():
    book = xlrd.open_workbook(os.path.join(ROOT, "tests/fixtures/lo-no-checks.xls"))
    if [n.name for n in book.name_obj_list] != ["Data_Adr"]:
        problems.append("lo-no-checks.xls: names %r" % [n.name for n in book.name_obj_list])


for path, (code, failed) in EXAMPLES.items():
    check_example(path, code, failed)
check_values("lo-values.xls")
if os.path.exists(os.path.join(ROOT, "tests/fixtures/gnumeric-values.xls")):
    check_values("gnumeric-values.xls")
check_names()
check_no_checks()
if problems:
    print("\n".join(problems), file=sys.stderr)
    sys.exit(1)
print("verify.py: examples and fixtures are as designed")
