#!/bin/sh
# Takes the drawer picture on a virtual X display with a window manager, so
# that the windows carry their title bars (xvfb and openbox, which
# scripts/screenshot installs). Usage: run_shot.sh build/test out.png
build=${1:-build/test}
out=${2:-docs/images/drawer-two-means.png}
xvfb-run -a -s "-screen 0 1600x1000x24" sh -c "openbox & sleep 1; QT_QPA_PLATFORM=xcb $build/app/drawer_shot $out"
