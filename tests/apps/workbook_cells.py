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


def mean_cells(cells, values, where):
    """The four cells of a mean: mean, standard deviation, the ends of Student's interval."""
    count = len(values)
    close(cells[0], statistics.fmean(values), f"{where} media", 1e-7)
    if count > 1:
        sd = statistics.stdev(values)
        half = stats.t.ppf(0.975, count - 1) * sd / math.sqrt(count)
        close(cells[1], sd, f"{where} desviación", 1e-6)
        close(cells[2], statistics.fmean(values) - half, f"{where} IC inferior", 1e-6)
        close(cells[3], statistics.fmean(values) + half, f"{where} IC superior", 1e-6)


def check_extras(sheets, rows_by_dimension, extra_names):
    """The sheets of the columns after the program's 21: "T-normas" and "Métodos"; and what
    the raw file's columns must say of one another: Hamacher at 1 is Prod, single linkage the
    Min closure, and the completed technique never farther from the relation than the technique."""
    for rows in rows_by_dimension.values():
        for x in rows:
            if "d1_cierre_hamacher_1" in extra_names:
                for part in ("d1_cierre", "d1_transitivizada", "d2_cierre", "d2_transitivizada"):
                    if x[f"{part}_hamacher_1"] != x[f"{part}_prod"]:
                        failures.append(f"{part}: hamacher:1 {x[part + '_hamacher_1']} y prod {x[part + '_prod']}")
            if "d1_simple_min" in extra_names and x["d1_simple_min"] != x["d1_cierre_min"]:
                failures.append(f"d1 simple {x['d1_simple_min']} y cierre min {x['d1_cierre_min']}")
            for name in extra_names:
                if name.startswith("d1_completada_"):
                    t = name[len("d1_completada_"):]
                    if float(x[name]) > float(x[f"d1_transitivizada_{t}"]):
                        failures.append(f"{name} {x[name]} más lejos que la técnica {x['d1_transitivizada_' + t]}")
    tnorms = [n[len("d1_cierre_"):] for n in extra_names if n.startswith("d1_cierre_")]
    with_methods = []
    for name in extra_names:
        kind, _, rest = name.partition("_")
        method = next((m for m in ("completada", "completa", "promedio", "simple") if rest.startswith(m + "_")), None)
        if kind == "d1" and method and rest[len(method) + 1:] not in with_methods:
            with_methods.append(rest[len(method) + 1:])
    if ("T-normas" in sheets) != bool(tnorms) or ("Métodos" in sheets) != bool(with_methods):
        failures.append(f"hojas {sorted(sheets)} para las columnas {extra_names}")
        return
    value = lambda row, name: f32(float(row[name]))
    if tnorms:
        cells = rows_of(sheets["T-normas"], 2)
        expected = [(n, t) for n in sorted(rows_by_dimension) for t in tnorms]
        if [(r[0], r[1]) for r in cells] != expected:
            failures.append(f"T-normas: filas {[(r[0], r[1]) for r in cells]} en vez de {expected}")
            return
        for r, (n, t) in zip(cells, expected):
            rows, where = rows_by_dimension[n], f"T-normas {n} {t}"
            close(r[2], len(rows), where, 0)
            lowers = f"d1_transitivizada_{t}" in extra_names
            series = [f"d1_cierre_{t}", f"d1_transitivizada_{t}", f"d2_cierre_{t}", f"d2_transitivizada_{t}"]
            for k, name in enumerate(series):
                if name in extra_names:
                    mean_cells(r[3 + 4 * k: 7 + 4 * k], [value(x, name) for x in rows], f"{where} {name}")
                elif r[3 + 4 * k] is not None:
                    failures.append(f"{where}: {name} no existe y la hoja tiene {r[3 + 4 * k]}")
            if lowers:
                mean_cells(r[19:23], [value(x, series[0]) - value(x, series[1]) for x in rows], f"{where} diferencia")
                p = sum(int(x[f"cierre_mas_lejos_{t}"]) for x in rows) / len(rows)
                close(r[23], 100 * p, f"{where} porcentaje")
    if with_methods:
        cells = rows_of(sheets["Métodos"], 2)
        expected = []
        for n in sorted(rows_by_dimension):
            for t in with_methods:
                methods = ["cierre", "tecnica"] + [n_[3:-len(t) - 1] for n_ in extra_names
                                                   if n_.startswith("d1_") and n_.endswith("_" + t)
                                                   and n_[3:-len(t) - 1] not in ("cierre", "transitivizada")]
                expected += [(n, t, m) for m in methods]
        if [(r[0], r[1], r[2]) for r in cells] != expected:
            failures.append(f"Métodos: filas {[(r[0], r[1], r[2]) for r in cells]} en vez de {expected}")
            return
        for r, (n, t, m) in zip(cells, expected):
            rows, where = rows_by_dimension[n], f"Métodos {n} {t} {m}"
            column = "transitivizada" if m == "tecnica" else m
            close(r[3], len(rows), where, 0)
            mean_cells(r[4:8], [value(x, f"d1_{column}_{t}") for x in rows], f"{where} d1")
            mean_cells(r[8:12], [value(x, f"d2_{column}_{t}") for x in rows], f"{where} d2")
            if m != "tecnica":
                mean_cells(r[12:16], [value(x, f"d1_{column}_{t}") - value(x, f"d1_transitivizada_{t}") for x in rows],
                           f"{where} diferencia")


def main():
    path, table, dump, raws = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    trials = {}  # dimension -> [(12 distances, 3 flags)]
    rows_by_dimension = {}  # dimension -> [the raw rows as dictionaries]
    extra_names = []
    for raw in raws:
        with open(raw, encoding="utf-8", newline="") as f:
            reader = csv.DictReader(f)
            extra_names = reader.fieldnames[21:]
            for row in reader:
                rows_by_dimension.setdefault(int(row["dimension"]), []).append(row)
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

    check_extras(sheets, rows_by_dimension, extra_names)

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
