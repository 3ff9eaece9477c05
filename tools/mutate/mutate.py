#!/usr/bin/env python3
"""Plants one small fault at a time in a source file and sees whether the
tests catch it. See README.md beside this file."""

import argparse
import configparser
import fcntl
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from collections import OrderedDict
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from cxxmutants import OPERATORS, MutantFinder  # noqa: E402

HERE = Path(__file__).resolve().parent
SOURCE = HERE.parent.parent
STATUSES = ["killed", "survived", "timeout", "invalid", "equivalent"]


class Interrupted(Exception):
    pass


def on_signal(signum, frame):
    raise Interrupted("signal %d" % signum)


# -- the source file under mutation -----------------------------------------

class Restorer:
    """Keeps the original of a mutated file beside the build and puts it back
    whatever happens; a run killed outright is repaired by the next one."""

    def __init__(self, build):
        self.backups = build / "mutate" / "originals"

    def recover(self):
        if not self.backups.exists():
            return
        for backup in self.backups.rglob("*"):
            if backup.is_file():
                target = SOURCE / backup.relative_to(self.backups)
                if target.read_bytes() != backup.read_bytes():
                    target.write_bytes(backup.read_bytes())
                    print("restored %s, left mutated by an earlier run" % target.relative_to(SOURCE))
                backup.unlink()

    def mutated(self, rel, original, text):
        return _MutatedFile(self.backups / rel, SOURCE / rel, original, text)


class _MutatedFile:
    def __init__(self, backup, target, original, text):
        self.backup, self.target, self.original, self.text = backup, target, original, text

    def __enter__(self):
        self.backup.parent.mkdir(parents=True, exist_ok=True)
        self.backup.write_text(self.original)
        _write_newer(self.target, self.text)

    def __exit__(self, *exc):
        _write_newer(self.target, self.original)
        self.backup.unlink()
        return False


def _write_newer(path, text):
    """Writes the file with a time stamp past its previous one: the kernel's
    clock ticks in milliseconds, and a mutant written in the same tick as the
    restored original must still look newer than what was built before."""
    before = path.stat().st_mtime_ns
    path.write_text(text)
    stamp = max(time.time_ns(), before + 10_000_000)
    os.utime(path, ns=(stamp, stamp))


# -- the build ---------------------------------------------------------------

def run(command, cwd=None, env=None, timeout=None):
    """Runs a command in a process group of its own so that a time-out or an
    interrupt ends all of it. Returns (exit code or None on time-out, output)."""
    process = subprocess.Popen(command, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               start_new_session=True, text=True, errors="replace")
    try:
        output, _ = process.communicate(timeout=timeout)
        return process.returncode, output
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        try:
            output, _ = process.communicate(timeout=10)
        except subprocess.TimeoutExpired:
            # A process the program started in a session of its own (a
            # mutant that let it outlive the program) still holds the output.
            process.stdout.close()
            process.wait()
            output = "(a process the program started kept its output open)"
        return None, output
    except BaseException:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        raise


SANITIZER_OPTIONS = {"ASAN_OPTIONS": "detect_leaks=1:abort_on_error=1:strict_string_checks=1",
                     "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1"}


def configure(build, sanitize):
    if (build / "build.ninja").exists():
        return
    env = dict(os.environ)
    if shutil.which("ccache"):
        env.update(CMAKE_CXX_COMPILER_LAUNCHER="ccache", CMAKE_C_COMPILER_LAUNCHER="ccache")
    if sanitize:
        # As ./check's second pass builds.
        flags = ["-DCMAKE_BUILD_TYPE=Debug", "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g", "-DPELLUCOR_SANITIZE=ON"]
    else:
        flags = ["-DCMAKE_BUILD_TYPE=RelWithDebInfo"]
    print("configuring %s (%s)" % (build, "AddressSanitizer and UBSan" if sanitize else "RelWithDebInfo, no sanitizers"))
    code, output = run(["cmake", "-S", str(SOURCE), "-B", str(build), "-G", "Ninja", "-DPELLUCOR_BENCH=OFF"] + flags,
                       env=env)
    if code != 0:
        sys.exit(output + "\ncannot configure " + str(build))


def ninja(build, targets, jobs, cache=True):
    # Every mutant is new text: a compiler cache only fills up with them, and
    # a cache that took a mutant for an earlier text would report it survived.
    env = dict(os.environ) if cache else dict(os.environ, CCACHE_DISABLE="1")
    return run(["nice", "-n", "10", "ninja", "-C", str(build), "-j", str(jobs)] + targets, env=env)


def objects_of(build, rel):
    source = str(SOURCE / rel)
    commands = json.loads((build / "compile_commands.json").read_text())
    return [re.search(r" -o (\S+)", c["command"]).group(1) for c in commands
            if c["file"] == source and " -o " in c.get("command", "")]


def test_targets_for(build, rel):
    """The test programs whose build takes the file's object: those that link
    its library, narrowed to the folder's own program where there is one."""
    objects = objects_of(build, rel)
    programs = set()
    for obj in objects:
        for library in query_outputs(build, obj):
            for out in query_outputs(build, library):
                name = Path(out).name
                if name.startswith("test_") and "[" not in name and Path(out).parent.name == "tests":
                    programs.add(name)
    if not programs:
        sys.exit("no test program links %s; name one with --target" % rel)
    # The program of the nearest folder that has one (game/table/X.cpp ->
    # test_game_table, pak/X.cpp -> test_pak).
    folders = Path(rel).parent.parts
    for depth in range(len(folders), 0, -1):
        own = "test_" + "_".join(folders[:depth])
        if own in programs:
            return [own]
    return sorted(programs)


def query_outputs(build, node):
    code, output = run(["ninja", "-C", str(build), "-t", "query", node])
    outs, inside = [], False
    for line in output.splitlines():
        if line.strip() == "outputs:":
            inside = True
        elif inside and line.startswith("    "):
            outs.append(line.strip())
        elif not line.startswith("    "):
            inside = False
    return sorted(set(outs))


def default_filter(rel):
    """The suites of the file's mirror folder under tests/ (pak/X.cpp ->
    tests/pak), so that a big test program runs only its relevant part."""
    folder = SOURCE / "tests" / Path(rel).parent
    suites = set()
    for test in sorted(folder.glob("*.cpp")) if folder.is_dir() else []:
        suites.update(re.findall(r"^\s*TEST(?:_F|_P)?\(\s*(\w+)\s*,", test.read_text(), re.M))
    return ":".join(s + ".*" for s in sorted(suites)) or "*"


# -- the tests ---------------------------------------------------------------

class TestRunner:
    """Runs one test program's chosen tests: in one process with fail-fast
    when the baseline allows, else one process per test as ctest does."""

    def __init__(self, build, target, gtest_filter, jobs):
        self.build, self.target, self.filter, self.jobs = build, target, gtest_filter, jobs
        self.program = build / "tests" / target
        self.isolated = False
        # Every test runs, not only up to the first that fails: which tests
        # catch a mutant, not only whether one does.
        self.every_test = False
        self.names = []
        self.env = dict(os.environ)
        self.cwd = build / "tests"
        self._read_ctest()

    def _read_ctest(self):
        code, output = run(["ctest", "--test-dir", str(self.build), "--show-only=json-v1"])
        for test in json.loads(output).get("tests", []):
            command = test.get("command") or [""]
            if Path(command[0]).name != self.target:
                continue
            self.names.append(test["name"])
            for prop in test.get("properties", []):
                if prop["name"] == "WORKING_DIRECTORY":
                    self.cwd = Path(prop["value"])
                elif prop["name"] == "ENVIRONMENT":
                    for item in prop["value"]:
                        key, _, value = item.partition("=")
                        self.env[key] = value
        self.env.update(SANITIZER_OPTIONS)
        self.env.setdefault("PELLUCOR_SOURCE_DIR", str(SOURCE))
        self.env.setdefault("PELLUCOR_BINARY_DIR", str(self.build))
        # As gtest reads a filter: the names of the patterns before a "-",
        # less those of the patterns after it.
        positive, _, negative = self.filter.partition("-")
        wanted, unwanted = self._pattern(positive or "*"), self._pattern(negative)
        self.names = [n for n in self.names if wanted.match(n) and not (negative and unwanted.match(n))]

    @staticmethod
    def _pattern(patterns):
        return re.compile("^(" + "|".join(re.escape(p).replace(r"\*", ".*") for p in patterns.split(":")) + ")$")

    def run(self, timeout):
        """(status, detail): passed, failed or timeout."""
        if self.isolated:
            regex = "^(" + "|".join(re.escape(n) for n in self.names) + ")$"
            command = ["ctest", "--test-dir", str(self.build), "-R", regex, "-j", str(self.jobs),
                       "--timeout", str(int(timeout)), "--no-tests=error"]
            if not self.every_test:
                command.append("--stop-on-failure")
        else:
            command = [str(self.program), "--gtest_filter=" + self.filter, "--gtest_brief=1"]
            if not self.every_test:
                command.append("--gtest_fail_fast")
        code, output = run(command, cwd=self.cwd, env=self.env, timeout=timeout)
        if code is None:
            return "timeout", ""
        if code == 0:
            return "passed", ""
        failed = re.findall(r"\[  FAILED  \] (\S+)", output) or re.findall(r"\d+ - (\S+) \((?:Failed|SEGFAULT|Subprocess)", output)
        failed = list(OrderedDict.fromkeys(f for f in failed if "." in f))
        if not failed:
            return "failed", "exit %d" % code
        return "failed", ",".join(failed) if self.every_test else failed[0]


# -- results -----------------------------------------------------------------

def load_equivalents():
    marks = {}
    path = HERE / "equivalent.txt"
    for line in path.read_text().splitlines() if path.exists() else []:
        line = line.strip()
        if line and not line.startswith("#"):
            ident, _, reason = line.partition(" ")
            marks[ident] = reason.strip()
    return marks


def load_areas():
    parser = configparser.ConfigParser()
    parser.read(HERE / "areas.ini")
    areas = OrderedDict()
    for name in parser.sections():
        section = parser[name]
        # A long filter may go on over several lines.
        gtest_filter = "".join(section.get("filter", "").split()) or None
        areas[name] = {"files": section.get("files", "").split(), "target": section.get("target"),
                       "filter": gtest_filter}
    return areas


def merge_results(paths, equivalents):
    """Later files override earlier ones; mutants the source no longer has
    (their line was edited since) are left out."""
    merged = OrderedDict()
    for path in paths:
        for r in json.loads(Path(path).read_text()):
            merged[r["id"]] = r
    current = {}
    for r in merged.values():
        if r["file"] not in current:
            source = SOURCE / r["file"]
            current[r["file"]] = ({m.ident for m in MutantFinder(r["file"], source.read_text()).find()}
                                  if source.exists() else set())
        if r["id"] in equivalents:
            r.update(status="equivalent", detail=equivalents[r["id"]])
    return [r for r in merged.values() if r["id"] in current[r["file"]]]


def summarise(results, key):
    table = OrderedDict()
    for r in results:
        row = table.setdefault(key(r), dict.fromkeys(STATUSES, 0))
        row[r["status"]] += 1
    total = dict.fromkeys(STATUSES, 0)
    for row in table.values():
        for s in STATUSES:
            total[s] += row[s]
    table["all"] = total
    return table


def score(row):
    counted = row["killed"] + row["survived"] + row["timeout"]
    return 100.0 * (row["killed"] + row["timeout"]) / counted if counted else 100.0


def print_table(title, table, out):
    print("\n%-38s %7s %7s %8s %7s %7s %6s %6s" % (title, "mutants", "killed", "survived", "timeout",
                                                  "invalid", "equiv", "score"), file=out)
    for name, row in table.items():
        print("%-38s %7d %7d %8d %7d %7d %6d %5.1f%%" % (name, sum(row.values()), row["killed"], row["survived"],
                                                        row["timeout"], row["invalid"], row["equivalent"],
                                                        score(row)), file=out)


def report(results, out=sys.stdout):
    print_table("file", summarise(results, lambda r: r["file"]), out)
    print_table("area", summarise(results, lambda r: r["area"]), out)
    # With --every-test the detail of a killed mutant names every test that
    # caught it (a program that crashed names none: "exit N").
    single = [r for r in results if r["status"] == "killed" and r["detail"] and "," not in r["detail"]
              and not r["detail"].startswith(("exit", "the program"))]
    if single and any("," in r["detail"] for r in results if r["status"] == "killed"):
        print("\ncaught by one test only:", file=out)
        for r in single:
            print("  %s %s:%d %s: %s  | %s  <- %s" % (r["id"], r["file"], r["line"], r["operator"],
                                                     r["description"], r["context"][:50], r["detail"]), file=out)
    survivors = [r for r in results if r["status"] in ("survived",)]
    if survivors:
        print("\nsurvivors (mark an equivalent one in equivalent.txt by its id):", file=out)
        for r in survivors:
            print("  %s %s:%d %s: %s  | %s" % (r["id"], r["file"], r["line"], r["operator"], r["description"],
                                              r["context"][:70]), file=out)


# -- the run -----------------------------------------------------------------

def choose(mutants, args, equivalents, previous):
    if args.only:
        wanted = set(args.only.split(","))
        return [m for m in mutants if m.ident in wanted]
    if previous is not None:
        return [m for m in mutants if m.ident in previous]
    if args.lines:
        low, _, high = args.lines.partition("-")
        mutants = [m for m in mutants if int(low) <= m.line <= int(high or low)]
    if args.sample and len(mutants) > args.sample:
        # Seeded by the file's name too, so adding a file to an area leaves
        # the other files' samples as they were.
        rng = random.Random("%s:%s" % (args.seed, mutants[0].file))
        mutants = sorted(rng.sample(mutants, args.sample), key=lambda m: m.edits[0][0])
    return mutants


def plan(args):
    areas = load_areas()
    jobs = []           # (area, file, target, filter)
    if args.all_areas:
        names = list(areas)
    else:
        names = args.area or []
    for name in names:
        if name not in areas:
            sys.exit("no area %r in areas.ini (have: %s)" % (name, ", ".join(areas)))
        for f in areas[name]["files"]:
            jobs.append((name, f, areas[name]["target"], areas[name]["filter"]))
    for f in args.files:
        path = Path(f) if Path(f).exists() else SOURCE / f
        rel = str(path.resolve().relative_to(SOURCE))
        # A file of an area keeps the area's name, program and filter.
        area = next((a for a in areas if rel in areas[a]["files"]), None)
        if area and not args.target:
            jobs.append((area, rel, areas[area]["target"], args.filter or areas[area]["filter"]))
        else:
            jobs.append(("-", rel, args.target, args.filter))
    if not jobs:
        sys.exit("name files, --area or --all-areas")
    return jobs


def hold_source_lock():
    """One run per source tree: every test program links every library, so a
    second run's mutant would be built into this run's programs. Parallel
    runs need a worktree each."""
    path = SOURCE / "build-mutate" / "mutate" / "source.lock"
    path.parent.mkdir(parents=True, exist_ok=True)
    handle = open(path, "w")
    try:
        fcntl.flock(handle, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        sys.exit("another mutation run is using %s; give a parallel run a worktree of its own" % SOURCE)
    return handle


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("files", nargs="*", help="source files to mutate")
    parser.add_argument("--area", action="append", help="an area of areas.ini (repeatable)")
    parser.add_argument("--all-areas", action="store_true")
    parser.add_argument("--target", help="the test program to rebuild and run (default: found from the build graph)")
    parser.add_argument("--filter", help="gtest filter (default: the suites of the file's folder under tests/)")
    parser.add_argument("--operators", help="comma-separated subset of: " + ", ".join(OPERATORS))
    parser.add_argument("--sample", type=int, help="at most this many mutants per file, drawn at random")
    parser.add_argument("--seed", default="1", help="seed of the sample (default 1)")
    parser.add_argument("--lines", help="only mutants on these lines, e.g. 40-90")
    parser.add_argument("--only", help="only the mutants with these ids (comma-separated)")
    parser.add_argument("--rerun", help="only the mutants that survived or timed out in this results file")
    parser.add_argument("--rerun-statuses", default="survived,timeout",
                        help="the statuses --rerun takes (default survived,timeout)")
    parser.add_argument("--list", action="store_true", help="list the mutants, run nothing")
    parser.add_argument("--build", help="build directory (default build-mutate)")
    parser.add_argument("--jobs", type=int, default=int(os.environ.get("PELLUCOR_JOBS", "2")))
    parser.add_argument("--timeout", type=float, help="seconds per test run (default: 3x the baseline + 10)")
    parser.add_argument("--isolated", action="store_true", help="one process per test, as ctest runs them")
    parser.add_argument("--every-test", action="store_true",
                        help="run every chosen test for each mutant and note all that catch it; the report lists "
                             "the mutants only one test catches")
    parser.add_argument("--sanitize", action="store_true",
                        help="build and test under AddressSanitizer and UBSan, as ./check's second pass "
                             "(default build directory build-mutate-asan)")
    parser.add_argument("--results", help="results file (default: BUILD/mutate/results.json)")
    parser.add_argument("--report", nargs="+", metavar="RESULTS",
                        help="print the tables of earlier results files, later ones overriding earlier ones "
                             "(a full run, then a --rerun), with today's equivalence marks; runs nothing")
    args = parser.parse_args()
    if args.report:
        report(merge_results(args.report, load_equivalents()))
        return

    operators = args.operators.split(",") if args.operators else None
    for op in operators or []:
        if op not in OPERATORS:
            sys.exit("unknown operator %s" % op)
    build = Path(args.build or SOURCE / ("build-mutate-asan" if args.sanitize else "build-mutate")).resolve()
    results_path = Path(args.results) if args.results else build / "mutate" / "results.json"
    previous = None
    if args.rerun:
        wanted = args.rerun_statuses.split(",")
        previous = {r["id"] for r in json.loads(Path(args.rerun).read_text()) if r["status"] in wanted}
    equivalents = load_equivalents()

    work = []
    for area, rel, target, gtest_filter in plan(args):
        text = (SOURCE / rel).read_text()
        mutants = choose(MutantFinder(rel, text, operators).find(), args, equivalents, previous)
        work.append((area, rel, target, gtest_filter or default_filter(rel), text, mutants))
    if args.list:
        for area, rel, target, gtest_filter, text, mutants in work:
            for m in mutants:
                mark = " (equivalent)" if m.ident in equivalents else ""
                print("%s %s:%d %s: %s  | %s%s" % (m.ident, rel, m.line, m.operator, m.description,
                                                  m.context[:70], mark))
        print("%d mutants" % sum(len(w[5]) for w in work))
        return

    lock = hold_source_lock()  # held until the run ends
    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, on_signal)
    restorer = Restorer(build)
    restorer.recover()
    configure(build, args.sanitize)
    results = []
    try:
        execute(work, args, build, restorer, equivalents, results)
    except Interrupted as stop:
        print("\nstopped (%s); the files are restored" % stop)
    except RuntimeError as fault:
        print("\nstopped: %s; the files are restored" % fault)
    finally:
        results_path.parent.mkdir(parents=True, exist_ok=True)
        results_path.write_text(json.dumps(results, indent=1))
    report(results)
    print("\nresults in %s" % results_path)


def execute(work, args, build, restorer, equivalents, results):
    total = sum(len(w[5]) for w in work)
    done = 0
    runners = {}
    try:
        run_all(work, args, build, restorer, equivalents, results, runners, total)
    finally:
        # The programs hold the last mutant until rebuilt from the restored
        # sources; leave the build directory as the sources are.
        built = sorted({t for key in runners for t in key[0]})
        if built:
            ninja(build, built, args.jobs)


def run_all(work, args, build, restorer, equivalents, results, runners, total):
    done = 0
    for area, rel, target, gtest_filter, text, mutants in work:
        targets = [target] if target else test_targets_for(build, rel)
        key = (tuple(targets), gtest_filter)
        if key not in runners:
            runners[key] = baseline(build, targets, gtest_filter, args)
        testers, limit = runners[key]
        for m in mutants:
            done += 1
            record = {"id": m.ident, "area": area, "file": rel, "line": m.line, "operator": m.operator,
                      "description": m.description, "context": m.context, "detail": ""}
            if m.ident in equivalents:
                record.update(status="equivalent", detail=equivalents[m.ident])
            else:
                with restorer.mutated(rel, text, m.apply(text)):
                    record.update(evaluate(build, rel, targets, testers, limit, args))
            results.append(record)
            print("[%d/%d] %-9s %s %s:%d %s: %s %s" % (done, total, record["status"], m.ident, rel, m.line,
                                                       m.operator, m.description,
                                                       ("(" + record["detail"] + ")") if record["detail"] else ""),
                  flush=True)


def baseline(build, targets, gtest_filter, args):
    code, output = ninja(build, targets, args.jobs)
    if code != 0:
        sys.exit(output + "\nthe unmutated build fails")
    testers = [TestRunner(build, t, gtest_filter, args.jobs) for t in targets]
    slowest = 0.0
    for tester in testers:
        tester.isolated = args.isolated
        tester.every_test = args.every_test
        started = time.monotonic()
        status, detail = tester.run(600)
        if status != "passed" and not tester.isolated:
            print("%s fails in one process (%s); running its tests one process each" % (tester.target, detail))
            tester.isolated = True
            started = time.monotonic()
            status, detail = tester.run(600)
        if status != "passed":
            sys.exit("the unmutated tests of %s fail (%s)" % (tester.target, detail))
        slowest = max(slowest, time.monotonic() - started)
        print("baseline %s [%s] %d tests, %.1f s" % (tester.target, gtest_filter, len(tester.names),
                                                    time.monotonic() - started))
    return testers, args.timeout or 3 * slowest + 10


def evaluate(build, rel, targets, testers, limit, args):
    objects = [build / o for o in objects_of(build, rel)]
    stamps = [o.stat().st_mtime_ns if o.exists() else 0 for o in objects]
    code, output = ninja(build, targets, args.jobs, cache=False)
    if code != 0:
        # The link step lists the program's tests by running it: a mutant
        # that hangs or crashes there compiled and was caught, not invalid.
        if "Error running test executable" in output:
            hung = "due to timeout" in output
            return {"status": "timeout" if hung else "killed", "detail": "the program fails listing its tests"}
        error = re.search(r"error: (.*)", output)
        return {"status": "invalid", "detail": error.group(1)[:80] if error else "build failed"}
    if any(o.stat().st_mtime_ns == stamp for o, stamp in zip(objects, stamps)):
        raise RuntimeError("%s was not recompiled; the results would be wrong" % rel)
    killers = []
    for tester in testers:
        status, detail = tester.run(limit)
        if status == "timeout":
            return {"status": "timeout", "detail": tester.target}
        if status == "failed":
            if not args.every_test:
                return {"status": "killed", "detail": detail}
            killers += detail.split(",")
    if killers:
        return {"status": "killed", "detail": ",".join(killers)}
    return {"status": "survived", "detail": ""}


if __name__ == "__main__":
    main()
