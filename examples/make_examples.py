#!/usr/bin/env python3
"""Writes the editable sources (.fods) of the example form workbooks.

Each form has a title sheet with the identification table "Data_Adr", two data sheets, and a
checks sheet with the table "T_Check", whose "Result" formulas give 1 for a failed check and 0
otherwise. regenerate.sh turns the sources into the .xls/.xlt files that the tests and the
README use.
"""

import datetime
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from fods import Formula, Sheet, write  # noqa: E402

S1 = "Раздел1"
S2 = "Раздел2"


def ref(sheet, cell):
    return "[$'%s'.%s]" % (sheet, cell)


def span(sheet, first, last):
    return "[$'%s'.%s:.%s]" % (sheet, first, last)


# (ID_Form, ID_Section, ID_Rule, ID_Check, Name, formula giving 1 when the check fails)
CHECKS = [
    (1, 1, 1, 1, "Раздел 1, графа 3: строка 01 должна быть равна сумме строк 02–04",
     "=IF(%s<>SUM(%s);1;0)" % (ref(S1, "C5"), span(S1, "C6", "C8"))),
    (1, 1, 1, 2, "Раздел 1, графа 4: строка 01 должна быть равна сумме строк 02–04",
     "=IF(%s<>SUM(%s);1;0)" % (ref(S1, "D5"), span(S1, "D6", "D8"))),
    (1, 1, 2, 1, "Раздел 1, графа 3: строка 05 не может быть больше строки 01",
     "=IF(%s>%s;1;0)" % (ref(S1, "C9"), ref(S1, "C5"))),
    (1, 1, 2, 2, "Раздел 1, графа 4: строка 05 не может быть больше строки 01",
     "=IF(%s>%s;1;0)" % (ref(S1, "D9"), ref(S1, "D5"))),
    (1, 1, 10, 1, "Раздел 1: значения показателей не могут быть отрицательными",
     "=IF(MIN(%s)<0;1;0)" % span(S1, "C5", "D9")),
    (1, 2, 1, 1, "Раздел 2: численность женщин (строка 07) не может быть больше "
     "среднесписочной численности (строка 06)",
     "=IF(%s>%s;1;0)" % (ref(S2, "C6"), ref(S2, "C5"))),
    (1, 2, 2, 1, "Раздел 2: при наличии работников должен быть заполнен фонд оплаты труда "
     "(строка 08)",
     "=IF(AND(%s>0;%s<=0);1;0)" % (ref(S2, "C5"), ref(S2, "C7"))),
]


def title_sheet(code, form_name, organisation, inn, period, head, compiled):
    rows = [
        ["ФЕДЕРАЛЬНОЕ СТАТИСТИЧЕСКОЕ НАБЛЮДЕНИЕ"],
        ["Конфиденциальность гарантируется получателем информации"],
        [None],
        ["ID_Element", "Name", "Val"],
        ["P_OKUD", "Код формы по ОКУД: ", code],
        ["P_FormName", "Форма № ", form_name],
        ["P_Name", "Наименование организации: ", organisation],
        ["P_INN", "ИНН: ", inn],
        ["P_Period", "Отчётный период: ", period],
        ["P_Address", "Почтовый адрес: ", "160000, г. Вологда, ул. Мира, д. 12" if inn else None],
        ["P_Head", "Руководитель: ", head],
        ["P_Date", "Дата составления: ", compiled],
    ]
    return Sheet("Титульный", rows, widths=(3.0, 6.5, 9.0)), "A4:C%d" % len(rows)


def data_sheets(section1, section2):
    """section1: {row code: (column 3, column 4)}; section2: {row code: value}."""
    s1 = [
        ["Раздел 1. Объёмы выполненных работ, тыс. руб."],
        [None],
        ["Наименование показателя", "Код строки", "За отчётный год", "За предыдущий год"],
        ["1", "2", "3", "4"],
    ]
    for code, label in [
        ("01", "Выполнено работ, всего (сумма строк 02–04)"),
        ("02", "в том числе: строительно-монтажные работы"),
        ("03", "ремонтные работы"),
        ("04", "прочие работы"),
        ("05", "Из строки 01 — по государственному заказу"),
    ]:
        c3, c4 = section1.get(code, (None, None))
        s1.append([label, code, c3, c4])
    s2 = [
        ["Раздел 2. Численность и оплата труда работников"],
        [None],
        ["Наименование показателя", "Код строки", "За отчётный год"],
        ["1", "2", "3"],
    ]
    for code, label in [
        ("06", "Среднесписочная численность работников, чел."),
        ("07", "из них женщины"),
        ("08", "Фонд оплаты труда, тыс. руб."),
    ]:
        s2.append([label, code, section2.get(code)])
    return [Sheet(S1, s1, widths=(9.0, 2.0, 3.5, 3.5)), Sheet(S2, s2, widths=(9.0, 2.0, 3.5))]


def checks_sheet(order):
    rows = [["Контроль заполнения формы"], [None],
            ["ID_Form", "ID_Section", "ID_Rule", "ID_Check", "Name", "Result"]]
    for index in order:
        f, s, r, c, name, formula = CHECKS[index]
        rows.append([f, s, r, c, name, Formula(formula)])
    return Sheet("Контроль", rows, widths=(1.8, 2.2, 1.8, 1.8, 14.0, 1.8)), "A3:F%d" % len(rows)


def form(path, code, form_name, organisation, section1, section2, order=None, filled=True):
    title, data_adr = title_sheet(
        code, form_name, organisation if filled else None,
        "3525012345" if filled else None,
        "январь – декабрь 2024 г." if filled else None,
        "Иванова Е. П." if filled else None,
        datetime.date(2025, 1, 20) if filled else None)
    checks, t_check = checks_sheet(order if order is not None else range(len(CHECKS)))
    sheets = [title] + data_sheets(section1, section2) + [checks]
    write(path, sheets, [("Data_Adr", title.name, data_adr), ("T_Check", checks.name, t_check)])


def main(out):
    clean1 = {"01": (1500, 1350), "02": (800, 700), "03": (500, 450), "04": (200, 200),
              "05": (300, 250)}
    clean2 = {"06": 25, "07": 12, "08": 9500.5}
    form(os.path.join(out, "form-0606024-clean.fods"), "0606024",
         "24-РС «Сведения о выполненных работах»", "ООО «Северный луч»", clean1, clean2)

    # Fails 1.1.1.2 (sum), 1.1.2.1 (row 05 above row 01), 1.1.10.1 (a negative value) and
    # 1.2.1.1; the checks stand in the sheet out of the order in which the report lists them.
    broken1 = {"01": (1500, 1400), "02": (800, 700), "03": (500, 450), "04": (200, -50),
               "05": (1600, 300)}
    broken2 = {"06": 25, "07": 31, "08": 9500}
    form(os.path.join(out, "form-0606026-errors.fods"), "0606026",
         "26-РС «Сведения о работах по договорам подряда»", "АО «Вологдастрой»",
         broken1, broken2, order=[5, 4, 2, 0, 1, 6, 3])

    # An unfilled template: its checks compare empty cells, so none of them fails.
    form(os.path.join(out, "template-0606021.fods"), "0606021",
         "21-РС «Сведения о ремонтно-строительных работах»", None, {}, {}, filled=False)

    form(os.path.join(out, "unknown-0710001.fods"), "0710001",
         "по ОКУД 0710001 «Бухгалтерский баланс»", "ООО «Северный луч»", clean1, clean2)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__)))
