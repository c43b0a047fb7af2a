#!/usr/bin/env python3
"""Whole runs of lumen next to its peer on each document: instructions, wall time, faults.

Usage: bench/compare.py [--runs N] [--lumen build/lumen] [--no-callgrind] [--peer-to-null]
                        DOC_OR_FOLDER...

For every document (folders are searched for .doc, .xls, .ppt and .pdf files) lumen
runs with the shipped lumen.cfg (ASCII output, tables/) and with the same file set to
UTF8 output, and the peer of its kind runs on it: catdoc (.doc), xls2csv (.xls),
catppt (.ppt), pdftotext (.pdf), all writing UTF-8. Each writes a new file in one
scratch folder, lumen its output file and the peer its standard output, since
creating a file costs a fixed share of a small run (about 0.14 ms on ext4 here);
--peer-to-null sends the peer's output to /dev/null instead. /bin/true is the floor
that process start-up sets. Reported per command:

  Minstr  instructions of the whole process as valgrind's callgrind counts them
          (deterministic, so comparable on a busy machine)
  ms      median wall time of N runs, the commands of one document taking turns
          so that the machine's drift hits them alike
  faults  minor page faults of one run

With no document given, the documents of tests/data/ are used.
"""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
KINDS = (".doc", ".xls", ".ppt", ".pdf")
PEERS = {
    ".doc": ["catdoc", "-d", "utf-8", "{input}"],
    ".xls": ["xls2csv", "-d", "utf-8", "{input}"],
    ".ppt": ["catppt", "-d", "utf-8", "{input}"],
    ".pdf": ["pdftotext", "-enc", "UTF-8", "{input}", "-"],
}


def documents(paths):
    found = []
    for path in paths:
        if os.path.isdir(path):
            for folder, _, names in sorted(os.walk(path)):
                found += [os.path.join(folder, n) for n in sorted(names)
                          if n.lower().endswith(KINDS)]
        else:
            found.append(path)
    return [os.path.abspath(p) for p in found]


def utf8_setup(scratch):
    """A working directory whose lumen.cfg is the shipped one with UTF8 output."""
    folder = os.path.join(scratch, "utf8")
    os.mkdir(folder)
    text = open(os.path.join(ROOT, "lumen.cfg"), encoding="latin-1").read()
    text = re.sub(r"(?im)^OutputCharSet=.*$", "OutputCharSet=UTF8", text)
    open(os.path.join(folder, "lumen.cfg"), "w", encoding="latin-1").write(text)
    for name in ("pages", "tables", "pptconv.dat"):
        os.symlink(os.path.join(ROOT, name), os.path.join(folder, name))
    return folder


def run_once(command, cwd, output, stdout):
    """Wall seconds and minor faults of one run. The output files are removed first
    (untimed): a host writes a new file per document, and truncating the previous
    one would time the file system's flush rather than the program."""
    for path in (output, stdout):
        if path and os.path.exists(path):
            os.unlink(path)
    to_file = (stdout, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
    to_null = (os.devnull, os.O_WRONLY, 0)
    actions = [(os.POSIX_SPAWN_OPEN, 1, *(to_file if stdout else to_null)),
               (os.POSIX_SPAWN_OPEN, 2, *to_null)]
    os.chdir(cwd)
    start = time.perf_counter()
    pid = os.posix_spawnp(command[0], command, os.environ, file_actions=actions)
    _, _, usage = os.wait4(pid, 0)
    return time.perf_counter() - start, usage.ru_minflt


def contents(path):
    if not path or not os.path.exists(path):
        return None
    with open(path, "rb") as file:
        return file.read()


def instructions(command, cwd, output, scratch):
    """Instructions of one run under callgrind, and whether that run wrote what a
    run without it does: some fifty times slower there, a long PDF meets lumen's
    two-second budget and stops early, so that its count is short."""
    native = None
    if output:
        run_once(command, cwd, output, None)
        native = contents(output)
        if native is not None:
            os.unlink(output)
    report = os.path.join(scratch, "callgrind.out")
    done = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + report,
                           *command], cwd=cwd, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, text=True, errors="replace")
    match = re.search(r"Collected : (\d+)", done.stderr)
    return (int(match.group(1)) if match else -1), contents(output) == native


def measure(commands, runs, scratch, with_callgrind):
    """commands: (label, argv, cwd, output, stdout). Returns label -> (instr, ms, faults)."""
    walls = {label: [] for label, *_ in commands}
    faults = {}
    for _ in range(runs):
        for label, argv, cwd, output, stdout in commands:
            wall, fault = run_once(argv, cwd, output, stdout)
            walls[label].append(wall)
            faults[label] = min(faults.get(label, fault), fault)
    result = {}
    for label, argv, cwd, output, _ in commands:
        count, whole = instructions(argv, cwd, output, scratch) if with_callgrind else (-1, True)
        result[label] = (count, statistics.median(walls[label]) * 1000, faults[label], whole)
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--lumen", default=os.path.join(ROOT, "build", "lumen"))
    parser.add_argument("--no-callgrind", action="store_true")
    parser.add_argument("--peer-to-null", action="store_true")
    parser.add_argument("paths", nargs="*")
    args = parser.parse_args()
    lumen = os.path.abspath(args.lumen)
    with_callgrind = not args.no_callgrind and shutil.which("valgrind") is not None
    docs = documents(args.paths or [os.path.join(ROOT, "tests", "data")])

    with tempfile.TemporaryDirectory() as scratch:
        utf8 = utf8_setup(scratch)
        out = os.path.join(scratch, "out.html")
        peer_out = os.path.join(scratch, "peer.txt")
        floor = measure([("true", ["/bin/true"], ROOT, None, None)], args.runs, scratch,
                        with_callgrind)["true"]
        print(f"{'document':44} {'KB':>6} | {'lumen ASCII':^20} | {'lumen UTF8':^20} | "
              f"{'peer':^29}")
        print(f"{'':44} {'':>6} | {'Minstr':>6} {'ms':>5} {'flt':>5} |"
              f" {'Minstr':>6} {'ms':>5} {'flt':>5} | {'':8} {'Minstr':>6} {'ms':>5} {'flt':>5}")

        short = False

        def cells(values):
            nonlocal short
            count, ms, fault, whole = values
            shown = f"{count / 1e6:6.2f}" if count >= 0 else f"{'-':>6}"
            short = short or not whole
            return f"{shown}{' ' if whole else '*'}{ms:5.2f} {fault:5d}"

        print(f"{'/bin/true':44} {'':>6} | {cells(floor)} |")
        for doc in docs:
            peer = PEERS.get(os.path.splitext(doc)[1].lower())
            commands = [("ascii", [lumen, doc, out], ROOT, out, None),
                        ("utf8", [lumen, doc, out], utf8, out, None)]
            if peer and shutil.which(peer[0]):
                stdout = None if args.peer_to_null else peer_out
                commands.append(("peer", [a.replace("{input}", doc) for a in peer],
                                 os.path.dirname(doc), None, stdout))
            got = measure(commands, args.runs, scratch, with_callgrind)
            name = os.path.relpath(doc, os.path.dirname(os.path.dirname(doc)))
            line = (f"{name[-44:]:44} {os.path.getsize(doc) // 1024:6d} | "
                    f"{cells(got['ascii'])} | {cells(got['utf8'])} |")
            if "peer" in got:
                line += f" {peer[0]:8} {cells(got['peer'])}"
            print(line, flush=True)
        if short:
            print("* under callgrind the run stopped early (time budget): the count is short")


if __name__ == "__main__":
    main()
