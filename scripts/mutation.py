#!/usr/bin/env python3
"""Mutation testing for this tree: plants one small fault at a time in a layer's sources, builds the
tree incrementally in a scratch worktree and asks ctest whether some test fails.

Each mutant is killed (a test failed), survived (every test passed), a build error (it does not
compile, so it says nothing about the tests) or a time-out (the tests ran past the limit, which
counts as killed). Survivors listed in tests/equivalent-mutants.txt cannot change behaviour and are
left out of the score. Usage: see --help; scripts/mutation.sh is the entry point.
"""
import argparse
import json
import os
import random
import re
import subprocess
import shutil
import sys
import threading
import time
from dataclasses import dataclass, asdict

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LAYERS = ["base", "proto", "link", "modbus", "sim", "indicator", "devices", "widgets", "sheet", "lineditor", "app", "cli"]
# Tests that can tell nothing about a mutant (the X server tests exist only where xvfb-run does).
EXCLUDED_TESTS = "packaging_"
KEYWORDS = ("return", "if", "for", "while", "switch", "case", "else", "delete", "throw", "do", "using",
            "namespace", "template", "typedef", "static_assert", "emit", "goto", "break", "continue")


@dataclass
class Mutant:
    file: str
    line: int  # from 1
    operator: str
    original: str
    mutated: str
    result: str = ""
    seconds: float = 0.0

    def key(self):
        return f"{self.file}:{self.line}: {self.original.strip()} -> {self.mutated.strip()}"


# ---------------------------------------------------------------------------------------------
# Operators, on the code of one line (strings and comments are never touched)

def code_spans(line):
    """The (start, end) spans of `line` that are code: outside string and character literals and
    before a // comment."""
    spans, start, i, quote = [], 0, 0, None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                i += 2
                continue
            if c == quote:
                quote = None
                start = i + 1
        elif c in "\"'":
            spans.append((start, i))
            quote = c
        elif line.startswith("//", i):
            spans.append((start, i))
            return [s for s in spans if s[1] > s[0]]
        i += 1
    if not quote:
        spans.append((start, len(line)))
    return [s for s in spans if s[1] > s[0]]


def in_code(spans, start, end):
    return any(s <= start and end <= e for s, e in spans)


SWAPS = [
    ("relational", " < ", " <= "), ("relational", " <= ", " < "), ("relational", " > ", " >= "),
    ("relational", " >= ", " > "), ("equality", " == ", " != "), ("equality", " != ", " == "),
    ("logical", " && ", " || "), ("logical", " || ", " && "), ("arithmetic", " + 1", " - 1"),
    ("arithmetic", " - 1", " + 1"), ("arithmetic", " + ", " - "), ("arithmetic", " - ", " + "),
    ("shift", " << ", " >> "), ("shift", " >> ", " << "), ("mask", " & ", " | "), ("mask", " | ", " & "),
    ("boolean", "true", "false"), ("boolean", "false", "true"),
]
NUMBER = re.compile(r"(?<![\w.])(0[xX][0-9a-fA-F]+|\d+)(?![\w.])")
CALL_STATEMENT = re.compile(r"^(\s*)([A-Za-z_][\w:]*(?:(?:\.|->)[A-Za-z_]\w*)*(?:\[[^\]]*\])?)\s*\(.*\);\s*$")


def line_mutants(path, number, line):
    stripped = line.strip()
    if not stripped or stripped.startswith(("#", "//", "*", "/*")) or "static_assert" in line:
        return []
    if re.search(r"\)( const)? = 0;", line):  # a pure virtual function, not a value
        return []
    spans = code_spans(line)
    found = []
    for operator, old, new in SWAPS:
        for m in re.finditer(re.escape(old), line):
            start, end = m.start(), m.end()
            if not in_code(spans, start, end):
                continue
            if operator == "boolean" and (line[start - 1:start].isalnum() or line[end:end + 1].isalnum()):
                continue
            if old.strip() in ("<", ">") and ("template" in line or "_cast<" in line):
                continue
            if operator == "arithmetic" and '"' in line:  # most likely text being put together
                continue
            found.append(Mutant(path, number, operator, line, line[:start] + new + line[end:]))
    for m in NUMBER.finditer(line):
        if not in_code(spans, m.start(), m.end()):
            continue
        text = m.group(1)
        value = int(text, 16) if text.lower().startswith("0x") else int(text)
        for changed in (value + 1, value - 1):
            if changed < 0:
                continue
            new = hex(changed) if text.lower().startswith("0x") else str(changed)
            found.append(Mutant(path, number, "constant", line, line[:m.start()] + new + line[m.end():]))
    call = CALL_STATEMENT.match(line)
    if call and not call.group(2).split("::")[0].split(".")[0].split("->")[0] in KEYWORDS:
        # A declaration with arguments looks alike; the compiler sorts those out as build errors.
        found.append(Mutant(path, number, "deleted call", line, call.group(1) + ";\n"))
    return found


def file_mutants(path):
    with open(os.path.join(ROOT, path), encoding="utf-8") as f:
        lines = f.readlines()
    mutants = []
    for i, line in enumerate(lines):
        mutants.extend(line_mutants(path, i + 1, line))
    return mutants


def sample(candidates, n, rng):
    """n mutants of a file, the operators taking turns, so that the many constants do not crowd out
    the rest."""
    by_operator = {}
    for m in candidates:
        by_operator.setdefault(m.operator, []).append(m)
    for group in by_operator.values():
        rng.shuffle(group)
    operators = sorted(by_operator)
    rng.shuffle(operators)
    chosen = []
    while len(chosen) < n and any(by_operator.values()):
        for op in operators:
            if by_operator[op] and len(chosen) < n:
                chosen.append(by_operator[op].pop())
    return chosen


def layer_files(layer):
    folder = os.path.join(ROOT, layer)
    listed = subprocess.run(["git", "ls-files", layer], cwd=ROOT, capture_output=True, text=True).stdout.split()
    return sorted(p for p in listed if p.endswith((".cpp", ".h")) and os.path.isfile(os.path.join(ROOT, p))
                  ) if os.path.isdir(folder) else []


# ---------------------------------------------------------------------------------------------
# The scratch worktree and its build

def run(args, cwd, timeout=None, quiet=True):
    return subprocess.run(args, cwd=cwd, timeout=timeout, text=True,
                          stdout=subprocess.PIPE if quiet else None, stderr=subprocess.STDOUT if quiet else None)


def prepare(scratch, jobs, worker):
    suffix = "" if worker == 0 else str(worker)
    tree, build = os.path.join(scratch, "tree" + suffix), os.path.join(scratch, "build" + suffix)
    if not os.path.isdir(tree):
        run(["git", "worktree", "add", "--detach", tree, "HEAD"], ROOT, quiet=False)
    else:
        # The tree follows HEAD; files touched since stay untouched in mtime when unchanged.
        run(["git", "checkout", "--detach", "-f", run(["git", "rev-parse", "HEAD"], ROOT).stdout.strip()], tree)
    # lld links the many test programs a mutant relinks several times faster than ld.bfd.
    linker = ["-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld"] if shutil.which("ld.lld") else []
    # The library's bounds checks turn an index one past the end into a failure, as the ASan run would.
    run(["cmake", "-S", tree, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug", "-DQV7_BENCH=OFF",
         "-DCMAKE_CXX_FLAGS=-O0 -g0 -D_GLIBCXX_ASSERTIONS", *linker], ROOT)
    print(f"mutation: building the unmutated tree in {build} (incremental after the first run)", flush=True)
    if run(["cmake", "--build", build, f"-j{jobs}"], ROOT, quiet=False).returncode != 0:
        sys.exit("mutation: the unmutated tree does not build")
    # A test that fails without a mutant would count every mutant killed.
    if run(["ctest", "--test-dir", build, f"-j{jobs}", "-E", EXCLUDED_TESTS], ROOT).returncode != 0:
        sys.exit(f"mutation: a test fails on the unmutated tree (ctest --test-dir {build})")
    return tree, build


def layer_targets(build, layer):
    """The build targets the layer's own tests run: their programs, and the tools they start."""
    shown = run(["ctest", "--test-dir", build, "--show-only=json-v1", "-R", f"^{layer}", "-E", EXCLUDED_TESTS], ROOT)
    targets = set()
    for test in json.loads(shown.stdout or "{}").get("tests", []):
        for part in test.get("command", []):
            if part.startswith(build + os.sep):
                targets.add(os.path.basename(part))
    # These tests start the programs themselves, which the build graph does not tell.
    targets |= {"cli": {"qv7ctl"}, "app": {"qv7cfg"}}.get(layer, set())
    return sorted(targets)


def ctest_verdict(build, selection, jobs, deadline):
    """None when every selected test passed (or none was selected), "killed" or "time-out"."""
    left = deadline - time.time()
    if left <= 0:
        return "time-out"
    args = ["ctest", "--test-dir", build, f"-j{jobs}", "--stop-on-failure", "--timeout", str(int(left) + 1),
            *selection]
    try:
        result = run(args, ROOT, timeout=left + 5)
    except subprocess.TimeoutExpired:
        return "time-out"
    if "No tests were found" in result.stdout or result.returncode == 0:
        return None
    return "time-out" if "Timeout" in result.stdout else "killed"


def judge(mutant, tree, build, jobs, limit):
    path = os.path.join(tree, mutant.file)
    with open(path, encoding="utf-8") as f:
        lines = f.readlines()
    original = list(lines)
    if lines[mutant.line - 1:mutant.line] != [mutant.original]:
        # Judged again after the file changed: the same line, wherever it went (the nearest copy).
        found = [i + 1 for i, text in enumerate(lines) if text == mutant.original]
        if not found:
            mutant.result, mutant.seconds = "gone", 0.0
            return
        mutant.line = min(found, key=lambda n: abs(n - mutant.line))
    lines[mutant.line - 1] = mutant.mutated
    started = time.time()
    try:
        with open(path, "w", encoding="utf-8") as f:
            f.writelines(lines)
        layer = mutant.file.split("/")[0]
        deadline = time.time() + limit
        # Most mutants fall to their own layer's tests: build just what those run first, and the
        # whole tree only when they all pass.
        own = layer_targets(build, layer) or ["all"]
        if run(["cmake", "--build", build, f"-j{jobs}", "--target", *own], ROOT).returncode != 0:
            mutant.result = "build error"
        elif verdict := ctest_verdict(build, ["-R", f"^{layer}", "-E", EXCLUDED_TESTS], jobs, deadline):
            mutant.result = verdict
        elif run(["cmake", "--build", build, f"-j{jobs}"], ROOT).returncode != 0:
            mutant.result = "build error"
        else:
            mutant.result = ctest_verdict(build, ["-E", f"^{layer}|{EXCLUDED_TESTS}"], jobs, deadline) or "survived"
    finally:
        with open(path, "w", encoding="utf-8") as f:
            f.writelines(original)
    mutant.seconds = time.time() - started


# ---------------------------------------------------------------------------------------------
# Report

def unplaced(key):
    """A mutant's key without its line number: a listed line that moves stays listed."""
    return re.sub(r"^([^:]+):\d+: ", r"\1: ", key)


def equivalents():
    listed = os.path.join(ROOT, "tests", "equivalent-mutants.txt")
    keys = set()
    if os.path.isfile(listed):
        for line in open(listed, encoding="utf-8"):
            line = line.strip()
            if line and not line.startswith("#"):
                keys.add(unplaced(line.split("  #")[0].strip()))
    return keys


def report(mutants):
    known = equivalents()
    rows, survivors = [], []
    for layer in LAYERS:
        mine = [m for m in mutants if m.file.split("/")[0] == layer]
        if not mine:
            continue
        count = {r: sum(1 for m in mine if m.result == r)
                 for r in ("killed", "survived", "build error", "time-out", "gone")}
        equivalent = sum(1 for m in mine if m.result == "survived" and unplaced(m.key()) in known)
        survived = count["survived"] - equivalent
        killed = count["killed"] + count["time-out"]
        judged = killed + survived
        score = 100.0 * killed / judged if judged else 0.0
        # A line that no longer exists says nothing of the tests: it leaves the sample.
        rows.append((layer, len(mine) - count["gone"], killed, survived, equivalent, count["build error"], score))
        survivors += [m for m in mine if m.result == "survived" and unplaced(m.key()) not in known]
    print(f"\n{'layer':10} {'mutants':>7} {'killed':>6} {'survived':>8} {'equivalent':>10} {'build err':>9} {'score':>6}")
    for layer, n, k, s, e, b, score in rows:
        print(f"{layer:10} {n:7} {k:6} {s:8} {e:10} {b:9} {score:5.0f}%")
    if survivors:
        print("\nsurvivors (file:line: original -> mutated):")
        for m in survivors:
            print("  " + m.key())
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--layer", action="append", help="a layer to mutate (repeatable; default: all)")
    parser.add_argument("--file", action="append",
                        help="only this source (repeatable; its layer is implied), e.g. app/MainStatus.cpp")
    parser.add_argument("--sample", type=int, default=10, help="mutants per source file (default 10)")
    parser.add_argument("--header-sample", type=int,
                        help="mutants per header (default: a quarter of --sample, at least 1); a header's "
                             "mutant rebuilds much of the tree")
    parser.add_argument("--seed", type=int, default=1, help="the sample's seed (default 1)")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2, help="build and test jobs of a worker")
    parser.add_argument("--workers", type=int, default=min(2, os.cpu_count() or 1),
                        help="mutants judged side by side, each in a scratch tree of its own (default 2, "
                             "which keeps two cores busier than one worker does)")
    parser.add_argument("--limit", type=int, default=180, help="seconds the tests of one mutant may take")
    parser.add_argument("--scratch", default=os.path.join(ROOT, "build-mutation"))
    parser.add_argument("--list", action="store_true", help="list the sampled mutants, build nothing")
    parser.add_argument("--json", help="write every mutant and its result to this file (after each mutant)")
    parser.add_argument("--rerun", help="judge again the survivors in this --json file, and nothing else")
    parser.add_argument("--report", nargs="+", metavar="FILE",
                        help="print the table of these --json files (a mutant in several counts once, "
                             "as the last file judged it), judging nothing")
    args = parser.parse_args()
    if args.report:
        judged = {}
        for name in args.report:
            with open(name, encoding="utf-8") as f:
                for m in (Mutant(**m) for m in json.load(f)):
                    judged[unplaced(m.key())] = m
        report(list(judged.values()))
        return 0

    files = set(args.file or [])
    implied = sorted({f.split("/")[0] for f in files})
    layers = [l for part in (args.layer or implied or LAYERS) for l in part.split(",")]
    unknown = [l for l in layers if l not in LAYERS]
    if unknown:
        sys.exit(f"mutation: unknown layer {', '.join(unknown)} (layers: {', '.join(LAYERS)})")
    headers = max(1, args.sample // 4) if args.header_sample is None else args.header_sample
    chosen, done = [], []
    if args.rerun:
        with open(args.rerun, encoding="utf-8") as f:
            previous = [Mutant(**m) for m in json.load(f)]
        known = equivalents()

        def again(m):
            return m.result == "survived" and unplaced(m.key()) not in known and m.file.split("/")[0] in layers

        chosen = [m for m in previous if again(m)]
        done = [m for m in previous if not again(m)]
    else:
        for layer in layers:
            for path in layer_files(layer):
                if files and path not in files:
                    continue
                n = headers if path.endswith(".h") else args.sample
                chosen += sample(file_mutants(path), n, random.Random(f"{args.seed}:{path}"))
    if args.list:
        for m in chosen:
            print(f"{m.operator:12} {m.key()}")
        return 0
    workers = [prepare(args.scratch, args.jobs, w) for w in range(max(1, args.workers))]
    queue, lock, finished = list(enumerate(chosen, 1)), threading.Lock(), []

    def work(tree, build):
        while True:
            with lock:
                if not queue:
                    return
                i, m = queue.pop(0)
            judge(m, tree, build, args.jobs, args.limit)
            with lock:
                finished.append(m)
                print(f"[{i}/{len(chosen)}] {m.result:11} {m.seconds:5.0f}s  {m.key()}", flush=True)
                if args.json:
                    with open(args.json, "w", encoding="utf-8") as f:
                        json.dump([asdict(x) for x in done + finished], f, indent=1)

    threads = [threading.Thread(target=work, args=w) for w in workers]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    # The scratch trees are left as HEAD has them, so the next run's build stays incremental.
    for _, build in workers:
        run(["cmake", "--build", build, f"-j{args.jobs}"], ROOT)
    report(done + chosen)
    return 0


if __name__ == "__main__":
    sys.exit(main())
