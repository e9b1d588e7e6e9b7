#!/usr/bin/env python3
"""Measures velmora against Chromium and a bare QWebEngineView, and runs the
in-process benchmarks; or runs the soak test. Started by bench/run.sh and
bench/soak.sh inside Xvfb with a window manager; not meant to be run alone.

    measure.py all  --build DIR --out DIR [--runs N]
    measure.py soak --build DIR --out DIR [--seconds S]
    measure.py diagnose --build DIR --out DIR [--runs N] [--startup-only | --preview-only]
    measure.py wakeups --build DIR --out DIR [--runs N]   the idle row alone

Every program gets the same loopback forum page through --proxy-server, a
fresh home folder (and Chromium a fresh --user-data-dir) each run. Process
trees are the started process, all its descendants, everything in its
session, and whatever else names the run's own folder on its command line
(Chromium's crash handlers leave the tree but carry that folder).
Everything started is ended by its process id.
"""
import argparse
import json
import os
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from forum_proxy import ForumProxy  # noqa: E402

HOME_URL = "http://www.velmora.it/forum/"
EMOTICON_URL = "http://www.velmora.it/forum/emoticon.html"
CLK_TCK = os.sysconf("SC_CLK_TCK")
WINDOW = (1024, 741)  # what velmora gives itself on a 1024 x 768 screen
CHROMIUM_FLAGS = ["--no-sandbox", "--disable-gpu", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update",
                  "--disable-sync"]
# The same engine switches for both Qt WebEngine programs; Chromium has its
# own --disable-gpu above.
QTWEBENGINE_FLAGS = "--disable-gpu"

# Client-area pixels of the controls the benchmarks click, from their twips
# places (15 twips a pixel): the picker button of the navigation bar, and in
# the panel (at -30, 1695) the "Yahoo" set, the list's rows, OK and close.
PICKER_BUTTON = (392, 40)
OPT_SETS = {i: (round((-30 + left + 645) / 15), round((1695 + top + 135) / 15))
            for i, (left, top) in {0: (45, 900), 1: (1335, 900),
                                   2: (1335, 1170), 3: (45, 1170)}.items()}
LIST_ROW = lambda row: (22, round((1695 + 2325 + 120) / 15) + 13 * row)  # noqa: E731
OK_BUTTON = (round((-30 + 2205 + 352) / 15), round((1695 + 5115 + 345) / 15))
CLOSE_LABEL = (round((-30 + 570 + 1027) / 15), round((1695 + 6030 + 112) / 15))


# ---------------------------------------------------------------- processes

def _stat(pid):
    """(ppid, sid, starttime, utime + stime) of a process, or None."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            text = f.read()
    except OSError:
        return None
    fields = text[text.rfind(")") + 2:].split()
    # fields[0] is the state, field n of proc(5) is fields[n - 3].
    return int(fields[1]), int(fields[3]), int(fields[19]), int(fields[11]) + int(fields[12])


def _cmdline(pid):
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            return f.read().replace(b"\0", b" ").decode(errors="replace")
    except OSError:
        return ""


def all_pids():
    return [int(n) for n in os.listdir("/proc") if n.isdigit()]


def tree(root, marker):
    """The pids of root's tree (see the module's note)."""
    stats = {}
    for pid in all_pids():
        s = _stat(pid)
        if s:
            stats[pid] = s
    if root not in stats:
        return []
    sid = stats[root][1]
    members = {root}
    grew = True
    while grew:
        grew = False
        for pid, (ppid, psid, _, _) in stats.items():
            if pid not in members and (ppid in members or psid == sid):
                members.add(pid)
                grew = True
    for pid in stats:
        if pid not in members and marker and marker in _cmdline(pid):
            members.add(pid)
    return sorted(members)


def pss_kib(pids, fields=("Pss:",)):
    total = 0
    for pid in pids:
        try:
            with open("/proc/%d/smaps_rollup" % pid) as f:
                for line in f:
                    if line.startswith(fields):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total


def private_kib(pids):
    """Memory no other process shares: what other programs cannot move."""
    return pss_kib(pids, ("Private_Clean:", "Private_Dirty:"))


def pss_by_process(pids):
    """[(pid, what it is, PSS KiB)], to see which process grows."""
    rows = []
    for pid in pids:
        cmd = _cmdline(pid).split()
        kind = next((a[len("--type="):] for a in cmd if a.startswith("--type=")), "main")
        sub = next((a[len("--utility-sub-type="):] for a in cmd if a.startswith("--utility-sub-type=")), "")
        if kind == "zygote":
            # Renderers are forked from a zygote and keep its command line.
            parent = _stat(pid)
            if parent and "--type=zygote" in _cmdline(parent[0]):
                kind = "renderer (forked from the zygote)"
        rows.append((pid, os.path.basename(cmd[0]) if cmd else "?", kind + (":" + sub if sub else ""),
                     pss_kib([pid])))
    return rows


def save_smaps(pids, directory, label):
    """Each process's full memory map, to tell which mappings grew."""
    for pid in pids:
        try:
            with open("/proc/%d/smaps" % pid) as f:
                text = f.read()
        except OSError:
            continue
        with open(os.path.join(directory, "smaps-%s-%d.txt" % (label, pid)), "w") as f:
            f.write(text)


def cpu_snapshot(pids):
    """{pid: (starttime, ticks, runtime ns of its live threads)}."""
    snap = {}
    for pid in pids:
        s = _stat(pid)
        if not s:
            continue
        ns = 0
        try:
            for tid in os.listdir("/proc/%d/task" % pid):
                try:
                    with open("/proc/%d/task/%s/schedstat" % (pid, tid)) as f:
                        ns += int(f.read().split()[0])
                except OSError:
                    pass
        except OSError:
            pass
        snap[pid] = (s[2], s[3], ns)
    return snap


def cpu_between(before, after):
    """(seconds from utime+stime, seconds from thread run times) between two
    snapshots; a process new in `after` counts whole."""
    ticks = ns = 0
    for pid, (start, t, n) in after.items():
        old = before.get(pid)
        if old and old[0] == start:
            ticks += t - old[1]
            ns += max(0, n - old[2])
        else:
            ticks += t
            ns += n
    return ticks / CLK_TCK, ns / 1e9



def _thread_ns(pid):
    """{thread name: run time ns} of one process's live threads."""
    names = {}
    try:
        tids = os.listdir("/proc/%d/task" % pid)
    except OSError:
        return names
    for tid in tids:
        try:
            with open("/proc/%d/task/%s/comm" % (pid, tid)) as f:
                name = f.read().strip()
            with open("/proc/%d/task/%s/schedstat" % (pid, tid)) as f:
                ns = int(f.read().split()[0])
        except OSError:
            continue
        names[name] = names.get(name, 0) + ns
    return names


def voluntary_switches(pid):
    """How often a process's main thread has gone to sleep and been woken:
    each wait for an event that a timer, a socket or another thread ends."""
    try:
        with open("/proc/%d/task/%d/status" % (pid, pid)) as f:
            for line in f:
                if line.startswith("voluntary_ctxt_switches:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def cpu_by_thread(pids, seconds):
    """[(% of a core, process kind, thread name)] over `seconds`, busiest
    first: which process and which thread the time goes to."""
    kinds = {pid: kind for pid, _, kind, _ in pss_by_process(pids)}
    before = {pid: _thread_ns(pid) for pid in pids}
    time.sleep(seconds)
    rows = []
    for pid in pids:
        for name, ns in _thread_ns(pid).items():
            spent = ns - before.get(pid, {}).get(name, 0)
            if spent > 0:
                rows.append((100 * spent / 1e9 / seconds, kinds.get(pid, "?"), name))
    return sorted(rows, reverse=True)

# ------------------------------------------------------------------ programs

class Program:
    """One run of one program, in a folder of its own that is its home."""

    def __init__(self, kind, cfg, proxy, variant=None, extra_env=None, url=HOME_URL):
        self.kind = kind
        self.url = url
        self.cfg = cfg
        self.proxy = proxy
        self.variant = variant  # a velmora_bench start-up variant, for diagnosis
        self.extra_env = extra_env or {}
        self.folder = tempfile.mkdtemp(prefix="run-%s-" % kind, dir=cfg.scratch)
        self.process = None
        self.t0 = None

    def argv(self):
        if self.variant:
            return [os.path.join(self.cfg.build, "bench", "velmora_bench"), "startup", self.variant]
        if self.kind == "velmora":
            return [os.path.join(self.cfg.build, "src", "velmora")] + getattr(self.cfg, "program_args", [])
        if self.kind == "bare":
            return [os.path.join(self.cfg.build, "bench", "bare", "velmora_bare")]
        return (["chromium"] + CHROMIUM_FLAGS
                + ["--user-data-dir=" + os.path.join(self.folder, "profile"),
                   "--proxy-server=" + self.proxy.url,
                   "--lang=it",
                   "--window-position=0,0", "--window-size=%d,%d" % WINDOW,
                   "--app=" + self.url])

    def env(self):
        env = {k: v for k, v in os.environ.items() if not k.startswith("XDG_")}
        runtime = os.path.join(self.folder, "run")
        os.makedirs(runtime, mode=0o700)
        env.update(HOME=self.folder, XDG_RUNTIME_DIR=runtime)
        if self.kind != "chromium":
            # The engine takes its switch; the program's own requests (the
            # previews' pictures) follow the system's proxy variable.
            env.update(QTWEBENGINE_DISABLE_SANDBOX="1", http_proxy=self.proxy.url,
                       QTWEBENGINE_CHROMIUM_FLAGS="--proxy-server=%s %s" % (self.proxy.url, QTWEBENGINE_FLAGS))
        if self.kind == "chromium":
            # An Italian user's browser: no offer to translate the page.
            env.update(LANGUAGE="it", LANG="it_IT.UTF-8")
        env.update(self.extra_env)
        return env

    def start(self):
        log = open(os.path.join(self.folder, "output.log"), "wb")
        argv, env = self.argv(), self.env()
        self.mark = self.proxy.mark()
        self.t0 = time.monotonic()
        self.process = subprocess.Popen(argv, env=env, stdout=log, stderr=log,
                                        stdin=subprocess.DEVNULL, start_new_session=True)
        log.close()

    def wait_loaded(self, timeout=60):
        """Seconds from the start to the home page's load event."""
        qt = self.kind != "chromium"
        r = self.proxy.wait_for(lambda r: r.path == "/forum/__loaded" and ("QtWebEngine" in r.agent) == qt,
                                self.mark, timeout)
        if r is None:
            raise RuntimeError("%s: no load event within %d s" % (self.kind, timeout))
        self.loaded = r.when
        return r.when - self.t0

    def pids(self):
        return tree(self.process.pid, self.folder)

    def pss_mib(self):
        return pss_kib(self.pids()) / 1024

    def idle_cpu_percent(self, seconds):
        """CPU of the tree over the time, and beside it the started
        process's main thread's wakeups a second (the GUI thread, for the
        Qt programs; the browser's UI thread for Chromium)."""
        pids = self.pids()
        before = cpu_snapshot(pids)
        switches = voluntary_switches(self.process.pid)
        time.sleep(seconds)
        after = cpu_snapshot(self.pids())
        self.wakeups = (voluntary_switches(self.process.pid) - switches) / seconds
        by_ticks, by_runtime = cpu_between(before, after)
        return 100 * by_ticks / seconds, 100 * by_runtime / seconds

    def stop(self):
        if not self.process:
            return
        pids = self.pids()
        starts = {pid: (_stat(pid) or (0, 0, None, 0))[2] for pid in pids}
        try:
            self.process.send_signal(signal.SIGTERM)
            self.process.wait(timeout=5)
        except (ProcessLookupError, subprocess.TimeoutExpired):
            pass
        deadline = time.monotonic() + 3
        while time.monotonic() < deadline and any(_alive(p, starts[p]) for p in pids):
            time.sleep(0.1)
        for pid in pids:
            if _alive(pid, starts[pid]):
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            pass
        self.process = None
        shutil.rmtree(self.folder, ignore_errors=True)


def _alive(pid, start):
    s = _stat(pid)
    return s is not None and s[2] == start


def sleep_until(when):
    time.sleep(max(0.0, when - time.monotonic()))


# ------------------------------------------------------------------ xdotool

def xdo(*args):
    return subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, text=True,
                          timeout=20).stdout


def velmora_window(pid, timeout=15):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        ids = xdo("search", "--onlyvisible", "--pid", pid, "--name", "NORVALE").split()
        if ids:
            return ids[0]
        time.sleep(0.2)
    raise RuntimeError("velmora's window not found")


def click(window, point):
    xdo("mousemove", "--window", window, point[0], point[1], "click", "1")


def park_pointer():
    xdo("mousemove", 1023, 767)


def screenshot(path):
    subprocess.run(["import", "-window", "root", path], capture_output=True, timeout=30)


def open_picker_with_preview(program, window, set_index=3, row=0):
    """Opens the panel, chooses a set and an emoticon; returns when the
    preview has asked for its image."""
    mark = program.proxy.mark()
    click(window, PICKER_BUTTON)
    if not program.proxy.wait_for(lambda r: r.path.endswith("logo_velmora.gif"), mark, 15):
        raise RuntimeError("the picker did not open")
    time.sleep(0.6)  # the slide
    click(window, OPT_SETS[set_index])
    time.sleep(0.3)
    mark = program.proxy.mark()
    click(window, LIST_ROW(row))
    if not program.proxy.wait_for(lambda r: r.path.startswith("/iconario/"), mark, 15):
        raise RuntimeError("the preview did not load an emoticon")


# --------------------------------------------------------------- benchmarks

def one_round(kind, cfg, proxy, results, shots, extra_env=None, label=None):
    if kind == "chromium-gif":
        return emoticon_round(cfg, proxy, results, shots)
    program = Program(kind, cfg, proxy, extra_env=extra_env)
    kind_label = label or kind
    try:
        park_pointer()
        program.start()
        results.setdefault(kind_label + ".startup_ms", []).append(1000 * program.wait_loaded())
        sleep_until(program.loaded + 3)
        results.setdefault(kind_label + ".pss_mib", []).append(program.pss_mib())
        results.setdefault(kind_label + ".procs", []).append(len(program.pids()))
        ticks, runtime = program.idle_cpu_percent(10)
        results.setdefault(kind_label + ".idle_cpu", []).append(ticks)
        results.setdefault(kind_label + ".idle_cpu_runtime", []).append(runtime)
        results.setdefault(kind_label + ".idle_wakeups", []).append(program.wakeups)
        if kind == "velmora":
            window = velmora_window(program.process.pid)
            open_picker_with_preview(program, window)
            park_pointer()
            shown = time.monotonic()
            sleep_until(shown + 3)
            results.setdefault(kind_label + "+picker.pss_mib", []).append(program.pss_mib())
            results.setdefault(kind_label + "+picker.procs", []).append(len(program.pids()))
            if shots:
                screenshot(os.path.join(cfg.out, "velmora-picker.png"))
            ticks, runtime = program.idle_cpu_percent(10)
            results.setdefault(kind_label + "+picker.idle_cpu", []).append(ticks)
            results.setdefault(kind_label + "+picker.idle_cpu_runtime", []).append(runtime)
            click(window, CLOSE_LABEL)
            park_pointer()
            sleep_until(time.monotonic() + 3)
            results.setdefault(kind_label + "+closed.pss_mib", []).append(program.pss_mib())
        elif shots:
            screenshot(os.path.join(cfg.out, "%s.png" % kind_label))
    finally:
        program.stop()


def emoticon_round(cfg, proxy, results, shots):
    """Chromium showing the preview's animated emoticon alone, at its size."""
    program = Program("chromium", cfg, proxy, url=EMOTICON_URL)
    try:
        park_pointer()
        program.start()
        program.wait_loaded()
        sleep_until(program.loaded + 3)
        results.setdefault("chromium-gif.pss_mib", []).append(program.pss_mib())
        ticks, runtime = program.idle_cpu_percent(10)
        results.setdefault("chromium-gif.idle_cpu", []).append(ticks)
        results.setdefault("chromium-gif.idle_cpu_runtime", []).append(runtime)
        if shots:
            screenshot(os.path.join(cfg.out, "chromium-gif.png"))
    finally:
        program.stop()


def bench_program(cfg, proxy, args, extra_env=None):
    """Runs velmora_bench with args; its JSON lines, by name."""
    folder = tempfile.mkdtemp(prefix="run-inproc-", dir=cfg.scratch)
    runtime = os.path.join(folder, "run")
    os.makedirs(runtime, mode=0o700)
    env = {k: v for k, v in os.environ.items() if not k.startswith("XDG_")}
    env.update(HOME=folder, XDG_RUNTIME_DIR=runtime, QTWEBENGINE_DISABLE_SANDBOX="1", http_proxy=proxy.url,
               QTWEBENGINE_CHROMIUM_FLAGS="--proxy-server=%s %s" % (proxy.url, QTWEBENGINE_FLAGS))
    env.update(extra_env or {})
    exe = os.path.join(cfg.build, "bench", "velmora_bench")
    items = {}
    try:
        park_pointer()
        done = subprocess.run([exe] + args, env=env, capture_output=True,
                              text=True, timeout=600, stdin=subprocess.DEVNULL)
        if done.returncode != 0:
            raise RuntimeError("velmora_bench %s failed: %s" % (args[0], done.stderr[-2000:]))
        for line in done.stdout.splitlines():
            if line.startswith("{"):
                item = json.loads(line)
                items[item["name"]] = item
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return items


def in_process(cfg, proxy, results, extra_env=None, prefix="inproc."):
    # The file lives in the build folder, as Personali.ic2 lives beside the
    # program: on a real disk, not in a memory file system.
    data = os.path.join(cfg.build, "bench-data")
    for args in (["slide"], ["personal", "--dir", data], ["preview"]):
        for name, item in bench_program(cfg, proxy, args + ["--runs", str(cfg.runs)], extra_env).items():
            results[prefix + name] = item


def med(results, key):
    return statistics.median(results[key])


def verdict(ok):
    return "met" if ok else "**MISSED**"


def table(results, runs):
    v, c, b = (med(results, k + ".startup_ms") for k in ("velmora", "chromium", "bare"))
    pv, pc, pb = (med(results, k + ".pss_mib") for k in ("velmora", "chromium", "bare"))
    pp = med(results, "velmora+picker.pss_mib")
    pcl = med(results, "velmora+closed.pss_mib")
    iv, ic, ib = (med(results, k + ".idle_cpu") for k in ("velmora", "chromium", "bare"))
    ivr, icr, ibr = (med(results, k + ".idle_cpu_runtime") for k in ("velmora", "chromium", "bare"))
    wv, wc, wb = (med(results, k + ".idle_wakeups") for k in ("velmora", "chromium", "bare"))
    ip, ipr = med(results, "velmora+picker.idle_cpu"), med(results, "velmora+picker.idle_cpu_runtime")
    ig, igr = med(results, "chromium-gif.idle_cpu"), med(results, "chromium-gif.idle_cpu_runtime")
    # The preview's own cost, round by round: open against closed again, and
    # against the same process before the picker was ever opened.
    above_closed = statistics.median(
        o - c for o, c in zip(results["velmora+picker.pss_mib"], results["velmora+closed.pss_mib"]))
    above_load = statistics.median(
        o - c for o, c in zip(results["velmora+picker.pss_mib"], results["velmora.pss_mib"]))
    ff = results["inproc.preview_first_frame"]
    ip_ = results["inproc.slide"]
    r, w = results["inproc.personal_read"], results["inproc.personal_rewrite"]
    f, bi, ba = (results["inproc." + k] for k in ("personal_fill", "builtin_choose", "builtin_after_personal"))
    set_names = ["Iconario", "Punto Inform.", "Quizzy", "Yahoo"]
    rows = [
        ("1", "Start-up to the home page's `load` (ms)", "%.0f" % v,
         "≤ 0.9 × Chromium = %.0f and ≤ 1.1 × bare = %.0f" % (0.9 * c, 1.1 * b),
         "Chromium %.0f · bare %.0f" % (c, b), verdict(v <= 0.9 * c and v <= 1.1 * b)),
        ("2", "PSS of the tree 3 s after load (MiB)", "%.1f" % pv, "—",
         "Chromium %.1f · bare %.1f" % (pc, pb), "—"),
        ("2", "PSS, picker open and a preview shown (MiB)", "%.1f" % pp,
         "≤ Chromium with the forum alone = %.1f" % pc, "Chromium %.1f" % pc, verdict(pp <= pc)),
        ("2", "PSS, the picker closed again (MiB)", "%.1f" % pcl, "—", "3 s after load %.1f" % pv, "—"),
        ("2", "PSS, picker open and an emoticon shown, above the picker closed again (MiB)",
         "%+.1f" % above_closed, "≤ +5.0", "above the same run 3 s after load %+.1f" % above_load,
         verdict(above_closed <= 5 and above_load <= 5)),
        ("3", "Idle CPU over 10 s, picker closed (% of a core)", "%.2f (%.2f)" % (iv, ivr), "≤ 0.50",
         "Chromium %.2f (%.2f) · bare %.2f (%.2f)" % (ic, icr, ib, ibr), verdict(iv <= 0.5)),
        ("3", "GUI thread's wakeups over 10 s idle, picker closed (per second)", "%.1f" % wv, "≤ 1",
         "Chromium's UI thread %.1f · bare %.1f" % (wc, wb), verdict(wv <= 1)),
        ("3", "Idle CPU over 10 s, picker open, an animated emoticon shown", "%.2f (%.2f)" % (ip, ipr),
         "≤ 1.00 and < Chromium with the emoticon = %.2f" % ig,
         "Chromium `--app` with the same GIF at 66 × 66: %.2f (%.2f)" % (ig, igr), verdict(ip <= 1 and ip < ig)),
        ("3", "Click on an emoticon to its first frame on screen, picker open (ms)", "%.1f" % ff["median"],
         "≤ 100", "—", verdict(ff["median"] <= 100)),
        ("4", "Slide, \"Attiva Iconario\" to the 63rd tick (ms)", "%.1f" % ip_["median"], "≤ 200",
         "floor 63 × 2 = 126; first slide of the process %.1f" % ip_["cold"], verdict(ip_["median"] <= 200)),
        ("5", "Read a %d-entry `Personali.ic2` (%.1f MB) (ms)" % (r["entries"], r["bytes"] / 1e6),
         "%.1f" % r["median"], "≤ 50", "—", verdict(r["median"] <= 50)),
        ("5", "Rewrite it (ms)", "%.1f" % w["median"], "≤ 50", "—", verdict(w["median"] <= 50)),
        ("5", "Fill `lstEmo` from it: click on \"Personale\" to list painted (ms)", "%.1f" % f["median"],
         "≤ 50", "handler alone %.1f" % f["handler_median"], verdict(f["median"] <= 50)),
        ("5", "Choose a built-in set, the slowest (%s) (ms)" % set_names[bi["set"]], "%.2f" % bi["median"],
         "≤ 5", "handler alone %.2f" % bi["handler_median"], verdict(bi["median"] <= 5)),
        ("5", "Choose a built-in set (Yahoo) after the full personal set (ms)", "%.1f" % ba["median"],
         "≤ 5", "handler alone %.1f" % ba["handler_median"], verdict(ba["median"] <= 5)),
    ]
    lines = ["Medians of %d runs each; CPU as utime+stime (in brackets: summed thread run times)." % runs, "",
             "| # | Measure | velmora | Target | Peer / floor | Verdict |",
             "|---|---|---|---|---|---|"]
    lines += ["| %s |" % " | ".join(row) for row in rows]
    return "\n".join(lines)


def run_all(cfg):
    results = {}
    kinds = ["velmora", "chromium", "bare", "chromium-gif"]
    with ForumProxy() as proxy:
        # One round first, not counted: files into the page cache, fonts
        # cached, for all three alike.
        print("warm-up round", file=sys.stderr, flush=True)
        for kind in kinds:
            one_round(kind, cfg, proxy, {}, False)
        for n in range(cfg.runs):
            order = kinds[n % len(kinds):] + kinds[:n % len(kinds)]
            print("round %d of %d: %s" % (n + 1, cfg.runs, ", ".join(order)), file=sys.stderr, flush=True)
            for kind in order:
                one_round(kind, cfg, proxy, results, n == 0)
        print("in-process benchmarks", file=sys.stderr, flush=True)
        in_process(cfg, proxy, results)
    with open(os.path.join(cfg.out, "results.json"), "w") as f:
        json.dump(results, f, indent=1)
    text = table(results, cfg.runs)
    with open(os.path.join(cfg.out, "table.md"), "w") as f:
        f.write(text + "\n")
    print(text)


def run_startup(cfg):
    """Start-up alone: velmora as it starts, velmora with the pages'
    accessibility forced off, and the bare view, interleaved; the first
    round is not counted."""
    results = {}
    variants = (("velmora", "velmora", []), ("velmora --screen-reader=off", "velmora", ["--screen-reader=off"]),
                ("bare", "bare", []))
    with ForumProxy() as proxy:
        for n in range(cfg.runs + 1):
            print("start-up, round %d of %d" % (n, cfg.runs), file=sys.stderr, flush=True)
            for label, kind, args in variants:
                cfg.program_args = args
                program = Program(kind, cfg, proxy)
                try:
                    program.start()
                    ms = 1000 * program.wait_loaded()
                    sleep_until(program.loaded + 1)
                finally:
                    program.stop()
                if n:
                    results.setdefault(label, []).append(ms)
    lines = ["| Program | median of %d (ms) | the runs |" % cfg.runs, "|---|---|---|"]
    for label, _, _ in variants:
        lines.append("| %s | %.0f | %s |" % (label, med(results, label),
                                               " ".join("%.0f" % ms for ms in results[label])))
    print("\n".join(lines))


def run_wakeups(cfg):
    """The idle wakeups alone, velmora only: its GUI thread over 10 s, the
    forum shown and the picker closed, 3 s after the page's load; and the
    same in process, with what the event loop did meanwhile."""
    results = {}
    with ForumProxy() as proxy:
        for n in range(cfg.runs + 1):
            program = Program("velmora", cfg, proxy)
            try:
                park_pointer()
                program.start()
                program.wait_loaded()
                sleep_until(program.loaded + 3)
                program.idle_cpu_percent(10)
                if n:  # round 0 warms up
                    results.setdefault("velmora.idle_wakeups", []).append(program.wakeups)
            finally:
                program.stop()
            print("round %d of %d: %.1f wakeups/s" % (n, cfg.runs, program.wakeups), file=sys.stderr, flush=True)
        events = bench_program(cfg, proxy, ["idle"])["idle_events"]
    results["inproc.idle_events"] = events
    with open(os.path.join(cfg.out, "wakeups.json"), "w") as f:
        json.dump(results, f, indent=1)
    runs = results["velmora.idle_wakeups"]
    print("| Measure | velmora | Target |\n|---|---|---|")
    print("| GUI thread's wakeups over 10 s idle, picker closed (per second; median of %d: %s) | %.1f | ≤ 1 |"
          % (cfg.runs, ", ".join("%.1f" % w for w in runs), statistics.median(runs)))
    print("| the same in process (`velmora_bench idle`): wakeups per second; timers in 10 s | %.1f; %s | — |"
          % (events["wakeups_per_s"], json.dumps(events["timers"], ensure_ascii=False)))


# ---------------------------------------------------------------- diagnosis

SOFTWARE_QUICK = {"QT_QUICK_BACKEND": "software"}
VARIANTS = ["program", "bare", "bare+persistent", "bare+preview", "bare+persistent+preview"]


def run_diagnose(cfg):
    """Looks for the causes of misses; figures beside the main table's, not
    in it. Writes diagnosis.json and prints a summary."""
    results = {}
    with ForumProxy() as proxy:
        # Which of velmora's engine choices costs start-up time and memory.
        for n in range(cfg.runs + 1):
            print("start-up variants, round %d of %d" % (n, cfg.runs), file=sys.stderr, flush=True)
            for variant in VARIANTS:
                program = Program("bench", cfg, proxy, variant=variant)
                try:
                    program.start()
                    ms = 1000 * program.wait_loaded()
                    sleep_until(program.loaded + 3)
                    if n:
                        with open(os.path.join(program.folder, "output.log"), errors="replace") as f:
                            for line in f:
                                if line.startswith('{"name": "phases"'):
                                    phases = json.loads(line)
                                    for phase in ("application", "built", "shown"):
                                        results.setdefault("variant:%s.%s_ms" % (variant, phase), []).append(
                                            phases[phase] - 1000 * program.t0)
                    if n:  # round 0 warms up
                        results.setdefault("variant:%s.startup_ms" % variant, []).append(ms)
                        results.setdefault("variant:%s.pss_mib" % variant, []).append(program.pss_mib())
                finally:
                    program.stop()
        if not cfg.startup_only:
            # What the event loop does while velmora sits idle.
            print("idle events", file=sys.stderr, flush=True)
            results["idle_closed"] = bench_program(cfg, proxy, ["idle"])["idle_events"]
            results["idle_open"] = bench_program(cfg, proxy, ["idle", "--open"])["idle_events"]
            results["idle_open_software"] = bench_program(cfg, proxy, ["idle", "--open"],
                                                          SOFTWARE_QUICK)["idle_events"]
            # The same program with the Qt Quick scene graph in software, so
            # windows holding a web view are flushed without OpenGL.
            print("software scene graph", file=sys.stderr, flush=True)
            in_process(cfg, proxy, results, SOFTWARE_QUICK, prefix="software.")
            for n in range(cfg.runs):
                one_round("velmora", cfg, proxy, results, False, SOFTWARE_QUICK, label="software-velmora")
    with open(os.path.join(cfg.out, "diagnosis.json"), "w") as f:
        json.dump(results, f, indent=1)
    lines = ["| Diagnosis | median of %d |" % cfg.runs, "|---|---|"]
    for variant in VARIANTS:
        lines.append("| start-up `%s` | load at %.0f ms (application made at %.0f, window built at %.0f, "
                     "shown at %.0f), PSS %.1f MiB |" % (
                         variant, med(results, "variant:%s.startup_ms" % variant),
                         med(results, "variant:%s.application_ms" % variant),
                         med(results, "variant:%s.built_ms" % variant),
                         med(results, "variant:%s.shown_ms" % variant),
                         med(results, "variant:%s.pss_mib" % variant)))
    if cfg.startup_only:
        keys = ()
    else:
        keys = ("idle_closed", "idle_open", "idle_open_software")
    for key in keys:
        item = results[key]
        lines.append("| %s: update requests in 10 s | %d; paints %s; timers %s; handler µs %s |" % (
            key, item["update_requests"], json.dumps(item["paints"], ensure_ascii=False),
            json.dumps(item["timers"], ensure_ascii=False), json.dumps(item["handler_us"])))
    for name in () if cfg.startup_only else ("slide", "personal_read", "personal_rewrite", "personal_fill", "builtin_choose",
                 "builtin_after_personal"):
        lines.append("| software scene graph: %s | %.2f ms |" % (name, results["software." + name]["median"]))
    for key in () if cfg.startup_only else ("startup_ms", "pss_mib", "idle_cpu", "+picker.pss_mib",
                                            "+picker.idle_cpu"):
        lines.append("| software scene graph: velmora %s | %.2f |" % (key, med(results, "software-velmora" + (
            key if key.startswith("+") else "." + key))))
    text = "\n".join(lines)
    with open(os.path.join(cfg.out, "diagnosis.md"), "w") as f:
        f.write(text + "\n")
    print(text)



def run_diagnose_preview(cfg):
    """Where the time goes with the picker open and an animated emoticon
    previewed: each thread of each process of the tree, and what the
    program's own event loop paints meanwhile."""
    lines = ["| Preview shown, 10 s | %% of a core by thread (median of %d) |" % cfg.runs, "|---|---|"]
    spent = {}
    with ForumProxy() as proxy:
        for n in range(cfg.runs):
            program = Program("velmora", cfg, proxy)
            try:
                park_pointer()
                program.start()
                program.wait_loaded()
                sleep_until(program.loaded + 3)
                window = velmora_window(program.process.pid)
                open_picker_with_preview(program, window)
                park_pointer()
                time.sleep(3)
                rows = cpu_by_thread(program.pids(), 10)
                for key in set((kind, name) for _, kind, name in rows) | set(spent):
                    spent.setdefault(key, []).append(sum(p for p, k, t in rows if (k, t) == key))
            finally:
                program.stop()
        events = bench_program(cfg, proxy, ["idle", "--open"])["idle_events"]
    for (kind, name), values in sorted(spent.items(), key=lambda kv: -statistics.median(kv[1])):
        values += [0.0] * (cfg.runs - len(values))
        if statistics.median(values) >= 0.05:
            lines.append("| %s: %s | %.2f |" % (kind, name, statistics.median(values)))
    lines.append("| the program's event loop: update requests in 10 s | %d; paints %s |" % (
        events["update_requests"], json.dumps(events["paints"], ensure_ascii=False)))
    text = "\n".join(lines)
    with open(os.path.join(cfg.out, "diagnosis-preview.md"), "w") as f:
        f.write(text + "\n")
    print(text)

# --------------------------------------------------------------------- soak

def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def collected(program, cfg):
    """PSS once every page's renderer has collected its garbage, as
    Chromium's own leak checks measure: what is still held then is what
    could be a leak; the rest a collector would give back."""
    import devtools
    for target in devtools.page_targets(cfg.devtools_port):
        devtools.call(target, "HeapProfiler.collectGarbage")
    time.sleep(3)
    return program.pss_mib(), pss_by_process(program.pids())


def run_soak(cfg):
    """velmora for cfg.seconds: open the panel, choose a set and an emoticon,
    copy its tag, close the panel; again and again. PSS before and after."""
    report = {"samples": []}
    with ForumProxy() as proxy:
        extra_env = {}
        cfg.devtools_port = free_port() if cfg.collect_garbage else 0
        if cfg.devtools_port:
            extra_env["QTWEBENGINE_REMOTE_DEBUGGING"] = "127.0.0.1:%d" % cfg.devtools_port
        program = Program("velmora", cfg, proxy, extra_env=extra_env)
        try:
            park_pointer()
            program.start()
            program.wait_loaded()
            sleep_until(program.loaded + 3)
            window = velmora_window(program.process.pid)
            report["pss_after_load_mib"] = program.pss_mib()
            t_start = time.monotonic()
            cycles = copies = copies_checked = 0
            baseline = None
            per_cycle = []  # PSS after each cycle, the panel closed
            per_cycle_private = []  # the same, private memory only
            next_sample = t_start
            while time.monotonic() - t_start < cfg.seconds:
                set_index, row = cycles % 4, (cycles // 4) % 3
                open_picker_with_preview(program, window, set_index, row)
                click(window, OK_BUTTON)
                copies += 1
                if cfg.check_clipboard and cycles % 10 == 0:
                    time.sleep(0.2)
                    got = subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                                         text=True, timeout=10).stdout
                    if not (got.startswith("[img]http://www.velmora.it/iconario/") and got.endswith(".gif[/img]")):
                        raise RuntimeError("clipboard holds %r" % got)
                    copies_checked += 1
                time.sleep(1.5)  # "FATTO" shows for a second
                click(window, CLOSE_LABEL)
                park_pointer()
                time.sleep(0.5)
                cycles += 1
                if baseline is None:
                    # After one whole cycle every piece has been made once.
                    time.sleep(3)
                    baseline = program.pss_mib()
                    report["pss_first_cycle_mib"] = baseline
                    report["start_by_process"] = pss_by_process(program.pids())
                    save_smaps(program.pids(), cfg.out, "start")
                    if cfg.devtools_port:
                        report["collected_start_mib"], report["collected_start_by_process"] = collected(program, cfg)
                per_cycle.append(program.pss_mib())
                per_cycle_private.append(private_kib(program.pids()) / 1024)
                if time.monotonic() >= next_sample:
                    sample = (round(time.monotonic() - t_start), cycles, round(per_cycle[-1], 1))
                    report["samples"].append(sample)
                    print("soak: %4d s, %4d cycles, PSS %.1f MiB" % sample, file=sys.stderr, flush=True)
                    next_sample += 60
            time.sleep(3)
            report["pss_last_mib"] = program.pss_mib()
            report["end_by_process"] = pss_by_process(program.pids())
            save_smaps(program.pids(), cfg.out, "end")
            if cfg.devtools_port:
                report["collected_end_mib"], report["collected_end_by_process"] = collected(program, cfg)
            # One reading moves by tens of MiB as Chromium frees and takes
            # back memory; the start and the end are each the median of ten
            # cycles: the ten after the first, and the last ten.
            report["per_cycle_mib"] = [round(x, 1) for x in per_cycle]
            report["pss_start_mib"] = statistics.median(per_cycle[1:11])
            report["pss_end_mib"] = statistics.median(per_cycle[-10:])
            report["private_start_mib"] = statistics.median(per_cycle_private[1:11])
            report["private_end_mib"] = statistics.median(per_cycle_private[-10:])
            report.update(seconds=round(time.monotonic() - t_start), cycles=cycles, copies=copies,
                          copies_checked=copies_checked, processes=len(program.pids()))
            screenshot(os.path.join(cfg.out, "soak-end.png"))
        finally:
            program.stop()
    growth = report["pss_end_mib"] - report["pss_start_mib"]
    report["growth_mib"] = growth
    with open(os.path.join(cfg.out, "soak.json"), "w") as f:
        json.dump(report, f, indent=1)
    start = {r[0]: r for r in report["start_by_process"]}
    for pid, name, kind, kib in report["end_by_process"]:
        was = start.get(pid, (0, 0, 0, 0))[3]
        print("soak: pid %d %s %s: %.1f -> %.1f MiB" % (pid, name, kind, was / 1024, kib / 1024), file=sys.stderr)
    print("| Soak | velmora | Target | Verdict |\n|---|---|---|---|")
    print("| %d s, %d open/choose/copy/close cycles (%d copies, %d checked on the clipboard) | "
          "PSS %.1f → %.1f MiB (medians of ten cycles), growth %+.1f MiB; %.1f MiB just after load | "
          "growth ≤ 5 MB | %s |"
          % (report["seconds"], report["cycles"], report["copies"], report["copies_checked"],
             report["pss_start_mib"], report["pss_end_mib"], growth, report["pss_after_load_mib"],
             verdict(growth * 1.048576 <= 5)))
    print("| (the same, private memory only: what other processes cannot move) | %.1f → %.1f MiB, growth %+.1f MiB | "
          "growth ≤ 5 MB | %s |"
          % (report["private_start_mib"], report["private_end_mib"],
             report["private_end_mib"] - report["private_start_mib"],
             verdict((report["private_end_mib"] - report["private_start_mib"]) * 1.048576 <= 5)))
    # A leak keeps growing; a cache or a collector's slack fills up and
    # stays. The second half of the run tells the two apart.
    half = len(report["per_cycle_mib"]) // 2
    middle = statistics.median(report["per_cycle_mib"][half - 5:half + 5])
    print("| (the same, second half only: from the ten cycles around the middle to the last ten) | "
          "%.1f → %.1f MiB, growth %+.1f MiB | — | — |" % (middle, report["pss_end_mib"], report["pss_end_mib"] - middle))
    if "collected_end_mib" in report:
        held = report["collected_end_mib"] - report["collected_start_mib"]
        print("| (the same, each time after every page's renderer has collected its garbage) | "
              "%.1f → %.1f MiB, growth %+.1f MiB | growth ≤ 5 MB | %s |"
              % (report["collected_start_mib"], report["collected_end_mib"], held, verdict(held * 1.048576 <= 5)))
        start = {r[0]: r for r in report["collected_start_by_process"]}
        for pid, name, kind, kib in report["collected_end_by_process"]:
            was = start.get(pid, (0, 0, 0, 0))[3]
            print("soak: collected: pid %d %s %s: %.1f -> %.1f MiB" % (pid, name, kind, was / 1024, kib / 1024),
                  file=sys.stderr)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("what", choices=["all", "soak", "diagnose", "wakeups", "startup"])
    parser.add_argument("--build", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--seconds", type=int, default=600)
    parser.add_argument("--check-clipboard", action="store_true")
    parser.add_argument("--program-arg", dest="program_args", action="append", default=[],
                        help="soak: an argument for velmora (Chromium takes its switches from there too)")
    parser.add_argument("--collect-garbage", action="store_true",
                        help="soak: also measure at the start and the end after every page has collected its garbage")
    parser.add_argument("--startup-only", action="store_true", help="diagnose: the start-up variants alone")
    parser.add_argument("--preview-only", action="store_true",
                        help="diagnose: where the time goes with an animated preview shown")
    cfg = parser.parse_args()
    cfg.build = os.path.abspath(cfg.build)
    cfg.out = os.path.abspath(cfg.out)
    if cfg.runs < 5:
        parser.error("at least 5 runs make a median here")
    os.makedirs(cfg.out, exist_ok=True)
    cfg.scratch = tempfile.mkdtemp(prefix="velmora-bench-")
    try:
        if cfg.what == "all":
            run_all(cfg)
        elif cfg.what == "diagnose" and cfg.preview_only:
            run_diagnose_preview(cfg)
        elif cfg.what == "diagnose":
            run_diagnose(cfg)
        elif cfg.what == "wakeups":
            run_wakeups(cfg)
        elif cfg.what == "startup":
            run_startup(cfg)
        else:
            run_soak(cfg)
    finally:
        shutil.rmtree(cfg.scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
