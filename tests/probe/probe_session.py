"""Drives the built calc-probe one command at a time and compares each answer.

Waiting for every answer before the next command also checks that the probe flushes each one.
"""

import subprocess
import sys

# (command line, expected answer). A real tab separates the sdnr texts; raw strings keep the
# probe's own backslash escapes.
CASES = [
    ("parse 1", "ok 3FFF8000000000000000"),
    ("parse  12.5 ", "ok 4002C800000000000000"),
    ("parse", "fail"),
    ("parse 1\r", "fail"),
    ("parse 1,5", "fail"),
    ("strict abc", "EConvertError: 'abc' is not a valid floating point value"),
    (r"strict %s%n\0x", r"EConvertError: '%s%n\0x' is not a valid floating point value"),
    (r"strict 1\t", r"EConvertError: '1\t' is not a valid floating point value"),
    (r"strict a\b", r"EConvertError: 'a\\b' is not a valid floating point value"),
    ("strict -2", "ok C0008000000000000000"),
    ("single 1", "true 3F800000"),
    ("single 1E-50", "true 00000000"),
    ("single x", "false"),
    ("single 1E39", "EOverflow: Floating point overflow"),
    ("single 1", "true 3F800000"),
    ("format 3FFF8000000000000000", "1"),
    ("format 4000a000000000000000", "2.5"),
    ("format 7FFF8000000000000000", "INF"),
    ("round 4000A000000000000000", "2"),
    ("round 403EC000000000000000", "EInvalidOp: Invalid floating point operation"),
    ("round 4000E000000000000000", "4"),
    ("sdnr 1000\t10\t1500\t20", "31.62"),
    ("sdnr 100\t0\t200\t0", "NaN"),
    ("sdnr 1000\t10\t1500", "error: sdnr expects four tab-separated texts"),
    ("format 3FFF80000000", "error: expected 20 hex digits"),
    ("round 3FFF8000000000000000 ", "error: expected 20 hex digits"),
    ("frobnicate 1", "error: unknown command 'frobnicate'"),
    ("", "error: unknown command ''"),
]


def main(probe_command):
    process = subprocess.Popen(probe_command, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    failures = 0
    for command, expected in CASES:
        process.stdin.write(command.encode("latin-1") + b"\n")
        process.stdin.flush()
        answer = process.stdout.readline().decode("latin-1").removesuffix("\n")
        if answer != expected:
            print(f"{command!r}: got {answer!r}, expected {expected!r}")
            failures += 1
    process.stdin.close()
    extra = process.stdout.read()
    if extra:
        print(f"unexpected output after the last answer: {extra!r}")
    status = process.wait()
    if status != 0:
        print(f"calc-probe exited with {status}")
    return 1 if failures or extra or status != 0 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))  # the probe, behind an emulator in a cross build
