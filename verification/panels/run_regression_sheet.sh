#!/bin/sh
# Draws the sheet of the regression slope, two slopes, two intercepts and
# f squared panels on a virtual X display.
# Usage: run_regression_sheet.sh build/test out.png
build=${1:-build/test}
out=${2:-docs/images/panels-regression.png}
ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s "-screen 0 1600x1000x24" env QT_QPA_PLATFORM=xcb "$build/app/regression_panels_sheet" "$out"
