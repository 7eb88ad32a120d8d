#!/usr/bin/env python3
"""Start-up to the first drawn frame and idle peak memory of the editor
against a bare engine program with the same window and scene, on a virtual
display of its own. Runs alternate between the two programs.

    python3 bench/process/startup_memory.py BUILD_DIR [--runs N] [--idle SECONDS]

BUILD_DIR holds runtime/ (the editor), bench/bare_engine and
bench/libfirst_frame_probe.so. The probe notes the first glXSwapBuffers call
of each program; the peak memory is the kernel's VmHWM after the program has
sat idle (window focused, nothing done) for the given time."""
import argparse
import os
import shutil
import statistics
import subprocess
import tempfile
import time


def start_display():
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten",
                             "tcp", "-noreset"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            pass_fds=(write_end,))
    os.close(write_end)
    with os.fdopen(read_end) as reader:
        number = reader.readline().strip()
    if not number:
        xvfb.kill()
        raise SystemExit("could not start Xvfb")
    return xvfb, ":" + number


def status_kib(pid, field):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return 0


def measure(command, work, env, probe, idle):
    marker = os.path.join(work, "first-frame")
    if os.path.exists(marker):
        os.remove(marker)
    run_env = dict(env, LD_PRELOAD=probe, FIRST_FRAME_FILE=marker)
    started = time.monotonic_ns()
    proc = subprocess.Popen(command, cwd=work, env=run_env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        deadline = time.monotonic() + 60
        focused = False
        while not os.path.exists(marker) or os.path.getsize(marker) == 0:
            if proc.poll() is not None or time.monotonic() > deadline:
                raise SystemExit("%s showed no frame" % command[0])
            if not focused:
                # Without a window manager a window gets the focus only when
                # asked; both programs draw only while their window is active.
                windows = subprocess.run(["xdotool", "search", "--name", "."], env=env, capture_output=True,
                                         text=True).stdout.split()
                for window in windows:
                    subprocess.run(["xdotool", "windowfocus", window], env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
                focused = bool(windows)
            time.sleep(0.002)
        with open(marker) as f:
            first_frame = int(f.read().strip())
        time.sleep(idle)
        return (first_frame - started) / 1e6, status_kib(proc.pid, "VmHWM") / 1024.0
    finally:
        proc.kill()
        proc.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--idle", type=float, default=2.0)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    runtime = os.path.join(build, "runtime")
    probe = os.path.join(build, "bench", "libfirst_frame_probe.so")
    programs = {"editor": [os.path.join(runtime, "sorn-editor")],
                "bare engine": [os.path.join(build, "bench", "bare_engine")]}

    work = tempfile.mkdtemp(prefix="sorn-bench-")
    for sub in ("media", "lang", "doc"):
        os.symlink(os.path.join(runtime, sub), os.path.join(work, sub))
    shutil.copy(os.path.join(runtime, "config.xml"), work)
    xvfb, display = start_display()
    results = {name: ([], []) for name in programs}
    try:
        env = dict(os.environ, DISPLAY=display)
        for _ in range(args.runs):
            for name, command in programs.items():
                startup, peak = measure(command, work, env, probe, args.idle)
                results[name][0].append(startup)
                results[name][1].append(peak)
    finally:
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)

    print("%-12s %22s %22s" % ("", "first frame (ms)", "idle peak RSS (MiB)"))
    medians = {}
    for name, (startups, peaks) in results.items():
        medians[name] = (statistics.median(startups), statistics.median(peaks))
        print("%-12s %10.1f (%4.1f-%5.1f) %10.1f (%4.1f-%5.1f)" % (
            name, medians[name][0], min(startups), max(startups), medians[name][1], min(peaks), max(peaks)))
    editor, bare = medians["editor"], medians["bare engine"]
    print("editor / bare engine: start-up %.2fx, idle peak memory %.2fx (medians of %d runs)" % (
        editor[0] / bare[0], editor[1] / bare[1], args.runs))


if __name__ == "__main__":
    main()
