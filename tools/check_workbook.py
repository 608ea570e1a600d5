#!/usr/bin/env python3
"""Compares the numbers of a workbook, as LibreOffice read it under a Spanish locale and wrote
it back as CSV (one file per sheet, ';' between fields), with the text table and the raw
files of the same trials.

    check_workbook.py CSV_PREFIX TABLE.txt|- RAW.csv [RAW.csv ...]

CSV_PREFIX-Tabla.csv and the others are LibreOffice's. With '-' instead of a table the
"Tabla" sheet is checked against the raw files only for its trials and dimensions. Every cell
that should be a number must come back as a number written with a decimal comma: a cell that
LibreOffice took for text keeps its point and fails."""
import csv
import math
import re
import statistics
import struct
import sys

NUMBER = re.compile(r"^-?\d+(,\d+)?(E[+-]?\d+)?$")
Z = 1.959963984540054
T95 = {49: 2.009575237, 99: 1.984216952}  # Student's t, 0.975 quantile
failures = []
checked = 0


def f32(x):
    """The 32-bit float the program holds for a distance written as x."""
    return struct.unpack("f", struct.pack("f", x))[0]


def number(cell, where):
    global checked
    checked += 1
    if not NUMBER.match(cell):
        failures.append(f"{where}: «{cell}» no es un número con coma decimal")
        return math.nan
    return float(cell.replace(",", "."))


def close(a, b, where, tolerance=1e-9):
    if not math.isclose(a, b, rel_tol=tolerance, abs_tol=tolerance):
        failures.append(f"{where}: {a} en vez de {b}")


def sheet(prefix, name):
    with open(f"{prefix}-{name}.csv", encoding="utf-8", newline="") as f:
        return list(csv.reader(f, delimiter=";"))


def main():
    prefix, table, raws = sys.argv[1], sys.argv[2], sys.argv[3:]
    trials = {}  # dimension -> list of rows of 12 distances and 3 flags
    for raw in raws:
        with open(raw, encoding="utf-8", newline="") as f:
            for row in csv.DictReader(f):
                values = [f32(float(v)) for v in list(row.values())[6:18]]
                flags = [int(v) for v in list(row.values())[18:21]]
                trials.setdefault(int(row["dimension"]), []).append((values, flags))
    dims = sorted(trials)

    tabla = sheet(prefix, "Tabla")
    rows = [r for r in tabla[5:] if any(r)]
    if len(rows) != len(dims):
        failures.append(f"Tabla: {len(rows)} filas en vez de {len(dims)}")
    if table != "-":
        with open(table, encoding="cp1252", newline="") as f:
            text_rows = [l.split("\t") for l in f.read().split("\r\n")[5:] if l]
        for i, (cells, text) in enumerate(zip(rows, text_rows)):
            for j, t in enumerate(text):
                close(number(cells[j], f"Tabla fila {i + 6} columna {j + 1}"), float(t.rstrip("%")),
                      f"Tabla fila {i + 6} columna {j + 1}", 0)

    dispersion = sheet(prefix, "Dispersión")[2:]
    differences = sheet(prefix, "Diferencias")[2:]
    for i, n in enumerate(dims):
        count = len(trials[n])
        where = f"Dispersión dimensión {n}"
        close(number(dispersion[i][0], where), n, where, 0)
        close(number(dispersion[i][1], where), count, where, 0)
        for c in range(12):
            column = [v[c] for v, _ in trials[n]]
            mean, sd = statistics.fmean(column), statistics.stdev(column)
            cells = [number(x, f"{where} columna {c + 1}") for x in dispersion[i][2 + 4 * c:6 + 4 * c]]
            close(cells[0], mean, f"{where} media {c + 1}")
            close(cells[1], sd, f"{where} desviación {c + 1}", 1e-7)
            if count - 1 in T95 and sd > 0:
                close((cells[3] - cells[0]) / (sd / math.sqrt(count)), T95[count - 1], f"{where} t {c + 1}", 1e-6)
        where = f"Diferencias dimensión {n}"
        for t in range(3):
            diff = [v[2 * t] - v[2 * t + 1] for v, _ in trials[n]]
            cells = [number(x, where) for x in differences[i][2 + 7 * t:9 + 7 * t]]
            close(cells[0], statistics.fmean(diff), f"{where} media", 1e-7)
            g = sum(f[t] for _, f in trials[n])
            p = g / count
            centre = (p + Z * Z / (2 * count)) / (1 + Z * Z / count)
            half = Z / (1 + Z * Z / count) * math.sqrt(p * (1 - p) / count + Z * Z / (4 * count * count))
            close(cells[4], 100 * p, f"{where} porcentaje")
            close(cells[5], 100 * max(0.0, centre - half), f"{where} Wilson inferior", 1e-7)
            close(cells[6], 100 * min(1.0, centre + half), f"{where} Wilson superior", 1e-7)
    for message in failures[:20]:
        print(message)
    print(f"{prefix}: {checked} números comprobados, {len(failures)} fallos")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
