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


class Table:
    """A named area as a table: lower-case column names and the rows under the header."""

    def __init__(self, sheet, rlo, rhi, clo, chi):
        self.sheet, self.first, self.end, self.clo = sheet, rlo + 1, rhi, clo
        self.header = []
        for c in range(clo, chi):
            ok = sheet.cell_type(rlo, c) == xlrd.XL_CELL_TEXT
            text = sheet.cell_value(rlo, c) if ok else ""
            self.header.append(text.lower() if text else "f%d" % (c - clo + 1))

    def rows(self):
        return max(0, self.end - self.first)

    def column(self, wanted):
        """The (type, value) pairs of a column, read straight from the sheet's cell lists."""
        c = self.clo + self.header.index(wanted)
        return list(zip(self.sheet.col_types(c, self.first, self.end),
                        self.sheet.col_values(c, self.first, self.end)))


def read_table(book, wanted):
    """The table of a defined name; None when the workbook has no such name."""
    name = find_name(book, wanted)
    if name is None:
        return None
    sheet, rlo, rhi, clo, chi = name.area2d(clipped=True)
    if rlo >= rhi:
        return Table(sheet, rlo, rlo, clo, clo)
    return Table(sheet, rlo, rhi, clo, chi)


def number_text(value):
    """The shortest general form of a number: 606024, 12.5."""
    if value == int(value) and abs(value) < 1e15:
        return str(int(value))
    return repr(value)


def cell_text(cell):
    """A cell as text; None for an empty or error cell."""
    ctype, value = cell
    if ctype == xlrd.XL_CELL_TEXT:
        return value
    if ctype == xlrd.XL_CELL_NUMBER:
        return number_text(value)
    if ctype == xlrd.XL_CELL_BOOLEAN:
        return "1" if value else "0"
    if ctype == xlrd.XL_CELL_DATE:
        day = datetime.date(1899, 12, 30) + datetime.timedelta(days=int(value))
        return day.strftime("%d.%m.%Y")
    return None


NUMERIC = (xlrd.XL_CELL_NUMBER, xlrd.XL_CELL_DATE, xlrd.XL_CELL_BOOLEAN)


def cell_number(cell):
    """A cell as a number for a numeric comparison; None when it holds no number."""
    ctype, value = cell
    if ctype in NUMERIC:
        return float(value)
    if ctype == xlrd.XL_CELL_TEXT:
        try:
            return float(value)
        except ValueError:
            return None
    return None


def sort_key(cell):
    """Empty values first, then numbers, then texts, as the ordering of the checks expects."""
    ctype, value = cell
    if ctype in NUMERIC:
        return (1, float(value), "")
    if ctype == xlrd.XL_CELL_TEXT:
        return (2, 0.0, value)
    return (0, 0.0, "")


def form_lines(book):
    """The lines between the date line and the closing line; None for a form not recognised."""
    data = read_table(book, "Data_Adr")
    if data is None:
        return None
    keys = [cell_text(c) for c in data.column("id_element")]
    vals, labels = data.column("val"), data.column("name")
    if "P_OKUD" not in keys or cell_text(vals[keys.index("P_OKUD")]) not in ACCEPTED:
        return None
    lines = []
    if data.rows():
        for wanted in ("P_FormName", "P_Name"):
            if wanted not in keys:
                lines.append("")
                continue
            i = keys.index(wanted)
            lines.append((cell_text(labels[i]) or "") + (cell_text(vals[i]) or ""))
    checks = read_table(book, "T_Check")
    if checks is None:
        raise RuntimeError("no T_Check table")
    results = checks.column("result")
    failed = [i for i, cell in enumerate(results) if (cell_number(cell) or 0) > 0]
    ids = [checks.column(k) for k in CHECK_KEYS]
    names = checks.column("name")
    failed.sort(key=lambda i: [sort_key(column[i]) for column in ids])
    lines += [cell_text(names[i]) or "" for i in failed] or [NO_ERRORS]
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
