# Relations written by numpy.save and scipy.io.mmwrite, analysed by the program with
# --matrices: relacion.npy is the relation as float32, byte for byte what numpy.save writes, and
# the other nine are there; the same relations written back as .npy and .mtx by
# our writers (relation_convert) are read by NumPy and SciPy as they were. A refused file
# leaves the folder empty.
#     peer_files.py PROGRAM RELATION_CONVERT
import io
import os
import subprocess
import sys
import tempfile

import numpy as np
import scipy.io as sio
import scipy.sparse as sp

program, convert = sys.argv[1:3]
random = np.random.default_rng(20)
env = {k: v for k, v in os.environ.items() if k not in ("LC_ALL", "LC_NUMERIC")} | {"LANG": "es_ES.UTF-8"}


def relation(n, symmetric=False, sparse=False):
    # Any doubles in [0, 1], with 0 and 1 among them; half zeros when sparse.
    a = random.random((n, n))
    a.flat[: min(n * n, 2)] = [1.0, 0.0][: min(n * n, 2)]
    if sparse:
        a[random.random((n, n)) < 0.5] = 0.0
    if symmetric:
        a = np.tril(a) + np.tril(a, -1).T
    return a


a7, a5, s6, p8 = relation(7), relation(5), relation(6, symmetric=True), relation(8, sparse=True)
ps9 = relation(9, symmetric=True, sparse=True)
b6 = (relation(6) > 0.5).astype(np.int64)
bad = a5.copy()
bad[1, 2] = 1.5


def coo(**options):
    return lambda path, m: sio.mmwrite(path, sp.coo_matrix(m), **options)


# name, writer, the relation written, what the program must read (as float32) or its refusal
cases = [
    ("f32_c.npy", np.save, a7.astype(np.float32), a7),
    ("f32_fortran.npy", np.save, np.asfortranarray(a7.astype(np.float32)), a7),
    ("f64_fortran.npy", np.save, np.asfortranarray(a5), a5),
    ("f64_big_endian.npy", np.save, a5.astype(">f8"), a5),
    ("largest.npy", np.save, relation(100).astype(np.float32), None),
    ("array.mtx", sio.mmwrite, a7, a7),
    ("array_f32.mtx", sio.mmwrite, a7.astype(np.float32), a7),
    ("array_symmetric.mtx", sio.mmwrite, s6, s6),
    ("coordinate.mtx", coo(), p8, p8),
    ("coordinate_symmetric.mtx", coo(comment="simétrica"), ps9, ps9),
    ("integer.mtx", sio.mmwrite, b6, b6),
    ("pattern.mtx", coo(field="pattern"), b6, b6),
    ("pattern_symmetric.mtx", coo(field="pattern"), (ps9 > 0).astype(np.int64), ps9 > 0),
    ("mala.npy", np.save, np.asfortranarray(bad), "fila 2, columna 3: 1.5 no está entre 0 y 1"),
    ("mala.mtx", sio.mmwrite, bad, "línea 15 (fila 2, columna 3): 1.5"),
]


RESULTS = [m + t + ".npy" for m in ["relacion", "cierre", "transitivizada", "orden"]
           for t in ([""] if m == "relacion" else ["_min", "_prod", "_w"])]


def run(*arguments):
    return subprocess.run(arguments, env=env, capture_output=True, text=True)


failures = []
with tempfile.TemporaryDirectory() as folder:
    for name, write, written, expected in cases:
        source, out = os.path.join(folder, name), os.path.join(folder, name + ".salida")
        os.mkdir(out)
        write(source, written)
        result = run(program, "--analiza", source, "--matrices", out)
        if isinstance(expected, str):  # refused, saying where, before anything is written
            if result.returncode != 1 or expected not in result.stderr or os.listdir(out):
                failures.append(f"{name}: se esperaba «{expected}»: {result.returncode} {result.stderr} {os.listdir(out)}")
            continue
        expected = (written if expected is None else np.asarray(expected)).astype(np.float32)
        if result.returncode != 0:
            failures.append(f"{name}: salida {result.returncode}: {result.stderr.strip()}")
            continue
        path = os.path.join(out, "relacion.npy")
        read = np.load(path)
        if read.dtype != np.float32 or not read.flags.c_contiguous or not np.array_equal(read, expected):
            failures.append(f"{name}: relacion.npy no es la relación como float32")
        numpy_saved = io.BytesIO()
        np.save(numpy_saved, expected)
        if open(path, "rb").read() != numpy_saved.getvalue():
            failures.append(f"{name}: relacion.npy no es lo que escribe numpy.save")
        if sorted(os.listdir(out)) != sorted(RESULTS):
            failures.append(f"{name}: los ficheros escritos son {sorted(os.listdir(out))}")
        # Written back by our writers, read by the peers.
        for extension, load in [(".npy", np.load), (".mtx", sio.mmread)]:
            back = os.path.join(folder, name + ".nuestro" + extension)
            result = run(convert, source, back)
            if result.returncode != 0 or not np.array_equal(load(back).astype(np.float32), expected):
                failures.append(f"{name}: {extension} nuestro leído por NumPy/SciPy no es la relación {result.stderr}")

# Past 100 elements: a reflexive symmetric relation of 300, whose Min closure is what single
# linkage on the distances 1 − R gives (SciPy's cophenetic distances); and a relation drawn by
# --dimension, as large as asked.
with tempfile.TemporaryDirectory() as folder:
    import scipy.cluster.hierarchy as sch
    import scipy.spatial.distance as ssd
    big = relation(300, symmetric=True).astype(np.float32)
    np.fill_diagonal(big, 1.0)
    source = os.path.join(folder, "grande.npy")
    np.save(source, big)
    result = run(program, "--analiza", source, "--matrices", folder)
    closure = np.load(os.path.join(folder, "cierre_min.npy")).astype(np.float64)
    linkage = sch.linkage(ssd.squareform(1.0 - big.astype(np.float64), checks=False), method="single")
    expected = 1.0 - ssd.squareform(sch.cophenet(linkage))
    np.fill_diagonal(expected, 1.0)
    if result.returncode != 0 or np.abs(closure - expected).max() > 1e-6:
        failures.append(f"grande.npy: el cierre Min no es el del enlace simple de SciPy {result.stderr}")
    result = run(program, "--dimension", "257", "--semilla", "5", "--matrices", folder)
    drawn = np.load(os.path.join(folder, "relacion.npy"))
    lowered = np.load(os.path.join(folder, "transitivizada_w.npy"))
    if result.returncode != 0 or drawn.shape != (257, 257) or not (lowered <= drawn).all():
        failures.append(f"--dimension 257: {result.returncode} {drawn.shape} {result.stderr}")

    # With --tnorma, the asked t-norms' matrices under their names; min's bit for bit the
    # program's own, the drastic t-norm with a closure only.
    asked = os.path.join(folder, "tnormas")
    os.mkdir(asked)
    result = run(program, "--analiza", source, "--tnorma", "min", "--tnorma", "hamacher:0.5", "--tnorma", "drastica",
                 "--matrices", asked)
    expected_files = ["relacion.npy", "cierre_min.npy", "transitivizada_min.npy", "orden_min.npy",
                      "cierre_hamacher_0.5.npy", "transitivizada_hamacher_0.5.npy", "orden_hamacher_0.5.npy",
                      "cierre_drastica.npy"]
    if result.returncode != 0 or sorted(os.listdir(asked)) != sorted(expected_files) or not np.array_equal(
            np.load(os.path.join(asked, "cierre_min.npy")), closure.astype(np.float32)):
        failures.append(f"--tnorma --matrices: {result.returncode} {result.stderr} {sorted(os.listdir(asked))}")

    # With --metodos, each method's matrix under its name: single linkage is the Min closure,
    # complete linkage lies below the relation.
    methods = os.path.join(folder, "metodos")
    os.mkdir(methods)
    result = run(program, "--analiza", source, "--metodos", "simple,completa", "--tnorma", "min", "--matrices", methods)
    files = sorted(os.listdir(methods))
    if result.returncode != 0 or files != ["completa_min.npy", "relacion.npy", "simple_min.npy"] or not np.array_equal(
            np.load(os.path.join(methods, "simple_min.npy")), closure.astype(np.float32)) or not (
            np.load(os.path.join(methods, "completa_min.npy")) <= big).all():
        failures.append(f"--metodos --matrices: {result.returncode} {result.stderr} {files}")

    # Statistics at chosen dimensions: every trial in the raw file, as a spreadsheet reads it.
    import csv
    raw = os.path.join(folder, "ensayos.csv")
    result = run(program, "--estadisticas", "--dimensiones", "3,210:230:20", "2", "--crudo", raw)
    rows = list(csv.DictReader(open(raw, encoding="utf-8"))) if result.returncode == 0 else []
    if [(r["dimension"], r["prueba"]) for r in rows] != [(d, p) for d in ("3", "210", "230") for p in ("1", "2")]:
        failures.append(f"--dimensiones: {result.returncode} {result.stderr} {[(r['dimension'], r['prueba']) for r in rows]}")

for failure in failures:
    print(failure, file=sys.stderr)
if failures:
    sys.exit(1)
print(f"{len(cases)} relaciones de NumPy y SciPy leídas, devueltas o rechazadas")
