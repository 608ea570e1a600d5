#!/bin/bash
# The workbooks of a batch (with the row of dimension 100) and of a --reune, written in a
# Spanish session (LANG=es_ES.UTF-8, LC_ALL unset, as users run it) and in the C locale, read
# by tests/apps/workbook_cells.py: every cell right, and the two sessions' cell for cell equal.
#     workbook_check.sh PROGRAM PYTHON
set -euo pipefail
program=$1 python=$2
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
unset LC_ALL LC_NUMERIC
for session in es_ES.UTF-8 C.UTF-8; do
  d=$dir/$session && mkdir -p "$d"
  LANG=$session "$program" --estadisticas 100 3 "$d/t.txt" --semilla 1 --crudo "$d/r1.csv" --libro "$d/b.xlsx"
  LANG=$session "$program" --estadisticas 6 4 "$d/t2.txt" --semilla 2 --crudo "$d/r2.csv"
  LANG=$session "$program" --reune "$d/m.xlsx" "$d/r1.csv" "$d/r2.csv"
  # Other t-norms and the lowering methods: their columns, sheets, and the merge of such files.
  LANG=$session "$program" --estadisticas 7 6 "$d/t3.txt" --semilla 3 --reflexiva --simetrica --tnorma min \
    --tnorma hamacher:1 --tnorma drastica --tnorma frank:2 --metodos completada,simple,promedio \
    --crudo "$d/r3.csv" --libro "$d/x.xlsx"
  LANG=$session "$program" --estadisticas --dimensiones 5,9 4 --semilla 4 --reflexiva --simetrica --tnorma min \
    --tnorma hamacher:1 --tnorma drastica --tnorma frank:2 --metodos completada,simple,promedio --crudo "$d/r4.csv"
  LANG=$session "$program" --reune "$d/y.xlsx" "$d/r3.csv" "$d/r4.csv"
  LANG=$session "$python" "$here/workbook_cells.py" "$d/x.xlsx" "$d/t3.txt" "$d/x.cells" "$d/r3.csv"
  LANG=$session "$python" "$here/workbook_cells.py" "$d/y.xlsx" - "$d/y.cells" "$d/r3.csv" "$d/r4.csv"
  LANG=$session "$python" "$here/workbook_cells.py" "$d/b.xlsx" "$d/t.txt" "$d/b.cells" "$d/r1.csv"
  LANG=$session "$python" "$here/workbook_cells.py" "$d/m.xlsx" - "$d/m.cells" "$d/r1.csv" "$d/r2.csv"
done
for book in b m x y; do
  cmp "$dir/es_ES.UTF-8/$book.cells" "$dir/C.UTF-8/$book.cells"
done
echo "es_ES.UTF-8 y C.UTF-8: los mismos libros, celda a celda"
