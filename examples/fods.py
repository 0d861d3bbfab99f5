"""A small writer of flat OpenDocument spreadsheets (.fods).

The example forms and the test fixtures are described in Python and written through this module,
so that their editable sources stay readable and LibreOffice turns them into .xls files. Only
what the forms need is supported: text, numbers, booleans, dates, formulas, and named ranges
that are workbook-level or local to one sheet.
"""

import datetime
from xml.sax.saxutils import escape, quoteattr


class Formula:
    """A cell formula in OpenFormula syntax, such as "=IF([.C5]<>[.C6];1;0)".

    LibreOffice recalculates every formula when it loads a file that it did not write itself,
    so no cached value is given here: the saved workbook holds LibreOffice's own results.
    """

    def __init__(self, text):
        self.text = text


class Sheet:
    def __init__(self, name, rows, local_names=(), widths=()):
        self.name = name
        self.rows = rows  # list of lists of cell values; None is an empty cell
        self.local_names = list(local_names)  # (name, "A1:B5") on this sheet
        self.widths = list(widths)  # column widths in centimetres


def sheet_ref(sheet, area):
    """The ODF address of an A1 area on a sheet: $'Sheet'.$A$1:.$C$9."""
    parts = area.split(":")

    def absolute(cell, row_of_column):
        letters = "".join(ch for ch in cell if ch.isalpha())
        digits = cell[len(letters):] or row_of_column
        return "$" + letters + "$" + digits

    # A whole-column area ("A:F") runs over every row LibreOffice has.
    quoted = "$'" + sheet.replace("'", "''") + "'."
    text = quoted + absolute(parts[0], "1")
    if len(parts) == 2:
        text += ":." + absolute(parts[1], "1048576")
    return text


def _cell(value):
    if value is None:
        return "<table:table-cell/>"
    if isinstance(value, Formula):
        return "<table:table-cell table:formula=%s/>" % quoteattr("of:" + value.text)
    if isinstance(value, bool):
        text = "TRUE" if value else "FALSE"
        return (
            '<table:table-cell table:style-name="boolean" office:value-type="boolean" '
            'office:boolean-value="%s"><text:p>%s</text:p></table:table-cell>'
            % ("true" if value else "false", text)
        )
    if isinstance(value, (int, float)):
        return (
            '<table:table-cell office:value-type="float" office:value="%r"><text:p>%r</text:p>'
            "</table:table-cell>" % (value, value)
        )
    if isinstance(value, datetime.date):
        return (
            '<table:table-cell table:style-name="date" office:value-type="date" '
            'office:date-value="%s"><text:p>%s</text:p></table:table-cell>'
            % (value.isoformat(), value.strftime("%d.%m.%Y"))
        )
    return (
        '<table:table-cell office:value-type="string"><text:p>%s</text:p></table:table-cell>'
        % escape(str(value))
    )


def _named_ranges(names):
    if not names:
        return ""
    out = ["<table:named-expressions>"]
    for name, sheet, area in names:
        if area.startswith("="):
            # Not a range: a named formula such as "=0.2".
            out.append(
                "<table:named-expression table:name=%s table:base-cell-address=%s "
                "table:expression=%s/>"
                % (quoteattr(name), quoteattr(sheet_ref(sheet, "A1")), quoteattr("of:" + area))
            )
            continue
        first = area.split(":")[0]
        out.append(
            "<table:named-range table:name=%s table:base-cell-address=%s "
            "table:cell-range-address=%s/>"
            % (quoteattr(name), quoteattr(sheet_ref(sheet, first)), quoteattr(sheet_ref(sheet, area)))
        )
    out.append("</table:named-expressions>")
    return "".join(out)


HEADER = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
<number:date-style style:name="N-date"><number:day number:style="long"/><number:text>.</number:text><number:month number:style="long"/><number:text>.</number:text><number:year number:style="long"/></number:date-style>
<number:boolean-style style:name="N-boolean"><number:boolean/></number:boolean-style>
<style:style style:name="date" style:family="table-cell" style:data-style-name="N-date"/>
<style:style style:name="boolean" style:family="table-cell" style:data-style-name="N-boolean"/>
%s
</office:automatic-styles>
<office:body><office:spreadsheet>
"""


def write(path, sheets, names):
    """Writes the workbook: sheets in order, names as (name, sheet, "A1:C9") at workbook level.

    An area may also be a whole-column range ("A:F") or a named formula ("=0.2").
    """
    column_styles = []
    body = []
    for index, sheet in enumerate(sheets):
        body.append("<table:table table:name=%s>" % quoteattr(sheet.name))
        for column, width in enumerate(sheet.widths):
            style = "co%d-%d" % (index, column)
            column_styles.append(
                '<style:style style:name="%s" style:family="table-column">'
                '<style:table-column-properties style:column-width="%.2fcm"/></style:style>'
                % (style, width)
            )
            body.append('<table:table-column table:style-name="%s"/>' % style)
        for row in sheet.rows:
            body.append("<table:table-row>" + "".join(_cell(v) for v in row) + "</table:table-row>")
        body.append(_named_ranges([(n, sheet.name, a) for n, a in sheet.local_names]))
        body.append("</table:table>")
    body.append(_named_ranges(names))
    body.append("</office:spreadsheet></office:body></office:document>\n")
    with open(path, "w", encoding="utf-8") as out:
        out.write(HEADER % "\n".join(column_styles))
        out.write("\n".join(body))
