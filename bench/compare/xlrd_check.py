#!/usr/bin/python3
"""The check job done with python3-xlrd, for the whole-job comparison.

Usage: xlrd_check.py --report FILE PATH...

For every workbook: read the defined names Data_Adr and T_Check as tables (first row names
the columns), take the form code from the P_OKUD row, and for an accepted code write the two
caption lines (P_FormName, P_Name) and the failed checks (Result > 0) ordered by the four IDs.
The report has the same layout as zort-check's: Windows-1251, CR LF line ends.
"""

import datetime
import os
import sys

import xlrd

ACCEPTED = {"0606024", "0606021", "0606020", "0606026", "0000001", "0000002"}
STARS = "*" * 66
UNKNOWN = "***      Ошибка №1: Неизвестный документ!!!      ***"
NO_ERRORS = "Ошибки в документе не найдены."
CHECK_KEYS = ("id_form", "id_section", "id_rule", "id_check")


def find_name(book, wanted):
    """A workbook-level name wins; otherwise the first sheet-local one in the workbook's order."""
    local = None
    for name in book.name_obj_list:
        if name.name.lower() != wanted.lower() or name.builtin:
            continue
        if name.scope == -1:
            return name
        if local is None and name.scope >= 0:
            local = name
    return local


def read_table(book, wanted):
    """(lower-case column names, rows of xlrd cells); None when the name is missing."""
    name = find_name(book, wanted)
    if name is None:
        return None
    sheet, rlo, rhi, clo, chi = name.area2d(clipped=True)
    if rlo >= rhi:
        return [], []
    header = []
    for c in range(clo, chi):
        cell = sheet.cell(rlo, c)
        text = cell.value if cell.ctype == xlrd.XL_CELL_TEXT else ""
        header.append(text.lower() if text else "f%d" % (c - clo + 1))
    rows = [[sheet.cell(r, c) for c in range(clo, chi)] for r in range(rlo + 1, rhi)]
    return header, rows


def number_text(value):
    """The shortest general form of a number: 606024, 12.5."""
    if value == int(value) and abs(value) < 1e15:
        return str(int(value))
    return repr(value)


def cell_text(cell):
    """A cell as text; None for an empty or error cell."""
    if cell.ctype == xlrd.XL_CELL_TEXT:
        return cell.value
    if cell.ctype == xlrd.XL_CELL_NUMBER:
        return number_text(cell.value)
    if cell.ctype == xlrd.XL_CELL_BOOLEAN:
        return "1" if cell.value else "0"
    if cell.ctype == xlrd.XL_CELL_DATE:
        day = datetime.date(1899, 12, 30) + datetime.timedelta(days=int(cell.value))
        return day.strftime("%d.%m.%Y")
    return None


def cell_number(cell):
    """A cell as a number for a numeric comparison; None when it holds no number."""
    if cell.ctype in (xlrd.XL_CELL_NUMBER, xlrd.XL_CELL_DATE, xlrd.XL_CELL_BOOLEAN):
        return float(cell.value)
    if cell.ctype == xlrd.XL_CELL_TEXT:
        try:
            return float(cell.value)
        except ValueError:
            return None
    return None


def sort_key(cell):
    """Empty values first, then numbers, then texts, as the ordering of the checks expects."""
    if cell.ctype in (xlrd.XL_CELL_NUMBER, xlrd.XL_CELL_DATE, xlrd.XL_CELL_BOOLEAN):
        return (1, float(cell.value), "")
    if cell.ctype == xlrd.XL_CELL_TEXT:
        return (2, 0.0, cell.value)
    return (0, 0.0, "")


def column(header, wanted):
    return header.index(wanted)


def form_lines(book):
    """The lines between the date line and the closing line."""
    data = read_table(book, "Data_Adr")
    if data is None:
        return None
    header, rows = data
    key, val, label = column(header, "id_element"), column(header, "val"), column(header, "name")
    elements = [(cell_text(r[key]), r) for r in rows]
    okud = next((r for k, r in elements if k == "P_OKUD"), None)
    code = cell_text(okud[val]) if okud is not None else None
    if code not in ACCEPTED:
        return None
    lines = []
    if rows:
        for wanted in ("P_FormName", "P_Name"):
            row = next((r for k, r in elements if k == wanted), None)
            if row is None:
                lines.append("")
            else:
                lines.append((cell_text(row[label]) or "") + (cell_text(row[val]) or ""))
    checks = read_table(book, "T_Check")
    if checks is None:
        raise RuntimeError("no T_Check table")
    header, rows = checks
    ids = [column(header, k) for k in CHECK_KEYS]
    result, name = column(header, "result"), column(header, "name")
    failed = [r for r in rows if (cell_number(r[result]) or 0) > 0]
    failed.sort(key=lambda r: [sort_key(r[i]) for i in ids])
    lines += [cell_text(r[name]) or "" for r in failed] or [NO_ERRORS]
    return lines


def block(path):
    now = datetime.datetime.now()
    lines = ["Файл: " + path, "Дата: %s   %s" % (now.strftime("%d.%m.%Y"), clock())]
    try:
        book = xlrd.open_workbook(path, on_demand=True, logfile=open(os.devnull, "w"))
        try:
            body = form_lines(book)
        finally:
            book.release_resources()
    except (xlrd.XLRDError, OSError, ValueError):
        body = None
    lines += body if body is not None else [STARS, UNKNOWN, STARS]
    lines += ["Проверка завершена: %s." % clock(), "", "", ""]
    return lines


def clock():
    now = datetime.datetime.now()
    return "%d:%02d:%02d" % (now.hour, now.minute, now.second)


def main(argv):
    if len(argv) < 3 or argv[0] != "--report":
        print("usage: xlrd_check.py --report FILE PATH...", file=sys.stderr)
        return 64
    with open(argv[1], "wb") as report:
        for path in argv[2:]:
            text = "".join(line + "\r\n" for line in block(os.path.abspath(path)))
            report.write(text.encode("cp1251", errors="replace"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
