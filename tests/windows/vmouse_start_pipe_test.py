#!/usr/bin/python3
"""`vmouse start` returns to a caller that captures its output through pipes.

A shell's $(...) captures standard output, a script's captured run both
streams; either must get its answer when `start` ends, not when the
background instance it started ends.

    vmouse_start_pipe_test.py WINE_RUN ARCH VMOUSE_EXE
"""

import subprocess
import sys

wine_run, arch, vmouse = sys.argv[1:4]


def vmouse_call(*args, **kwargs):
    return subprocess.run([wine_run, arch, vmouse, *args], timeout=60, **kwargs)


def main():
    vmouse_call("stop", capture_output=True)  # whatever an earlier run left
    failures = []
    try:
        started = vmouse_call("start", capture_output=True)
        if started.returncode != 0:
            failures.append("start with both streams captured failed: %r" % started)
        state = vmouse_call("state", capture_output=True, text=True)
        if "plugged yes" not in state.stdout:
            failures.append("no virtual mouse after start: %r" % state.stdout)
        vmouse_call("stop", capture_output=True)
        shell = subprocess.run(
            ["bash", "-c", 'out=$("$0" "$1" "$2" start) && echo "started:$out"', wine_run, arch,
             vmouse],
            capture_output=True, text=True, timeout=60)
        if shell.returncode != 0 or "started:" not in shell.stdout:
            failures.append("$(vmouse start) failed: %r" % shell)
    except subprocess.TimeoutExpired as e:
        failures.append("a captured call did not return: %s" % e)
    finally:
        vmouse_call("stop", capture_output=True)
    for f in failures:
        print(f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
