#!/usr/bin/env python3
"""Which unit-test case catches which planted fault, and what goes uncaught
when tests go.

  kill-matrix.py MUTATE.PY SRC BUILD OUT.jsonl [--dirs src/ui,...]
      every fault the mutation tool MUTATE.PY would plant in the folders
      (default: its own), one at a time in SRC (a copy of the checkout; put
      back after each), the unit-test programs of its built linux tree BUILD
      rebuilt and run; one line per fault in OUT.jsonl: its key, whether it
      was caught, by which cases. Resumes where OUT.jsonl ends.
  kill-matrix.py --report OUT.jsonl... [--without REGEX] [--seeds RUN.txt...]
      per case, the faults it alone catches; with --without, the caught
      faults that no case left catches once the cases matching REGEX go,
      and what the score of each mutation run RUN.txt (the tool's output,
      same tree) would have been.
"""
import argparse, collections, importlib.util, json, os, re, sys


# A fault as the mutation tool prints it: place, change, the changed line
# (its first 100 characters), blanks folded.
def key(where, what, mutated):
    return " ".join(("%s %s | %s" % (where, what, mutated.strip()[:100])).split())


# A matrix file as {key: record}; the keys made again, so that files written
# before the keys folded blanks read the same.
def load(path):
    matrix = {}
    for l in open(path):
        r = json.loads(l)
        where_what, mutated = r["key"].split(" | ", 1)
        where, what = where_what.split(" ", 1)
        matrix[key(where, what, mutated)] = r
    return matrix


def sweep(a):
    spec = importlib.util.spec_from_file_location("mutate", a.mutate)
    mutate = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(mutate)
    # The folders and test programs the tool itself takes by default.
    defaults = dict(re.findall(r'"--(dirs|targets)", default="([^"]+)"', open(a.mutate).read()))
    programs = defaults["targets"].split(",")
    build = ["cmake", "--build", a.build, "--target"] + programs
    if mutate.run(build, 1800)[0] != 0:
        sys.exit("the unplanted tree does not build")
    binaries = [mutate.find_binary(a.build, p) for p in programs]
    if any(mutate.run([b, "--gtest_brief=1"], 180)[0] != 0 for b in binaries):
        sys.exit("a unit-test program fails on the unplanted tree")
    done = load(a.out) if os.path.exists(a.out) else {}
    with open(a.out, "a") as out:
        for rel, i, mutated, what in mutate.candidates(a.src, (a.dirs or defaults["dirs"]).split(",")):
            k = key("%s:%d" % (rel, i + 1), what, mutated)
            if k in done:
                continue
            path = os.path.join(a.src, rel)
            original = open(path, encoding="latin-1").read()
            try:
                lines = original.split("\n")
                lines[i] = mutated
                open(path, "w", encoding="latin-1").write("\n".join(lines))
                built, _ = mutate.run(build, 600)
            finally:
                open(path, "w", encoding="latin-1").write(original)
                os.utime(path, None)
            record = {"key": k, "status": "stillborn"}
            if built == 0:
                by = []
                for program, binary in zip(programs, binaries):
                    rc, text = mutate.run([binary, "--gtest_brief=1"], 60)
                    if rc == "timeout":
                        by.append(program + ":HANG")
                    elif rc != 0:
                        by += sorted(set(re.findall(r"^\[  FAILED  \] ([\w/.]+)", text, re.M))) or [program + ":CRASH"]
                record = {"key": k, "status": "killed" if by else "survived", "by": by}
            out.write(json.dumps(record) + "\n")
            out.flush()
    mutate.run(build, 1800)


def report(a):
    matrix = {}
    for f in a.report:
        matrix.update(load(f))
    print("faults: %s" % dict(collections.Counter(r["status"] for r in matrix.values())))
    alone = collections.Counter(r["by"][0] for r in matrix.values() if r["status"] == "killed" and len(r["by"]) == 1)
    for case, n in sorted(alone.items(), key=lambda x: (-x[1], x[0])):
        print("%4d alone: %s" % (n, case))
    if not a.without:
        return
    gone = re.compile(a.without)
    lost = {k for k, r in matrix.items() if r["status"] == "killed" and all(gone.search(c) for c in r["by"])}
    print("without /%s/: %d caught faults no case left catches" % (a.without, len(lost)))
    for run_file in a.seeds or []:
        killed = total = lost_here = unknown = 0
        for l in open(run_file):
            m = re.match(r"^(killed|survived|stillborn)\s+(\S+)  (.*?)   \| (.*)$", l)
            if not m:
                continue
            status, where, what, mutated = m.groups()
            if status == "stillborn":
                continue
            total += 1
            k = key(where, what, mutated)
            if status == "killed":
                killed += 1
                lost_here += k in lost
                unknown += k not in matrix
        print("%s: %d of %d caught, %d without them (%d faults not in the matrix, counted as caught)" %
              (run_file, killed, total, killed - lost_here, unknown))


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("args", nargs="*")
    ap.add_argument("--dirs")
    ap.add_argument("--report", nargs="+")
    ap.add_argument("--without")
    ap.add_argument("--seeds", nargs="+")
    a = ap.parse_args()
    if a.report:
        return report(a)
    if len(a.args) != 4:
        ap.error("MUTATE.PY SRC BUILD OUT.jsonl")
    a.mutate, a.src, a.build, a.out = a.args
    sweep(a)


if __name__ == "__main__":
    sys.exit(main())
