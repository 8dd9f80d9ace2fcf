#!/usr/bin/env python3
"""Runs a program on a terminal of its own, as a person at a console would:
waits for its prompt ("> " at the start of a line, the last thing it shows),
types the lines of LINES_FILE (Enter after each, then the prompt again, for
at most 5 s), then after SECONDS presses Ctrl-C (the byte a terminal sends
for it, which wine's console turns into the console's Ctrl-C event for every
process on it) or, with "quit", types nothing more. Waits at most 60 s for
the program to end; prints what it wrote, without terminal escape sequences,
and exits with its exit code (124 when it did not end).
Usage: console_session.py LINES_FILE ctrl-c:SECONDS|quit COMMAND [ARGUMENT...]
"""
import fcntl
import os
import pty
import re
import select
import signal
import struct
import sys
import termios
import time


def cleaned(seen):
    """What the program wrote, without the terminal's escape sequences: wine's
    console hides the cursor around each character it draws (which splits
    the program's own sequences) and moves over blanks instead of writing
    them."""
    text = re.sub(rb"\x1b\[\?25[hl]", b"", bytes(seen))
    text = re.sub(rb"\x1b\[(\d*)C", lambda blank: b" " * int(blank.group(1) or b"1"), text)
    return re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]|\x1b\][^\x07]*\x07", b"", text).replace(b"\r", b"")


def main():
    lines_file, ending, command = sys.argv[1], sys.argv[2], sys.argv[3:]
    pid, terminal = pty.fork()
    if pid == 0:
        os.execvp(command[0], command)
    # Wide enough that no message wraps.
    fcntl.ioctl(terminal, termios.TIOCSWINSZ, struct.pack("HHHH", 50, 250, 0, 0))
    seen = bytearray()

    def read_for(seconds, until=None):
        end = time.monotonic() + seconds
        while time.monotonic() < end and (until is None or not cleaned(seen).endswith(until)):
            ready, _, _ = select.select([terminal], [], [], 0.05)
            if ready:
                try:
                    chunk = os.read(terminal, 4096)
                except OSError:
                    return False
                if not chunk:
                    return False
                seen.extend(chunk)
        return True

    # The prompt starts a line: the start-up's commands hold "-> ", which
    # a read may end with.
    prompt = b"\n> "
    read_for(30, until=prompt)
    with open(lines_file, "rb") as lines:
        for line in lines.read().splitlines():
            os.write(terminal, line + b"\r")
            # The prompt again, unless the line keeps the program busy.
            read_for(0.2)
            read_for(5, until=prompt)
    if ending.startswith("ctrl-c:"):
        read_for(float(ending.split(":", 1)[1]))
        os.write(terminal, b"\x03")
    status = None
    end = time.monotonic() + 60
    while status is None and time.monotonic() < end:
        read_for(0.2)
        done, code = os.waitpid(pid, os.WNOHANG)
        if done:
            status = os.waitstatus_to_exitcode(code)
    if status is None:
        os.kill(pid, signal.SIGKILL)
        os.waitpid(pid, 0)
        status = 124
    read_for(0.5)
    sys.stdout.write(cleaned(seen).decode("latin-1"))
    sys.exit(status)


if __name__ == "__main__":
    main()
