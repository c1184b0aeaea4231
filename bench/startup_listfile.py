#!/usr/bin/env python3
"""The real program with a list file of a million rows in code page 932: its
start in the start mode that shows the previous list, until it is idle with
the list shown, and its close, which saves the list, against a plain write
of the same bytes with fsync, in one run. With --baseline, another build of
the program (say, of the commit before) runs alternately on the same files,
and every file the two save must be the same bytes.

    startup_listfile.py [--program PATH] [--baseline PATH] [--rows N] [--runs N]

Prints per program the best of the runs:

    program=new rows=1000000 mb=94 idle_s=0.95 window_s=0.60 cpu_s=0.80 close_s=0.45 write_s=0.20 close_ratio=2.2 \
goal_s=0.46 rss_mb=150 close_peak_mb=155 same_bytes=yes

idle_s runs from the start until the program has used no processor time for
a while after its main window showed with the program's title (it shows
once the list is loaded; the first paint then puts the list in order);
window_s is when the window showed, cpu_s the processor time the program
had used by then (which a busy machine stretches less). close_s runs from the close request
until the process has ended; write_s writes the saved file's bytes to a new
file and fsyncs it, measured between the program's runs; goal_s is 1.3
write_s + 0.2 s. rss_mb is what the idle program holds, close_peak_mb the
most it was seen holding while it closed (sampled every few milliseconds).
same_bytes: the saved file is the loaded one byte for byte (the list is
saved in the order it was loaded, which its sort keeps), and, with a
baseline, the same as the baseline's.

Under Xvfb when there is no display. The timings are wall-clock: report the
machine's load beside them. Close other windows titled Kestrova first.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

TITLE = "ケストロヴァ (Kestrova) ZI22"
# After the window showed, this long without processor time is idle.
QUIET_S = 0.4
POLL_S = 0.004
HERE = os.path.dirname(os.path.abspath(__file__))


def request_close(window):
    """The close box's request (see tests/e2e/x11_close.py)."""
    subprocess.run([sys.executable, os.path.join(HERE, "..", "tests", "e2e", "x11_close.py"), str(window)], check=True)


def size_text(size, mark):
    return ("{:>19,}".format(size) + mark)[-20:]


def write_list(path, rows):
    """Rows as a refresh of folders of 1,000 files gives them, in the order
    the default sort (modification time, newest first) shows them."""
    base = time.mktime((2007, 11, 23, 1, 8, 15, 0, 0, -1))
    extensions = [".jpg", ".mp4", ".txt", ".pdf", ""]
    # The header holds the per-row summary, which a start showing the
    # previous list leaves empty.
    lines = ['"","","","",""']
    for i in range(rows):
        folder = (i * 7919) % rows // 1000
        modified = time.strftime("%Y/%m/%d %H:%M:%S", time.localtime(base - i * 13))
        mark = "*" if i % 7 == 0 else " "
        lines.append('"写真_%07d%s","/home/user/写真/2007/d%04d","%s","%s","%02d"'
                     % (i, extensions[i % 5], folder, size_text(1000 + i * 37 % 99991, mark), modified, 1 + i % 16))
    with open(path, "wb") as out:
        out.write(("\r\n".join(lines) + "\r\n").encode("cp932"))


def write_settings(path, rows):
    """Start mode 2, the size check on, icons per file type, sorted by time."""
    lines = ['"bench","/nonexistent",1,1'] + ['"","",0,0'] * 15
    lines.append('1,1,3,2,10335,5880,10215,5202,"*.*"')
    lines.append('2000,1,1,1,0,0,3582,4762,4350,5835,1')
    lines += ['"*.*"'] + ['""'] * 15
    lines.append('%d,50998000000,%d,"","         [24/05/01 13:45:07]"' % (rows, rows // 7))
    lines.append('1,0,3,0,0,0')
    with open(path, "wb") as out:
        out.write(("\r\n".join(lines) + "\r\n").encode("cp932"))


def cpu_ticks(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime


def rss_mb(pid, key="VmRSS:"):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith(key):
                return int(line.split()[1]) / 1024.0
    return 0.0


def find_window():
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % TITLE.replace("(", "\\(").replace(")", "\\)")],
                           capture_output=True, text=True)
    ids = found.stdout.split()
    return int(ids[0]) if ids else None


def plain_write(path, data):
    if os.path.exists(path):
        os.remove(path)
    t0 = time.monotonic()
    with open(path, "wb") as out:
        out.write(data)
        out.flush()
        os.fsync(out.fileno())
    seconds = time.monotonic() - t0
    os.remove(path)
    return seconds


def run_program(home, program, list_bytes, settings):
    """One start and close; returns the figures and the saved file."""
    shutil.rmtree(home, ignore_errors=True)
    os.makedirs(home)
    shutil.copy(program, os.path.join(home, "kestrova"))
    with open(os.path.join(home, "Kestrova.csv"), "wb") as out:
        out.write(list_bytes)
    shutil.copy(settings, os.path.join(home, "Kestrova.ini"))
    t0 = time.monotonic()
    proc = subprocess.Popen([os.path.join(home, "kestrova")], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    window = None
    window_s = None
    last_ticks = -1
    last_change = t0
    next_look = t0
    while True:
        now = time.monotonic()
        if proc.poll() is not None:
            raise SystemExit("the program ended before it was idle")
        ticks = cpu_ticks(proc.pid)
        if ticks != last_ticks:
            last_ticks, last_change = ticks, now
        if window is None and now >= next_look:
            window = find_window()
            if window is not None:
                window_s = time.monotonic() - t0
            next_look = time.monotonic() + 0.02
        if window is not None and now - last_change >= QUIET_S:
            break
        time.sleep(POLL_S)
    idle_s = max(last_change - t0, window_s)
    cpu_s = last_ticks / os.sysconf("SC_CLK_TCK")
    idle_rss = rss_mb(proc.pid)
    request_close(window)
    t1 = time.monotonic()  # the request has gone out by now
    peak = idle_rss
    while proc.poll() is None:
        try:
            peak = max(peak, rss_mb(proc.pid))
        except (OSError, ValueError):
            pass
        time.sleep(0.002)
    close_s = time.monotonic() - t1
    with open(os.path.join(home, "Kestrova.csv"), "rb") as saved:
        return {"idle_s": idle_s, "window_s": window_s, "cpu_s": cpu_s, "close_s": close_s, "rss_mb": idle_rss,
                "close_peak_mb": peak}, saved.read()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", default=os.path.join(HERE, "..", "build", "bin", "kestrova"))
    parser.add_argument("--baseline")
    parser.add_argument("--rows", type=int, default=1000000)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-noreset -screen 0 1600x1000x24", sys.executable,
                               os.path.abspath(__file__)] + sys.argv[1:])
    if find_window() is not None:
        raise SystemExit("a window titled %s is open on %s already; close it first" % (TITLE, os.environ["DISPLAY"]))
    programs = [("new", os.path.abspath(args.program))]
    if args.baseline:
        programs.append(("baseline", os.path.abspath(args.baseline)))
    work = tempfile.mkdtemp(prefix="kestrova-listfile-")
    try:
        list_path = os.path.join(work, "list.csv")
        settings = os.path.join(work, "Kestrova.ini")
        write_list(list_path, args.rows)
        write_settings(settings, args.rows)
        with open(list_path, "rb") as source:
            list_bytes = source.read()
        best = {label: {} for label, _ in programs}
        same = {label: True for label, _ in programs}
        saved_by = {}
        write_best = 1e9
        for _ in range(args.runs):
            for label, program in programs:
                write_best = min(write_best, plain_write(os.path.join(work, "plain.csv"), list_bytes))
                figures, saved = run_program(os.path.join(work, "home-" + label), program, list_bytes, settings)
                same[label] = same[label] and saved == list_bytes
                if saved_by.setdefault(label, saved) != saved:
                    same[label] = False
                for key, value in figures.items():
                    best[label][key] = min(best[label].get(key, value), value)
        if args.baseline and saved_by.get("new") != saved_by.get("baseline"):
            same = {label: False for label in same}
        for label, _ in programs:
            b = best[label]
            print("program=%s rows=%d mb=%.0f idle_s=%.3f window_s=%.3f cpu_s=%.2f close_s=%.3f write_s=%.3f close_ratio=%.2f "
                  "goal_s=%.3f rss_mb=%.0f close_peak_mb=%.0f same_bytes=%s"
                  % (label, args.rows, len(list_bytes) / 1048576.0, b["idle_s"], b["window_s"], b["cpu_s"], b["close_s"], write_best,
                     b["close_s"] / write_best, 1.3 * write_best + 0.2, b["rss_mb"], b["close_peak_mb"],
                     "yes" if same[label] else "NO"), flush=True)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
