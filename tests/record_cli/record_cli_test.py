#!/usr/bin/env python3
"""quantelo-record on a record filled by quantelo-sdnr --save, both finding the default record in
the user's data folder where the window finds it: the history in every format agrees with itself, the CSV reads back with Python's csv module in both dialects, and wrong calls and
numbers written with a comma are refused with the right status.

Usage: record_cli_test.py QUANTELO_SDNR QUANTELO_RECORD WRITE_TEST_DICOM
"""
import csv
import io
import json
import os
import subprocess
import sys
import tempfile
from decimal import ROUND_HALF_EVEN, Decimal

SDNR, RECORD, WRITE_DICOM = sys.argv[1:4]
NUMBER_COLUMNS = {"thickness", "mAl", "sAl", "mBG", "sBG", "SDNR", "kV", "mAs", "reference",
                  "deviation"}
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what, file=sys.stderr)


def run(program, *arguments):
    return subprocess.run([program, *arguments], capture_output=True, env=ENV)


def record(*arguments):
    result = run(RECORD, *arguments)
    check(result.returncode == 0, f"{arguments}: status {result.returncode} {result.stderr!r}")
    return result.stdout


def tsv_rows(text):
    lines = text.decode("utf-8").split("\n")
    check(lines[-1] == "", "the TSV ends with a line end")
    return [line.split("\t") for line in lines[:-1]]


with tempfile.TemporaryDirectory() as folder:
    ENV = dict(os.environ, XDG_CONFIG_HOME=os.path.join(folder, "config"),
               XDG_DATA_HOME=os.path.join(folder, "data"))
    ENV.pop("QUANTELO_RECORD", None)
    DEFAULT_RECORD = os.path.join(folder, "data", "quantelo", "record.sqlite")

    def save(name, serial, date, seed):
        image = os.path.join(folder, name)
        subprocess.run([WRITE_DICOM, image, "--size", "256x208", "--seed", str(seed), "--serial",
                        serial, "--date", date], check=True)
        result = run(SDNR, "--save", "--operator", "Prüferin", image)
        check(result.returncode == 0, f"saving {name}: {result.stderr!r}")

    # A serial number with a comma and quotes, which CSV must quote.
    odd = 'SN "7", B'
    for seed, (serial, date) in enumerate([("SN 42", "20260103"), ("SN 42", "20260101"),
                                           ("SN 42", "20260102"), (odd, "20260215")], 1):
        save(f"{seed}.dcm", serial, date, seed)
    check(os.path.isfile(DEFAULT_RECORD),
          "the saves went to the default record, where the window keeps it")
    first = {row[0]: row for row in tsv_rows(record("history"))[1:]}
    mean = sum(Decimal(first[m][10]) for m in "123") / 3
    record("reference", "add", "--device", "SN 42", "--thickness", "45", "--quantity", "sdnr",
           "--mean-of", "1,2,3", "--source", "Abnahmeprüfung", "--valid-from", "2026-01-01")
    record("tolerance", "add", "--quantity", "sdnr", "--below-percent", "10", "--source", "DIN")
    save("5.dcm", "SN 42", "20260104", 5)
    record("void", "--measurement", "2", "--reason", "falsche Dicke")
    record("correct", "--measurement", "1", "--reason", "ROI, \"neu\"", "--replacement", "3")

    tsv = tsv_rows(record("history"))
    header, rows = tsv[0], tsv[1:]
    check(header[:3] == ["measurement", "session", "performed_at"] and header[-1] == "amendment",
          f"header {header}")
    column = {name: i for i, name in enumerate(header)}
    check([row[0] for row in rows] == ["2", "3", "1", "5", "4"], "oldest exposure first")
    last = rows[3]
    check(Decimal(last[column["reference"]]) == mean.quantize(Decimal("0.01"), ROUND_HALF_EVEN),
          f"reference {last[column['reference']]} is the mean {mean} to hundredths")
    check(last[column["verdict"]] in ("bestanden", "nicht bestanden"), "a verdict")
    check(rows[0][column["amendment"]] == "ungültig: falsche Dicke", "the void in words")
    check(rows[2][column["amendment"]] == 'berichtigt: ROI, "neu" (ersetzt durch Messung 3)',
          "the correction in words")
    check(rows[4][column["device"]] == odd, "the odd serial number as written")

    # JSON: the same texts, the ids and n as numbers, lists as lists.
    for line, row in zip(record("history", "--format", "json").decode().splitlines(), rows):
        item = json.loads(line)
        check(list(item) == header, "JSON keys in the columns' order")
        for name, value in item.items():
            text = "; ".join(value) if isinstance(value, list) else str(value)
            check(text == row[column[name]], f"JSON {name}: {value!r} against {row[column[name]]!r}")
        check(isinstance(item["n"], int) and isinstance(item["warnings"], list), "JSON types")

    # Both CSV dialects read back as the TSV.
    standard = record("history", "--format", "csv")
    check(standard.count(b"\r\n") == len(tsv) and b"\n" not in standard.replace(b"\r\n", b""),
          "CRLF line ends")
    check(list(csv.reader(io.StringIO(standard.decode(), newline=""))) == tsv,
          "standard CSV reads back as the TSV")
    german = record("history", "--german")
    check(german.startswith(b"\xef\xbb\xbf"), "German CSV starts with a byte-order mark")
    german_rows = list(csv.reader(io.StringIO(german.decode("utf-8-sig"), newline=""),
                                  delimiter=";"))
    expected = [header] + [[field.replace(".", ",") if name in NUMBER_COLUMNS else field
                            for name, field in zip(header, row)] for row in rows]
    check(german_rows == expected, "German CSV reads back with decimal commas")

    picked = tsv_rows(record("history", "--device", "SN 42", "--from", "2026-01-02", "--to",
                             "2026-01-04"))
    check([row[0] for row in picked[1:]] == ["3", "1", "5"], f"filtered: {picked[1:]}")
    check(tsv_rows(record("devices"))[1:] ==
          [["SN \"7\", B", "Quantelo", "Synthetic exposure", "", "1"],
           ["SN 42", "Quantelo", "Synthetic exposure", "", "4"]], "devices")
    check(record("check") == "Der QA-Record ist in Ordnung.\n".encode(), "check passes")
    backup = os.path.join(folder, "backup.sqlite")
    record("backup", backup)
    check(record("--record", backup, "history") == record("history"), "the backup holds it all")
    # Copied into a new record it reads back the same, ids and all; a second copy adds nothing.
    team = os.path.join(folder, "team.sqlite")
    kinds = "2 Geräte, 5 Sitzungen, 5 Aufnahmen, 5 Messungen, 1 Bezugswert, 1 Toleranzregel, " \
            "2 Vermerke"
    copy = ["copy", "--from", DEFAULT_RECORD, "--to", team]
    check(record(*copy).decode() == f"Kopiert: {kinds}; schon vorhanden: nichts.\n", "first copy")
    check(record(*copy).decode() == f"Kopiert: nichts; schon vorhanden: {kinds}.\n", "copy again")
    check(record("--record", team, "history") == record("history"), "the copy holds it all")
    link = os.path.join(folder, "link.sqlite")
    os.symlink(DEFAULT_RECORD, link)
    with open(os.path.join(folder, "damaged.sqlite"), "w") as damaged:
        damaged.write("keine Datenbank\n" * 300)

    # An add from the command line is deliberate: it checks nothing against an earlier look, and
    # says what it supersedes, so that no one's entry is superseded unseen.
    said = record("reference", "add", "--device", "SN 42", "--thickness", "45", "--quantity",
                  "sdnr", "--value", "5.1", "--source", "Nachmessung", "--valid-from",
                  "2026-02-01").decode()
    expected = (f"Bezugswert 2 gespeichert: 5.1, gültig ab 2026-02-01.\nEr löst Bezugswert 1 ab: "
                f"{last[column['reference']]} als Mittelwert der Messungen 1, 2, 3 (Quelle "
                f"„Abnahmeprüfung“, gültig ab 01.01.2026, erfasst am ")
    check(said.startswith(expected) and said.endswith(").\n"), f"reference add said {said!r}")
    said = record("tolerance", "add", "--quantity", "sdnr", "--below-percent", "15", "--source",
                  "Haus").decode()
    check(said.startswith("Toleranzregel 2 gespeichert: −15 %.\nSie löst Toleranzregel 1 ab: "
                          "−10 % (Quelle „DIN“, erfasst am "), f"tolerance add said {said!r}")

    # Wrong calls (status 2) and refusals of the record (status 1), each with its words.
    add_reference = ["reference", "add", "--device", "SN 42", "--thickness", "45", "--source", "x"]
    for arguments, status, words in [
        ([], 2, "kein Befehl angegeben"),
        (["bogus"], 2, "unbekannter Befehl"),
        (["reference"], 2, "braucht ein weiteres Wort: reference add"),
        (["history", "--format", "xml"], 2, "tsv, csv oder json"),
        (["history", "--german", "--format", "json"], 2, "--german gilt nur für --format csv"),
        (["history", "--from", "2026-02-30"], 2, "kein Datum"),
        (["history", "--device"], 2, "--device erwartet einen Wert"),
        (["history", "--to", "2026-01-01", "--to", "2026-01-02"], 2, "doppelt"),
        (add_reference + ["--quantity", "sdnr", "--value", "5,2"], 2, "nicht mit Komma"),
        (add_reference + ["--quantity", "sdnr", "--value", "5e2"], 2, "ist keine Zahl"),
        (add_reference + ["--quantity", "sdnr"], 2, "--value oder --mean-of"),
        (add_reference + ["--quantity", "kV", "--value", "5"], 1, "sdnr oder mas"),
        (add_reference + ["--quantity", "sdnr", "--mean-of", "3,4"], 1, "anderen Gerät"),
        (["tolerance", "add", "--quantity", "sdnr", "--min", "1,5", "--source", "x"], 2, "Komma"),
        (["tolerance", "add", "--quantity", "sdnr", "--source", "x"], 2, "mindestens eine Grenze"),
        (["void", "--measurement", "1,5", "--reason", "x"], 2, "ganze Zahl"),
        (["void", "--reason", "x"], 2, "void braucht --measurement"),
        (["void", "--measurement", "999", "--reason", "x"], 1, "gibt es im QA-Record nicht"),
        (["void", "--measurement", "2", "--reason", "noch einmal"], 1, "bereits ungültig"),
        (["backup"], 2, "backup braucht DATEI"),
        (["backup", backup], 1, "nicht überschrieben"),
        (["check", "mehr"], 2, "unerwartetes Argument"),
        (["copy", "--from", team], 2, "copy braucht --to"),
        (["--record", team] + copy, 2, "nicht mit --record"),
        (["copy", "--from", link, "--to", DEFAULT_RECORD], 1, "derselbe QA-Record"),
        (["copy", "--from", os.path.join(folder, "none.sqlite"), "--to", team], 1,
         "gibt es nicht"),
        (["--record", os.path.join(folder, "damaged.sqlite"), "check"], 1, "beschädigt"),
        (["--record", os.path.join(folder, "none.sqlite"), "history"], 1, "gibt es nicht"),
    ]:
        result = run(RECORD, *arguments)
        error = result.stderr.decode()
        check(result.returncode == status and error.startswith("quantelo-record: ") and
              words in error, f"{arguments}: status {result.returncode}, {error!r}")
        check(result.stdout == b"", f"{arguments} prints nothing")
    check(not os.path.exists(os.path.join(folder, "none.sqlite")), "no record left behind")

if failures:
    sys.exit(f"{len(failures)} failures")
print("ok: quantelo-record")
