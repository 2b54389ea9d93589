#!/usr/bin/env python3
"""The team record from the command line, as the IT and the users meet it: setup-server on a new
database lists what it did and a second run says nothing changed; quantelo-sdnr --save records to
the address in QUANTELO_RECORD; quantelo-record reads it back, checks it, and refuses a backup
(pg_dump's job), a password in the address (without repeating it) and a server out of reach.

Usage: team_record_cli_test.py QUANTELO_SDNR QUANTELO_RECORD WRITE_TEST_DICOM PSQL CLUSTER_DIR
"""
import os
import subprocess
import sys
import tempfile
import urllib.parse

SDNR, RECORD, WRITE_DICOM, PSQL, CLUSTER = sys.argv[1:6]
DATABASE = f"quantelo_cli_{os.getpid()}"
SOCKET = urllib.parse.quote(CLUSTER, safe="")
ADMIN = f"postgresql://postgres@{SOCKET}/{DATABASE}"
CLIENT = f"postgresql://quantelo_test_client@{SOCKET}/{DATABASE}"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what, file=sys.stderr)


def run(program, *arguments, env=None):
    return subprocess.run([program, *arguments], capture_output=True, text=True, env=env)


def on_cluster(sql):
    subprocess.run([PSQL, "-h", CLUSTER, "-U", "postgres", "-d", "postgres", "-qAt", "-c", sql],
                   check=True, env=dict(os.environ, PGOPTIONS="-c client_min_messages=warning"))


on_cluster(f"CREATE DATABASE {DATABASE}")
try:
    first = run(RECORD, "setup-server", "--record", ADMIN)
    check(first.returncode == 0 and "Schema 0 → 3" in first.stdout and
          "GRANT quantelo_client TO alice" in first.stdout, f"first setup: {first}")
    second = run(RECORD, "setup-server", "--record", ADMIN)
    check(second.returncode == 0 and "nichts geändert" in second.stdout, f"second setup: {second}")
    on_cluster("GRANT quantelo_client TO quantelo_test_client")

    with tempfile.TemporaryDirectory() as folder:
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(folder, "config"),
                   QUANTELO_RECORD=CLIENT)
        images = []
        for seed in (1, 2):
            images.append(os.path.join(folder, f"{seed}.dcm"))
            subprocess.run([WRITE_DICOM, images[-1], "--size", "256x208", "--seed", str(seed),
                            "--date", f"2026010{seed}"], check=True)
        saved = run(SDNR, "--save", "--operator", "Prüferin", *images, env=env)
        check(saved.returncode == 0, f"saving: {saved.stderr}")
        again = run(SDNR, "--save", images[0], env=env)
        check(again.returncode == 1 and "schon gespeichert" in again.stderr,
              f"saved twice: {again.stderr}")

        history = run(RECORD, "--record", CLIENT, "history", env=env)
        lines = history.stdout.splitlines()
        check(history.returncode == 0 and len(lines) == 3 and lines[1].startswith("1\t1\t"),
              f"history: {history}")
        checked = run(RECORD, "check", env=env)
        check(checked.returncode == 0 and checked.stdout == "Der QA-Record ist in Ordnung.\n",
              f"check: {checked}")

        for arguments, words in [
            (["backup", os.path.join(folder, "b.sqlite")], "pg_dump"),
            (["--record", f"postgresql://quantelo_test_client:Geheim@{SOCKET}/{DATABASE}",
              "devices"], "Passwort"),
            (["--record", "postgresql://qa@%2Ftmp%2Fquantelo-no-server/q", "devices"],
             "nicht erreichbar"),
            (["--record", CLIENT, "setup-server"], "Rollen anlegen"),
        ]:
            result = run(RECORD, *arguments, env=env)
            check(result.returncode == 1 and words in result.stderr and
                  "Geheim" not in result.stderr, f"{arguments}: {result}")
        check(not os.path.exists(os.path.join(folder, "b.sqlite")), "no backup file")
finally:
    on_cluster(f"DROP DATABASE {DATABASE} WITH (FORCE)")

if failures:
    sys.exit(f"{len(failures)} failures")
print("ok: the team record from the command line")
