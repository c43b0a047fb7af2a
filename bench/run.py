#!/usr/bin/env python3
"""Times whole runs of lumen over documents: median wall time and peak RSS.

Usage: bench/run.py [--runs N] [--lumen build/lumen] [--peer 'xls2csv {input}']... DOC...

Each document is converted N times from the repository root with the shipped
lumen.cfg (output to a scratch file). /bin/true is timed the same way as the floor
that process start-up sets. With --peer (which may be repeated), each given command
(with {input} replaced) is timed on the same documents for comparison.
"""
import argparse
import os
import shlex
import statistics
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def spawn(command, stderr=os.devnull):
    pid = os.posix_spawnp(command[0], command, os.environ,
                          file_actions=[(os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0),
                                        (os.POSIX_SPAWN_OPEN, 2, stderr,
                                         os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)])
    os.waitpid(pid, 0)


def peak_rss(command):
    """Peak RSS in KiB as GNU time reports it (Debian package "time"), or -1.

    The rusage a Python parent gets for its child includes the parent's own pages
    copied before exec, so the small GNU time program measures instead."""
    if not os.path.exists("/usr/bin/time"):
        return -1
    with tempfile.NamedTemporaryFile() as report:
        spawn(["/usr/bin/time", "-f", "%M", *command], stderr=report.name)
        lines = open(report.name).read().split()
        return int(lines[-1]) if lines else -1


def measure(command, runs, cwd):
    """Median wall seconds of running command runs times, and its peak RSS (KiB)."""
    os.chdir(cwd)
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        spawn(command)
        times.append(time.perf_counter() - start)
    return statistics.median(times), peak_rss(command)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--lumen", default=os.path.join(ROOT, "build", "lumen"))
    parser.add_argument("--peer", action="append", default=[],
                        help="peer command, {input} is replaced by the document; repeatable")
    parser.add_argument("documents", nargs="*")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as scratch:
        out = os.path.join(scratch, "out.html")
        rows = [("/bin/true", *measure(["/bin/true"], args.runs, ROOT))]
        for doc in args.documents:
            doc = os.path.abspath(doc)
            name = os.path.basename(doc)
            rows.append((f"lumen {name}", *measure([args.lumen, doc, out], args.runs, ROOT)))
            for peer in args.peer:
                command = shlex.split(peer.replace("{input}", shlex.quote(doc)))
                rows.append((f"{command[0]} {name}", *measure(command, args.runs, ROOT)))
        print(f"{'run':50} {'median ms':>10} {'peak RSS KiB':>13}")
        for label, median, peak in rows:
            print(f"{label:50} {median * 1000:10.2f} {peak:13d}")


if __name__ == "__main__":
    main()
