#!/usr/bin/env python3
"""The team record from the command line, as the IT and the users meet it: setup-server on a new
database lists what it did and a second run says nothing changed; quantelo-sdnr --save records to
the address in QUANTELO_RECORD; quantelo-record reads it back, checks it, and refuses a backup
(pg_dump's job), a password in the address (without repeating it) and a server out of reach. With
the server stopped a save waits in the outbox and is sent once, in order, when it is back; a
single-PC record copied in twice is there once.

Usage: team_record_cli_test.py QUANTELO_SDNR QUANTELO_RECORD WRITE_TEST_DICOM PSQL CLUSTER_DIR
       PG_CLUSTER_SH
"""
import csv
import os
import subprocess
import sys
import tempfile
import urllib.parse

SDNR, RECORD, WRITE_DICOM, PSQL, CLUSTER, PG_CLUSTER_SH = sys.argv[1:7]
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


def server(action):
    subprocess.run(["bash", PG_CLUSTER_SH, action, CLUSTER], check=True)


def rows_of(where, env):
    """The record's rows as dictionaries, by the history's column names."""
    listed = run(RECORD, "--record", where, "history", env=env)
    check(listed.returncode == 0, f"history of {where}: {listed.stderr}")
    return list(csv.DictReader(listed.stdout.splitlines(), delimiter="\t"))


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
                   XDG_DATA_HOME=os.path.join(folder, "data"), QUANTELO_RECORD=CLIENT)
        images = []
        for seed in range(1, 7):
            images.append(os.path.join(folder, f"{seed}.dcm"))
            subprocess.run([WRITE_DICOM, images[-1], "--size", "256x208", "--seed", str(seed),
                            "--date", f"2026010{seed}"], check=True)
        saved = run(SDNR, "--save", "--operator", "Prüferin", *images[:2], env=env)
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

        server("pause")
        try:
            waiting = run(SDNR, "--save", images[2], env=env)
        finally:
            server("resume")
        check(waiting.returncode == 0 and "wartet auf den Server" in waiting.stdout and
              "1 Messung wartet auf den Server" in waiting.stderr, f"server down: {waiting}")
        sent = run(SDNR, "--save", images[3], env=env)
        check(sent.returncode == 0 and "wartet" not in sent.stdout + sent.stderr,
              f"server back: {sent}")
        rows = rows_of(CLIENT, env)
        ids = {row["date"]: int(row["measurement"]) for row in rows}
        check(len(rows) == 4 and len({row["sop_instance_uid"] for row in rows}) == 4 and
              ids.get("2026-01-03", 99) < ids.get("2026-01-04", 0), f"after the outbox: {rows}")

        local = os.path.join(folder, "local.sqlite")
        check(run(SDNR, "--save", "--record", local, *images[4:], env=env).returncode == 0,
              "saved on this PC")
        copies = [run(RECORD, "copy", "--from", local, "--to", CLIENT, env=env) for _ in "12"]
        check(all(copy.returncode == 0 for copy in copies) and
              copies[0].stdout.startswith("Kopiert: ") and
              copies[1].stdout.startswith("Kopiert: nichts;"), f"copied twice: {copies}")
        on_server = {row["sop_instance_uid"]: row["SDNR"] for row in rows_of(CLIENT, env)}
        on_pc = {row["sop_instance_uid"]: row["SDNR"] for row in rows_of(local, env)}
        check(len(on_server) == 6 and on_pc.items() <= on_server.items(),
              f"copied: {on_pc} into {on_server}")
finally:
    on_cluster(f"DROP DATABASE {DATABASE} WITH (FORCE)")

if failures:
    sys.exit(f"{len(failures)} failures")
print("ok: the team record from the command line")
