#!/usr/bin/env node
// The check job done with the xlsx package, for the whole-job comparison.
//
// Usage: node xlsx_check.js --report FILE PATH...
//
// For every workbook: read the defined names Data_Adr and T_Check as tables (first row names
// the columns), take the form code from the P_OKUD row, and for an accepted code write the two
// caption lines (P_FormName, P_Name) and the failed checks (Result > 0) ordered by the four
// IDs. The report has the same layout as zort-check's: Windows-1251, CR LF line ends.
"use strict";

const fs = require("fs");
const path = require("path");
const XLSX = require("xlsx");
const cptable = require("xlsx/dist/cpexcel.js");

const ACCEPTED = new Set(["0606024", "0606021", "0606020", "0606026", "0000001", "0000002"]);
const STARS = "*".repeat(66);
const UNKNOWN = "***      Ошибка №1: Неизвестный документ!!!      ***";
const NO_ERRORS = "Ошибки в документе не найдены.";
const CHECK_KEYS = ["id_form", "id_section", "id_rule", "id_check"];

// Reading options that skip everything the job does not need.
const READ_OPTIONS = {
    dense: true,
    cellFormula: false,
    cellHTML: false,
    cellText: false,
    cellStyles: false,
    cellNF: false,
    cellDates: false,
};

// A workbook-level name wins; otherwise the first sheet-local one in the workbook's order.
function findName(book, wanted) {
    const names = (book.Workbook && book.Workbook.Names) || [];
    let local = null;
    for (const n of names) {
        if (n.Name.toLowerCase() !== wanted.toLowerCase()) continue;
        if (n.Sheet === undefined || n.Sheet === null) return n;
        if (local === null) local = n;
    }
    return local;
}

// "'Лист 1'!$A$1:$C$12" -> [sheet name, range]
function splitRef(ref) {
    const bang = ref.lastIndexOf("!");
    let sheet = ref.slice(0, bang);
    if (sheet.startsWith("'")) sheet = sheet.slice(1, -1).replace(/''/g, "'");
    return [sheet, XLSX.utils.decode_range(ref.slice(bang + 1).replace(/\$/g, ""))];
}

function cellAt(sheet, r, c) {
    const row = sheet[r];
    return (row && row[c]) || null;
}

// {header: lower-case names, rows: cells}; null when the name is missing.
function readTable(book, wanted) {
    const name = findName(book, wanted);
    if (name === null) return null;
    const [sheetName, area] = splitRef(name.Ref);
    const sheet = book.Sheets[sheetName];
    if (!sheet) throw new Error("name is not a table");
    const used = XLSX.utils.decode_range(sheet["!ref"] || "A1:A1");
    const lastRow = Math.min(area.e.r, used.e.r);
    const lastCol = Math.min(area.e.c, used.e.c);
    const header = [];
    for (let c = area.s.c; c <= lastCol; c++) {
        const cell = cellAt(sheet, area.s.r, c);
        const text = cell && cell.t === "s" ? cell.v : "";
        header.push(text ? text.toLowerCase() : "f" + (c - area.s.c + 1));
    }
    const rows = [];
    for (let r = area.s.r + 1; r <= lastRow; r++) {
        const row = [];
        for (let c = area.s.c; c <= lastCol; c++) row.push(cellAt(sheet, r, c));
        rows.push(row);
    }
    return { header, rows };
}

// The shortest general form of a number: 606024, 12.5.
function numberText(v) {
    return String(v);
}

// A cell as text; null for an empty or error cell.
function cellText(cell) {
    if (!cell) return null;
    switch (cell.t) {
    case "s":
        return cell.v;
    case "n":
        return numberText(cell.v);
    case "b":
        return cell.v ? "1" : "0";
    default:
        return null;
    }
}

// A cell as a number for a numeric comparison; null when it holds no number.
function cellNumber(cell) {
    if (!cell) return null;
    if (cell.t === "n") return cell.v;
    if (cell.t === "b") return cell.v ? 1 : 0;
    if (cell.t === "s" && cell.v.trim() !== "" && !isNaN(Number(cell.v))) return Number(cell.v);
    return null;
}

// Empty values first, then numbers, then texts, as the ordering of the checks expects.
function compareCells(a, b) {
    const rank = (x) => (!x || (x.t !== "n" && x.t !== "b" && x.t !== "s") ? 0 : x.t === "s" ? 2 : 1);
    const ra = rank(a), rb = rank(b);
    if (ra !== rb) return ra - rb;
    if (ra === 1) return cellNumber(a) - cellNumber(b);
    if (ra === 2) return a.v < b.v ? -1 : a.v > b.v ? 1 : 0;
    return 0;
}

function column(header, wanted) {
    const i = header.indexOf(wanted);
    if (i < 0) throw new Error("no column " + wanted);
    return i;
}

// The lines between the date line and the closing line; null for a form not recognised.
function formLines(book) {
    const data = readTable(book, "Data_Adr");
    if (data === null) return null;
    const key = column(data.header, "id_element");
    const val = column(data.header, "val");
    const label = column(data.header, "name");
    const element = (k) => data.rows.find((r) => cellText(r[key]) === k) || null;
    const okud = element("P_OKUD");
    const code = okud ? cellText(okud[val]) : null;
    if (!ACCEPTED.has(code)) return null;
    const lines = [];
    if (data.rows.length > 0) {
        for (const k of ["P_FormName", "P_Name"]) {
            const r = element(k);
            lines.push(r ? (cellText(r[label]) || "") + (cellText(r[val]) || "") : "");
        }
    }
    const checks = readTable(book, "T_Check");
    if (checks === null) throw new Error("no T_Check table");
    const ids = CHECK_KEYS.map((k) => column(checks.header, k));
    const result = column(checks.header, "result");
    const name = column(checks.header, "name");
    const failed = checks.rows.filter((r) => (cellNumber(r[result]) || 0) > 0);
    failed.sort((a, b) => {
        for (const i of ids) {
            const d = compareCells(a[i], b[i]);
            if (d !== 0) return d;
        }
        return 0;
    });
    if (failed.length === 0) lines.push(NO_ERRORS);
    for (const r of failed) lines.push(cellText(r[name]) || "");
    return lines;
}

function two(n) {
    return String(n).padStart(2, "0");
}

function clock() {
    const d = new Date();
    return `${d.getHours()}:${two(d.getMinutes())}:${two(d.getSeconds())}`;
}

function block(file) {
    const d = new Date();
    const lines = [`Файл: ${file}`, `Дата: ${two(d.getDate())}.${two(d.getMonth() + 1)}.${d.getFullYear()}   ${clock()}`];
    let body = null;
    try {
        body = formLines(XLSX.readFile(file, READ_OPTIONS));
    } catch (e) {
        if (e.message === "no T_Check table") throw e;
        body = null;
    }
    lines.push(...(body || [STARS, UNKNOWN, STARS]));
    lines.push(`Проверка завершена: ${clock()}.`, "", "", "");
    return lines;
}

function main(argv) {
    if (argv.length < 3 || argv[0] !== "--report") {
        process.stderr.write("usage: node xlsx_check.js --report FILE PATH...\n");
        return 64;
    }
    const fd = fs.openSync(argv[1], "w");
    for (const file of argv.slice(2)) {
        const text = block(path.resolve(file)).map((l) => l + "\r\n").join("");
        fs.writeSync(fd, Buffer.from(cptable.utils.encode(1251, text)));
    }
    fs.closeSync(fd);
    return 0;
}

process.exitCode = main(process.argv.slice(2));
