"""Runs the side-by-side comparison of the engine's tree view and the editor's
on a virtual display of its own; the pictures go to the artifacts folder."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import e2e_lib  # noqa: E402


def main():
    program, runtime = sys.argv[1], sys.argv[2]
    display = e2e_lib.Editor(runtime, "treelook")
    try:
        display._start_display()
        os.makedirs(display.artifacts, exist_ok=True)
        result = subprocess.run([program, display.artifacts, os.path.join(runtime, "media")], env=display.env,
                                capture_output=True, text=True, timeout=90)
        print(result.stdout)
        if result.returncode != 0:
            print(result.stderr)
            print("FAILED: the trees differ (exit status %d)" % result.returncode)
            sys.exit(1)
    finally:
        display.stop()
    print("PASSED")


if __name__ == "__main__":
    main()
