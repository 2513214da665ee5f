#!/usr/bin/python3
"""Start-up of the program against a bare Qt window, in alternating rounds.

Run under an X server of its own, e.g.
    xvfb-run -a -s "-screen 0 1280x800x24" verification/startup/measure_startup.py \
        build/release/app/startup_bare_window build/release/app/quorix [more programs]

The first program is the yardstick (the bare window); every other program,
for example an older build of the program, is measured beside it.

For each round it starts one program, waits for its first top-level window to
be mapped (an X MapNotify on the root window), then waits until the process
uses no more CPU for 200 ms (idle) and reads its memory; then it kills the
program and takes its CPU time, every thread's, from the kernel's account.
Rounds alternate between the two programs so that a change of machine load
hits both alike. It prints the median of each figure and the ratios to the
yardstick. Nothing of the program is called: the numbers come from the X
server, /proc and the kernel.
"""
import ctypes
import ctypes.util
import os
import signal
import statistics
import subprocess
import sys
import time

ROUNDS = int(os.environ.get("ROUNDS", "15"))

x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
x11.XPending.argtypes = [ctypes.c_void_p]
x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
x11.XFlush.argtypes = [ctypes.c_void_p]

MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


class MapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong),
                ("window", ctypes.c_ulong), ("override_redirect", ctypes.c_int),
                ("pad", ctypes.c_char * 160)]


display = x11.XOpenDisplay(None)
if not display:
    sys.exit("no X display: run under xvfb-run")
x11.XSelectInput(display, x11.XDefaultRootWindow(display), SUBSTRUCTURE_NOTIFY_MASK)
x11.XFlush(display)
fd = x11.XConnectionNumber(display)


def drain():
    event = MapEvent()
    while x11.XPending(display):
        x11.XNextEvent(display, ctypes.byref(event))


def wait_for_map(process, timeout=20.0):
    import select
    event = MapEvent()
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        while x11.XPending(display):
            x11.XNextEvent(display, ctypes.byref(event))
            if event.type == MAP_NOTIFY and not event.override_redirect:
                return time.monotonic()
        if process.poll() is not None:
            raise RuntimeError("the program ended before it mapped a window")
        select.select([fd], [], [], 0.05)
    raise RuntimeError("no window mapped within %.0f s" % timeout)


def cpu_seconds(pid):
    # Every living thread's time on the CPU, in nanoseconds, from the
    # scheduler: enough to see when the program stops using it.
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
            total += int(f.read().split()[0])
    return total / 1e9


def memory_mb(pid):
    rss = pss = 0
    with open("/proc/%d/smaps_rollup" % pid) as f:
        for line in f:
            if line.startswith("Rss:"):
                rss = int(line.split()[1])
            elif line.startswith("Pss:"):
                pss = int(line.split()[1])
    return rss / 1024.0, pss / 1024.0


def one_round(program):
    drain()
    start = time.monotonic()
    process = subprocess.Popen([program], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        mapped = wait_for_map(process)
        last = cpu_seconds(process.pid)
        idle_since = time.monotonic()
        idle_at = mapped
        while time.monotonic() - idle_since < 0.2:
            time.sleep(0.02)
            now = cpu_seconds(process.pid)
            if now - last > 0.0005:
                idle_since = time.monotonic()
                idle_at = idle_since
            last = now
        rss, pss = memory_mb(process.pid)
    finally:
        process.send_signal(signal.SIGKILL)
        # The kernel's account of the whole process, threads that ended
        # before the idle point included: /proc lists only the living ones.
        _, _, usage = os.wait4(process.pid, 0)
        process.returncode = -signal.SIGKILL
    return {"map_ms": (mapped - start) * 1e3, "cpu_ms": (usage.ru_utime + usage.ru_stime) * 1e3,
            "idle_ms": (idle_at - start) * 1e3, "rss_mb": rss, "pss_mb": pss}


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    programs = sys.argv[1:]
    names = ["bare"] + [os.path.relpath(p) for p in programs[1:]]
    results = {name: [] for name in names}
    for program in programs:  # a first start of each warms the file cache
        one_round(program)
    for r in range(ROUNDS):
        order = list(zip(names, programs))
        if r % 2:
            order.reverse()
        for name, program in order:
            results[name].append(one_round(program))
    keys = ["map_ms", "cpu_ms", "idle_ms", "rss_mb", "pss_mb"]
    width = max(len(n) for n in names) + 2
    print("%-*s" % (width, "") + "".join("%10s" % k for k in keys))
    medians = {}
    for name in names:
        medians[name] = {k: statistics.median(x[k] for x in results[name]) for k in keys}
        print("%-*s" % (width, name) + "".join("%10.1f" % medians[name][k] for k in keys))
    for name in names[1:]:
        print("%-*s" % (width, "ratio") +
              "".join("%10.2f" % (medians[name][k] / medians["bare"][k]) for k in keys))


if __name__ == "__main__":
    main()
