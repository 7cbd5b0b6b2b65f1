#!/usr/bin/python3
"""Crash trials: kill the program (SIGKILL) at random moments and check what it leaves.

  bench/crash_trials.py BUILD_DIR [--trials N] [--rows ROWS] [--seed S]

Three kinds of trial, N each:
  maintenance  the start-up maintenance (compaction, swap, archive) on a large database
  saves        records saved one after another through the record engine
  init         korvina --init --demo creating a new database
After each kill: PRAGMA integrity_check (sqlcipher command line, on a copy of the files) of
the database, or of the compacted copy when only that is left; every save the program reported
as committed must be there; the next start (maintenance, open, users read - what the program
does before the log-in) must succeed without help. For --init, a folder without a database may
be initialised again, which must succeed.
"""
import argparse, os, random, shutil, signal, subprocess, sys, tempfile, time

def run(cmd, **kw):
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, **kw)

class Trials:
    def __init__(self, build, seed):
        self.korvina = os.path.join(build, "src/app/korvina")
        self.helper = os.path.join(build, "bench/bench_crash")
        for p in (self.korvina, self.helper):
            if not os.access(p, os.X_OK):
                sys.exit(f"missing {p}: build the korvina and bench_crash targets first")
        self.work = tempfile.mkdtemp(prefix="korvina-crash-")
        self.rng = random.Random(seed)
        self.key = None

    def password(self, folder):
        if self.key is None:
            self.key = run([self.helper, "key", folder]).stdout.strip()
        return self.key

    def sql(self, folder, file, statements):
        """Runs statements on a copy of file (and its log) so the check changes nothing."""
        scratch = tempfile.mkdtemp(dir=self.work)
        for suffix in ("", "-wal"):
            if os.path.exists(file + suffix):
                shutil.copy(file + suffix, os.path.join(scratch, "check.db" + suffix))
        script = f"PRAGMA key='{self.password(folder)}';\n" + statements
        out = run(["sqlcipher", os.path.join(scratch, "check.db")], input=script).stdout
        shutil.rmtree(scratch)
        return [line.strip() for line in out.splitlines() if line.strip()]

    def intact(self, folder):
        """integrity_check of the database, or of the compacted copy when only that is left."""
        db = os.path.join(folder, "Korvina.Kys")
        cpt = os.path.join(folder, "Korvina.Cpt")
        target = db if os.path.exists(db) else cpt if os.path.exists(cpt) else None
        if target is None:
            return True  # nothing written yet
        lines = self.sql(folder, target, "SELECT 'check:';\nPRAGMA integrity_check;\nSELECT 'checked:';\n"
                                         "SELECT 'n=' || count(*) FROM sqlite_master;\n")
        checks = lines[lines.index("check:") + 1:lines.index("checked:")] if "checked:" in lines else []
        tables = [int(l[2:]) for l in lines if l.startswith("n=")]
        return checks == ["ok"] and bool(tables) and tables[0] >= 14

    def starts(self, folder):
        return run([self.helper, "start", folder], timeout=300).returncode == 0

    def ids(self, folder, table):
        out = self.sql(folder, os.path.join(folder, "Korvina.Kys"), f"SELECT 'id=' || EId FROM {table};\n")
        return {int(x[3:]) for x in out if x.startswith("id=")}

    def kill_after(self, cmd, seconds, capture=False):
        p = subprocess.Popen(cmd, stdout=subprocess.PIPE if capture else subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL, text=True)
        time.sleep(seconds)
        p.send_signal(signal.SIGKILL)
        out = p.communicate()[0] if capture else ""
        return out or ""

    def timed(self, cmd):
        t = time.monotonic()
        r = run(cmd, timeout=600)
        if r.returncode != 0:
            sys.exit(f"{' '.join(cmd)} failed: {r.stderr}")
        return time.monotonic() - t

    # ---- the three kinds -------------------------------------------------------------------
    def maintenance(self, n, rows):
        pristine = os.path.join(self.work, "large")
        self.timed([self.korvina, "--data", pristine, "--init", "--demo"])
        self.timed([self.helper, "fill", pristine, str(rows)])
        customers = len(self.ids(pristine, "ktCustomer"))
        probe = os.path.join(self.work, "probe")
        shutil.copytree(pristine, probe)
        duration = self.timed([self.helper, "start", probe])
        result = {"corrupt": 0, "lost": 0, "hand": 0}
        for i in range(n):
            folder = os.path.join(self.work, f"m{i}")
            shutil.copytree(pristine, folder)
            self.kill_after([self.helper, "start", folder], self.rng.uniform(0, duration))
            if not self.intact(folder):
                result["corrupt"] += 1
            if not self.starts(folder):
                result["hand"] += 1
            elif not self.intact(folder):
                result["corrupt"] += 1
            elif len(self.ids(folder, "ktCustomer")) != customers:
                result["lost"] += 1
            shutil.rmtree(folder)
        return result, f"{customers} customers, {os.path.getsize(os.path.join(pristine, 'Korvina.Kys')) // 2**20} MB, maintenance {duration:.1f} s"

    def saves(self, n):
        pristine = os.path.join(self.work, "small")
        self.timed([self.korvina, "--data", pristine, "--init"])
        self.timed([self.helper, "start", pristine])  # today's maintenance done
        result = {"corrupt": 0, "lost": 0, "hand": 0}
        committed_total = 0
        for i in range(n):
            folder = os.path.join(self.work, f"s{i}")
            shutil.copytree(pristine, folder)
            out = self.kill_after([self.helper, "save", folder, "1000000"], self.rng.uniform(0.3, 2.5), capture=True)
            committed = {int(l.split()[1]) for l in out.splitlines() if l.startswith("committed ")}
            committed_total += len(committed)
            if not self.intact(folder):
                result["corrupt"] += 1
            if not self.starts(folder):
                result["hand"] += 1
            elif not committed <= self.ids(folder, "kmCustType"):
                result["lost"] += 1
            shutil.rmtree(folder)
        return result, f"{committed_total} saves reported as committed in all"

    def init(self, n):
        probe = os.path.join(self.work, "init-probe")
        duration = self.timed([self.korvina, "--data", probe, "--init", "--demo"])
        result = {"corrupt": 0, "lost": 0, "hand": 0}
        left = 0
        for i in range(n):
            folder = os.path.join(self.work, f"i{i}")
            self.kill_after([self.korvina, "--data", folder, "--init", "--demo"], self.rng.uniform(0, duration))
            if not self.intact(folder):
                result["corrupt"] += 1
            has_db = os.path.exists(os.path.join(folder, "Korvina.Kys"))
            left += has_db
            if not has_db and run([self.korvina, "--data", folder, "--init", "--demo"]).returncode != 0:
                result["hand"] += 1
            elif not self.starts(folder) or not self.intact(folder):
                result["hand"] += 1
            shutil.rmtree(folder, ignore_errors=True)
        return result, f"{left} of {n} kills left a complete database, the others none; --init {duration:.1f} s"

def main():
    os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("--trials", type=int, default=50)
    ap.add_argument("--rows", type=int, default=100000)
    ap.add_argument("--seed", type=int, default=8)
    ap.add_argument("--only", choices=["maintenance", "saves", "init"])
    a = ap.parse_args()
    t = Trials(a.build, a.seed)
    try:
        print("| trial | kills | corrupt files | lost saves | starts needing a hand | notes |")
        print("|---|---|---|---|---|---|")
        kinds = [("maintenance", lambda: t.maintenance(a.trials, a.rows)), ("saves", lambda: t.saves(a.trials)),
                 ("init", lambda: t.init(a.trials))]
        for name, go in kinds:
            if a.only and a.only != name:
                continue
            r, note = go()
            print(f"| {name} | {a.trials} | {r['corrupt']} | {r['lost']} | {r['hand']} | {note} |", flush=True)
    finally:
        shutil.rmtree(t.work, ignore_errors=True)

if __name__ == "__main__":
    main()
