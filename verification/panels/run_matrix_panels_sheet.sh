#!/bin/sh
# Draws the sheet of the multiple-regression omnibus, random-model R² and
# Hotelling panels on a virtual X display.
# Usage: run_matrix_panels_sheet.sh build/test out.png
build=${1:-build/test}
out=${2:-docs/images/panels-matrix.png}
ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s "-screen 0 1600x1000x24" env QT_QPA_PLATFORM=xcb "$build/app/matrix_panels_sheet" "$out"
