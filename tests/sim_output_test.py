#!/usr/bin/env python3
"""ruckvale-sim as a hostile user meets it: no output is lost or reported as
written when it was not, no temporary file outlives a run, inputs that are
not files are refused at once, and memory does not grow with the run."""
import json
import os
import resource
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path


def run(sim, args, cwd, env=None, stdout=subprocess.PIPE, timeout=120):
    return subprocess.run([sim] + args, cwd=cwd, env=env, stdout=stdout,
                          stderr=subprocess.PIPE, text=True, timeout=timeout)


def peak_kb(sim, args, cwd):
    """The peak resident memory of one run, in KiB. Under AddressSanitizer
    freed memory waits in a quarantine that grows with the run: none here."""
    asan = os.environ.get("ASAN_OPTIONS", "")
    env = dict(os.environ, ASAN_OPTIONS=(asan + ":" if asan else "") + "quarantine_size_mb=0")
    with open(os.devnull, "w") as null:
        proc = subprocess.Popen([sim] + args, cwd=cwd, env=env, stdout=null, stderr=null)
        _, status, usage = os.wait4(proc.pid, 0)
    assert os.waitstatus_to_exitcode(status) == 0, args
    return usage.ru_maxrss


def main(sim):
    with tempfile.TemporaryDirectory() as tmp:
        tmp = Path(tmp)
        private_tmp = tmp / "tmpdir"
        private_tmp.mkdir()
        env = dict(os.environ, TMPDIR=str(private_tmp))
        (tmp / "my.ini").write_text("fight_timer=0\nfight_chance=100\n")

        # Relative paths name files in the folder the tool started in.
        r = run(sim, ["--seconds", "5", "--ini", "my.ini", "--svg", "map.svg"], tmp, env)
        assert r.returncode == 0, r.stderr
        assert (tmp / "map.svg").read_text().rstrip().endswith("</svg>")
        assert not list(tmp.glob("map.svg.*")), list(tmp.glob("*"))

        # A usage error is one line that points to --help.
        r = run(sim, ["--frobnicate"], tmp, env)
        assert r.returncode == 2 and r.stderr.count("\n") == 1 and "--help" in r.stderr, r

        # Failed writes end the run with a message and a non-zero status.
        with open("/dev/full", "w") as full:
            r = run(sim, ["--seconds", "600"], tmp, env, stdout=full)
            assert r.returncode != 0 and "cannot write" in r.stderr, r
            r = run(sim, ["check-ini", "my.ini"], tmp, env, stdout=full)
            assert r.returncode == 2 and "cannot write" in r.stderr, r
        r = subprocess.run([sim, "--seconds", "60"], cwd=tmp, stdout=subprocess.DEVNULL,
                           stderr=subprocess.PIPE, text=True,
                           preexec_fn=lambda: os.close(1))
        assert r.returncode != 0 and "cannot write" in r.stderr, r
        r = run(sim, ["--seconds", "5", "--svg", "/dev/full"], tmp, env)
        assert r.returncode == 2 and "not a regular file" in r.stderr, r
        assert Path("/dev/full").is_char_device(), "the map replaced /dev/full"
        r = run(sim, ["--seconds", "5", "--svg", "no/such/folder/map.svg"], tmp, env)
        assert r.returncode == 2 and r.stdout == "", r
        r = run(sim, ["--seconds", "5", "--ini", "my.ini", "--svg", "my.ini"], tmp, env)
        assert r.returncode == 2 and "overwrite" in r.stderr, r
        assert (tmp / "my.ini").read_text().startswith("fight_timer=0"), "the ini was overwritten"

        # The module never runs on part of the ini: when the run's folder for
        # it cannot be made, the run does not start.
        r = run(sim, ["--seconds", "5", "--ini", "my.ini"], tmp,
                dict(env, TMPDIR=str(tmp / "no-such-folder")))
        assert r.returncode == 2 and "cannot hand 'my.ini' to the module" in r.stderr, r

        # Folders, FIFOs and devices are refused at once, with one line.
        os.mkfifo(tmp / "fifo.ini")
        for bad in [".", "fifo.ini", "/dev/zero"]:
            for args in (["--ini", bad], ["check-ini", bad]):
                r = run(sim, args, tmp, env, timeout=10)
                assert r.returncode == 2, (args, r)
                assert r.stderr.count("\n") == 1 and "not an ini file" in r.stderr, (args, r)

        # A run killed by a signal leaves no temporary folder or file behind.
        for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGQUIT, signal.SIGXFSZ,
                    signal.SIGUSR1, signal.SIGALRM):
            proc = subprocess.Popen([sim, "--seconds", "100000", "--ini", "my.ini",
                                     "--svg", "killed.svg"], cwd=tmp, env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(0.5)
            proc.send_signal(sig)
            proc.wait(timeout=10)
            left = list(private_tmp.iterdir()) + list(tmp.glob("killed.svg*"))
            assert not left, (sig, left)
        # A closed pipe too.
        proc = subprocess.Popen([sim, "--seconds", "100000", "--ini", "my.ini"], cwd=tmp,
                                env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        proc.stdout.readline()
        proc.stdout.close()
        assert proc.wait(timeout=30) != 0
        assert not list(private_tmp.iterdir()), list(private_tmp.iterdir())

        # A run killed outright leaves files, which the next run removes.
        proc = subprocess.Popen([sim, "--seconds", "100000", "--ini", "my.ini",
                                 "--svg", "killed.svg"], cwd=tmp, env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.5)
        proc.kill()
        proc.wait(timeout=10)
        assert list(private_tmp.iterdir()) and list(tmp.glob(".ruckvale-*")), "nothing to clean"
        r = run(sim, ["--seconds", "1", "--ini", "my.ini", "--svg", "again.svg"], tmp, env)
        assert r.returncode == 0, r
        left = list(private_tmp.iterdir()) + list(tmp.glob(".ruckvale-*"))
        assert not left, left

        check_map_targets(sim, tmp, env)
        check_log_targets(sim, tmp, env)
        check_json_and_memory_limits(sim, tmp, env)
        check_words(sim, tmp, env)

        # Memory does not grow with the run, map included: a fight on every
        # frame for 40 and for 160 simulated seconds.
        short = peak_kb(sim, ["--seconds", "40", "--ini", "my.ini", "--svg", "a.svg"], tmp)
        long = peak_kb(sim, ["--seconds", "160", "--ini", "my.ini", "--svg", "b.svg"], tmp)
        assert long <= short * 1.2, (short, long)
    print("output is never lost, temporary files never stay, memory stays flat")


def check_words(sim, tmp, env):
    # The map never takes a closed standard output's place, and --quiet still
    # guards the summary; a summary alone starts at once, in the singular
    # for one second.
    r = subprocess.run([sim, "--seconds", "20", "--press", "2", "--svg", "closed.svg"], cwd=tmp,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                       preexec_fn=lambda: os.close(1))
    assert r.returncode == 2 and not (tmp / "closed.svg").exists(), r
    with open(tmp / "s.txt", "w") as out:
        r = run(sim, ["--quiet", "--svg", "s.txt"], tmp, env, stdout=out)
    assert r.returncode == 2 and "would overwrite the story" in r.stderr, r
    r = run(sim, ["--quiet", "--seconds", "1"], tmp, env)
    assert r.stdout.startswith("Summary of 1 simulated second:"), r.stdout[:80]
    # fight_group_size 0: the story and the checker say what the module does.
    (tmp / "zero.ini").write_text("fight_group_size=0\nfight_timer=5\nfight_chance=100\n")
    r = run(sim, ["--seconds", "12", "--ini", "zero.ini"], tmp, env)
    assert "starts a fight of nobody" in r.stdout and "too few" not in r.stdout, r.stdout
    (tmp / "neg.ini").write_text("fight_radius=-5\n")
    r = run(sim, ["check-ini", "neg.ini"], tmp, env)
    assert "no fight starts" in r.stdout and "distance 0" not in r.stdout, r.stdout
    r = run(sim, ["--quiet", "check-ini", "neg.ini"], tmp, env)
    assert r.returncode == 2 and "check-ini comes first" in r.stderr, r
    # The header names the ini the module read, and stays one line.
    sub = tmp / "cwd"
    sub.mkdir()
    (sub / "Ruckvale.ini").write_text("fight_timer=5\n")
    r = run(sim, ["--json", "--seconds", "1"], sub, env)
    assert json.loads(r.stdout.splitlines()[0])["ini"] == "Ruckvale.ini", r.stdout[:200]
    (tmp / "a\nb.ini").write_text("fight_timer=5\n")
    r = run(sim, ["--seconds", "1", "--ini", "a\nb.ini"], tmp, env)
    assert r.stdout.splitlines()[0].endswith("ini a\\x0Ab.ini"), r.stdout[:200]
    # A press is seen at any frame rate, and two closer than the key can go
    # up and down again are refused, not merged.
    r = run(sim, ["--fps", "1", "--press", "1.5", "--seconds", "5"], tmp, env)
    assert "fight starts (key)" in r.stdout or "fight start (key)" in r.stdout, r.stdout
    r = run(sim, ["--fps", "1", "--press", "0.5"], tmp, env)
    assert r.returncode == 2 and "too early" in r.stderr, r
    r = run(sim, ["--press", "2,2.1"], tmp, env)
    assert r.returncode == 2 and "too close" in r.stderr, r
    # A map that cannot be written is told at the start, by the user's name.
    for name, why in (("", "no file name"), ("a\nb.svg", "control character"),
                      ("missing/x.svg", "no file can be made")):
        r = run(sim, ["--seconds", "1", "--svg", name], tmp, env)
        assert r.returncode == 2 and why in r.stderr and ".tmp" not in r.stderr, r
    # A map written over a file keeps that file's mode.
    (tmp / "kept.svg").write_text("old")
    os.chmod(tmp / "kept.svg", 0o640)
    r = run(sim, ["--seconds", "1", "--svg", "kept.svg"], tmp, env)
    assert r.returncode == 0 and (os.stat(tmp / "kept.svg").st_mode & 0o777) == 0o640, r
    # A byte-order mark before plain bytes is read as bytes, as the module does.
    (tmp / "ff.ini").write_bytes(b"\xff\xfefight_timer=5\nfight_chance=7\n")
    r = run(sim, ["check-ini", "ff.ini"], tmp, env)
    assert "UTF-16" not in r.stdout and "sets fight_chance to 7" in r.stdout, r.stdout
    for size in ("0", "2147483647"):
        (tmp / "size.ini").write_text("fight_group_size=" + size + "\n")
        r = run(sim, ["check-ini", "size.ini"], tmp, env)
        assert "fights: none with fighters" in r.stdout and "an hour (" not in r.stdout, r.stdout


def check_map_targets(sim, tmp, env):
    """The map goes where a link points, never over a read-only file or the
    story on standard output, and any legal name works."""
    (tmp / "maps").mkdir()
    os.symlink("maps/linked.svg", tmp / "link.svg")
    r = run(sim, ["--seconds", "2", "--svg", "link.svg"], tmp, env)
    assert r.returncode == 0, r
    assert (tmp / "link.svg").is_symlink() and (tmp / "maps" / "linked.svg").is_file()
    (tmp / "ro.svg").write_text("keep")
    os.chmod(tmp / "ro.svg", 0o444)
    r = run(sim, ["--seconds", "2", "--svg", "ro.svg"], tmp, env)
    assert r.returncode == 2 and "read-only" in r.stderr, r
    assert (tmp / "ro.svg").read_text() == "keep"
    long_name = "m" * 236 + ".svg"
    r = run(sim, ["--seconds", "2", "--svg", long_name], tmp, env)
    assert r.returncode == 0 and (tmp / long_name).is_file(), r
    with open(tmp / "story.txt", "w") as story:
        r = run(sim, ["--seconds", "2", "--svg", "/dev/stdout"], tmp, env, stdout=story)
    assert r.returncode == 2 and "standard output" in r.stderr, r


def check_log_targets(sim, tmp, env):
    """The log's copy is checked before the run as the map is, with the real
    reason; a copy that fails after the run keeps the summary."""
    (tmp / "log.ini").write_text("log=true\nfight_timer=5\n")
    (tmp / "logdir").mkdir()
    (tmp / "logdir" / "Ruckvale.ini").write_text("log=true\n")
    for cwd, args, why in (
            (tmp, ["--ini", "log.ini", "--log", "log.ini"], "would overwrite the ini"),
            (tmp, ["--ini", "log.ini", "--log", "no/such/folder/kept.log"], "no file can be made"),
            (tmp, ["--ini", "log.ini", "--log", "/proc/kept.log"], "cannot write '/proc/kept.log'"),
            (tmp / "logdir", ["--log", "Ruckvale.log"], "the module itself writes"),
            (tmp, ["--ini", "log.ini", "--log", "x.log", "--svg", "x.log"], "name one file"),
            (tmp, ["--ini", "my.ini", "--log", "kept.log"], "does not set log=true")):
        r = run(sim, ["--seconds", "2"] + args, cwd, env)
        assert r.returncode == 2 and r.stdout == "" and why in r.stderr, (args, r)
        assert "set log=true in the ini" not in r.stderr, (args, r)
    assert (tmp / "log.ini").read_text().startswith("log=true"), "the ini was overwritten"
    r = run(sim, ["--seconds", "2", "--ini", "log.ini", "--log", "kept.log"], tmp, env)
    assert r.returncode == 0 and "Ruckvale" in (tmp / "kept.log").read_text(), r
    # Folders in the way of the module's log and of its rotation: the module
    # writes none, which is told after the summary.
    (tmp / "logdir" / "Ruckvale.log").mkdir()
    (tmp / "logdir" / "Ruckvale.log.1").mkdir()
    (tmp / "logdir" / "Ruckvale.log.1" / "x").write_text("x")
    r = run(sim, ["--seconds", "2", "--quiet", "--log", "../kept2.log"], tmp / "logdir", env)
    assert r.returncode == 2 and r.stdout.startswith("Summary of 2 simulated seconds"), r
    assert "wrote no Ruckvale.log" in r.stderr and not (tmp / "kept2.log").exists(), r


def check_json_and_memory_limits(sim, tmp, env):
    """JSON stays valid for a path that is not UTF-8 and for an infinite
    radius; a line too long for memory ends reading, not the run."""
    odd = os.fsencode(tmp) + b"/odd-\xe9.ini"
    with open(odd, "w") as f:
        f.write("fight_radius=inf\n")
    r = subprocess.run([sim, "--seconds", "1", "--json", "--ini", odd], cwd=tmp, env=env,
                       capture_output=True)
    assert r.returncode == 0, r
    record = json.loads(r.stdout.decode("utf-8").splitlines()[0])
    assert record["settings"]["fight_radius"] is None, record
    assert record["ini"].endswith("odd-\ufffd.ini"), record
    if "ASAN_OPTIONS" in os.environ:
        return  # the sanitizers reserve more address space than any limit here
    with open(tmp / "huge.ini", "wb") as f:
        f.write(b"fight_timer=5\nfight_chance=" + b"1" * (200 << 20) + b"\n")
    limit = lambda: resource.setrlimit(resource.RLIMIT_AS, (150 << 20, 150 << 20))
    r = subprocess.run([sim, "--seconds", "1", "--quiet", "--ini", "huge.ini"], cwd=tmp, env=env,
                       capture_output=True, text=True, preexec_fn=limit)
    assert r.returncode in (0, 2), r
    assert "bad_alloc" not in r.stderr, r


if __name__ == "__main__":
    main(sys.argv[1])
