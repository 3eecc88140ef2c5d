#!/usr/bin/env python3
"""Instructions of the key poll's ticks, above and below the platform seam.

usage: callgrind_ticks.py SHORT.out SHORT_TICKS LONG.out LONG_TICKS

Each file is a callgrind run of tick-profile (--toggle-collect='OnKeyPollTick*',
--compress-strings=no --compress-pos=no) over a number of ticks. The difference of the two
runs, divided by the difference of their tick counts, is the cost of a tick in steady state,
free of whatever the first ticks cost once.

Above the seam is the utility's own code (receiver/, apps/, routing/, shell/ and
platform/platform.cpp): the instructions of its functions, and of the C library functions
that it calls itself. Everything else that a tick runs is below the seam: the simulated
desktop that serves its platform calls.
"""
import sys

LOGIC_DIRS = ("/receiver/", "/apps/", "/routing/", "/shell/")
SIM_CLASSES = ("SimDesktop::", "SimWindows::", "SimTray::", "SimDialogs::", "SimRegistry::",
               "SimDevices::", "SimSystem::", "SimCard::", "SimComWorld::")


def is_logic(path):
    return any(part in path for part in LOGIC_DIRS) or path.endswith("/platform/platform.cpp")


def is_sim(path, name):
    return "/sim/" in path or name.startswith(SIM_CLASSES)


def cost_of(line):
    fields = line.split()
    return int(fields[1]) if len(fields) > 1 else 0


def read(path):
    """(total, logic) instructions collected in one callgrind output file."""
    total = logic = 0
    file_name = fn_file = fn_name = ""
    callee_file = callee_name = ""
    in_call = False
    with open(path) as out:
        for raw in out:
            line = raw.rstrip("\n")
            if line.startswith("totals:") or line.startswith("summary:"):
                total = int(line.split()[1])
            elif line.startswith("fl="):
                file_name = line[3:]
            elif line.startswith("fn="):
                fn_file, fn_name = file_name, line[3:]
            elif line.startswith(("cfl=", "cfi=")):
                callee_file = line[4:]
            elif line.startswith("cfn="):
                callee_name = line[4:]
            elif line.startswith("calls="):
                in_call = True
            elif line[:1].isdigit() or line[:1] in "+-*":
                if in_call:
                    # The inclusive cost of calls from this function: the utility's own when
                    # it calls the C library, the desktop's when it calls the desktop.
                    if (is_logic(fn_file) and not is_logic(callee_file)
                            and not is_sim(callee_file, callee_name)):
                        logic += cost_of(line)
                    in_call = False
                elif is_logic(fn_file):
                    logic += cost_of(line)
            elif line.startswith(("fi=", "fe=")):
                pass  # inlined code still belongs to the function it is in
    return total, logic


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    short_total, short_logic = read(sys.argv[1])
    long_total, long_logic = read(sys.argv[3])
    ticks = int(sys.argv[4]) - int(sys.argv[2])
    total = (long_total - short_total) / ticks
    logic = (long_logic - short_logic) / ticks
    print(f"{logic:.0f} above the seam, {total - logic:.0f} below, {total:.0f} in all")


if __name__ == "__main__":
    main()
