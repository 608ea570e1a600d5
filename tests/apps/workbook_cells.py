#!/usr/bin/python3
"""Reads a workbook the program wrote, as any other program would (the .xlsx is a zip of XML
files: nothing of ours in between), and checks every sheet against the text table, the raw
files and a computation of its own (SciPy's Student t).

    workbook_cells.py LIBRO.xlsx TABLA.txt|- DUMP CRUDO.csv [CRUDO.csv ...]

With '-' for the table the "Tabla" sheet is checked against the raw files only. Every cell the
sheet holds as a number must be written as one ("0.5", never "0,5"). DUMP receives the cells
of every sheet but "Ejecución" (which holds the time), one per line, so that two workbooks can
be compared cell for cell."""
import csv
import math
import re
import statistics
import struct
import sys
import zipfile
import xml.etree.ElementTree as ET

from scipy import stats

NS = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main"}
REL = "{http://schemas.openxmlformats.org/officeDocument/2006/relationships}id"
NUMBER = re.compile(r"^-?\d+(\.\d+)?([eE][+-]?\d+)?$")
Z = 1.959963984540054
failures = []
checked = 0


def f32(x):
    return struct.unpack("f", struct.pack("f", x))[0]


def column_index(ref):
    letters = re.match(r"[A-Z]+", ref).group(0)
    index = 0
    for letter in letters:
        index = index * 26 + ord(letter) - 64
    return index - 1


def read_workbook(path):
    """{sheet name: {(row, column): value}}, rows and columns from 0; numbers as float."""
    book = zipfile.ZipFile(path)
    strings = [
        "".join(t.text or "" for t in si.iter("{%s}t" % NS["m"]))
        for si in ET.fromstring(book.read("xl/sharedStrings.xml")).findall("m:si", NS)
    ]
    targets = {r.get("Id"): r.get("Target") for r in ET.fromstring(book.read("xl/_rels/workbook.xml.rels"))}
    sheets = {}
    for s in ET.fromstring(book.read("xl/workbook.xml")).find("m:sheets", NS):
        cells = {}
        for c in ET.fromstring(book.read("xl/" + targets[s.get(REL)])).iter("{%s}c" % NS["m"]):
            v = c.find("m:v", NS)
            if v is None:
                continue
            row = int(re.search(r"\d+", c.get("r")).group(0)) - 1
            where = (row, column_index(c.get("r")))
            if c.get("t") == "s":
                cells[where] = strings[int(v.text)]
            else:
                global checked
                checked += 1
                if not NUMBER.match(v.text):
                    failures.append(f"{s.get('name')} {c.get('r')}: «{v.text}» no es un número")
                    cells[where] = math.nan
                else:
                    cells[where] = float(v.text)
        sheets[s.get("name")] = cells
    return sheets


def close(a, b, where, tolerance=1e-9):
    if not (isinstance(a, float) and math.isclose(a, b, rel_tol=tolerance, abs_tol=tolerance)):
        failures.append(f"{where}: {a} en vez de {b}")


def rows_of(cells, first):
    last = max((r for r, _ in cells), default=-1)
    return [[cells.get((r, c)) for c in range(60)] for r in range(first, last + 1)]


def main():
    path, table, dump, raws = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    trials = {}  # dimension -> [(12 distances, 3 flags)]
    for raw in raws:
        with open(raw, encoding="utf-8", newline="") as f:
            for row in csv.DictReader(f):
                values = []
                for part in ("d1", "d2"):
                    for t in ("min", "prod", "w"):
                        values += [f32(float(row[f"{part}_cierre_{t}"])), f32(float(row[f"{part}_transitivizada_{t}"]))]
                # Column order of the sheets: d1 pairs for Min, Prod, W, then d2 pairs.
                flags = [int(row[f"cierre_mas_lejos_{t}"]) for t in ("min", "prod", "w")]
                trials.setdefault(int(row["dimension"]), []).append((values, flags))
    dims = sorted(trials)
    sheets = read_workbook(path)

    tabla = [r for r in rows_of(sheets["Tabla"], 5) if any(x is not None for x in r)]
    if table != "-":
        with open(table, encoding="cp1252", newline="") as f:
            lines = f.read().split("\r\n")
        text_rows = [l.split("\t") for l in lines[5:] if l]
        if len(tabla) != len(text_rows):
            failures.append(f"Tabla: {len(tabla)} filas en vez de las {len(text_rows)} de la tabla")
        for i, (cells, text) in enumerate(zip(tabla, text_rows)):
            for j, t in enumerate(text):
                close(cells[j], float(t.rstrip("%")), f"Tabla fila {i + 6} columna {j + 1}", 0)
    else:
        if [int(r[0]) for r in tabla] != dims:
            failures.append(f"Tabla: dimensiones {[r[0] for r in tabla]} en vez de {dims}")

    dispersion = rows_of(sheets["Dispersión"], 2)
    differences = rows_of(sheets["Diferencias"], 2)
    if len(dispersion) != len(dims) or len(differences) != len(dims):
        failures.append(f"Dispersión/Diferencias: {len(dispersion)}/{len(differences)} filas en vez de {len(dims)}")
    for i, n in enumerate(dims[: len(dispersion)]):
        count = len(trials[n])
        t95 = stats.t.ppf(0.975, count - 1) if count > 1 else math.nan
        where = f"Dispersión dimensión {n}"
        close(dispersion[i][0], n, where, 0)
        close(dispersion[i][1], count, where, 0)
        for c in range(12):
            column = [v[c] for v, _ in trials[n]]
            cells = dispersion[i][2 + 4 * c: 6 + 4 * c]
            close(cells[0], statistics.fmean(column), f"{where} media {c + 1}")
            if count > 1:
                sd = statistics.stdev(column)
                half = t95 * sd / math.sqrt(count)
                close(cells[1], sd, f"{where} desviación {c + 1}", 1e-7)
                close(cells[2], statistics.fmean(column) - half, f"{where} IC inferior {c + 1}", 1e-7)
                close(cells[3], statistics.fmean(column) + half, f"{where} IC superior {c + 1}", 1e-7)
        where = f"Diferencias dimensión {n}"
        for t in range(3):
            diff = [v[2 * t] - v[2 * t + 1] for v, _ in trials[n]]
            cells = differences[i][2 + 7 * t: 9 + 7 * t]
            close(cells[0], statistics.fmean(diff), f"{where} media", 1e-7)
            if count > 1:
                half = t95 * statistics.stdev(diff) / math.sqrt(count)
                close(cells[2], statistics.fmean(diff) - half, f"{where} IC inferior", 1e-6)
                close(cells[3], statistics.fmean(diff) + half, f"{where} IC superior", 1e-6)
            p = sum(f[t] for _, f in trials[n]) / count
            centre = (p + Z * Z / (2 * count)) / (1 + Z * Z / count)
            half = Z / (1 + Z * Z / count) * math.sqrt(p * (1 - p) / count + Z * Z / (4 * count * count))
            close(cells[4], 100 * p, f"{where} porcentaje")
            close(cells[5], 100 * max(0.0, centre - half), f"{where} Wilson inferior", 1e-7)
            close(cells[6], 100 * min(1.0, centre + half), f"{where} Wilson superior", 1e-7)

    with open(dump, "w", encoding="utf-8") as f:
        for name, cells in sheets.items():
            if name != "Ejecución":
                for (r, c), value in sorted(cells.items()):
                    f.write(f"{name}\t{r}\t{c}\t{value!r}\n")
    for message in failures[:20]:
        print(message)
    print(f"{path}: {checked} números leídos, {len(failures)} fallos")
    return 1 if failures or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
