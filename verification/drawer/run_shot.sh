#!/bin/sh
# Takes the drawer picture on a virtual 1280x800 screen with a window
# manager, so that the windows carry their title bars and the window manager
# places the main window as a user's would (xvfb and openbox, which
# scripts/screenshot installs).
# Usage: run_shot.sh build/test out.png [popup item]
build=${1:-build/test}
out=${2:-docs/images/drawer-two-means.png}
shift 2 2>/dev/null
xvfb-run -a -s "-screen 0 1280x800x24" sh -c "openbox & sleep 1; QT_QPA_PLATFORM=xcb $build/app/drawer_shot $out \"\$@\"" sh "$@"
