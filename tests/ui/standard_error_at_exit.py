#!/usr/bin/env python3
"""What a script that reads a command's standard error until the command's
exit sees: runs the command with its standard error on a pipe, waits for
its exit without reading, then takes what the pipe holds at that moment,
without waiting further. Prints that on standard output and ends with the
command's exit status; ends with 3 instead, saying so on standard error,
when some process still held the pipe's writing end as the command ended
(something it started may yet write after its end).

    standard_error_at_exit.py COMMAND [ARGUMENT...]
"""

import fcntl
import os
import select
import subprocess
import sys


def main():
    if len(sys.argv) < 2 or sys.argv[1] == "--help":
        print("usage: standard_error_at_exit.py COMMAND [ARGUMENT...]")
        return 0 if len(sys.argv) > 1 else 2
    read_end, write_end = os.pipe()
    # Room for what the command writes: it must never wait for this reader,
    # which reads only after the command's end.
    try:
        fcntl.fcntl(write_end, fcntl.F_SETPIPE_SZ, 1 << 20)
    except OSError:
        pass  # the system's limit is lower: its default size serves
    command = subprocess.Popen(sys.argv[1:], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=write_end)
    os.close(write_end)
    status = command.wait()

    poller = select.poll()
    poller.register(read_end, select.POLLIN)
    events = dict(poller.poll(0)).get(read_end, 0)
    writers_left = not events & select.POLLHUP
    os.set_blocking(read_end, False)
    held = bytearray()
    while True:
        try:
            chunk = os.read(read_end, 65536)
        except BlockingIOError:
            break
        if not chunk:
            break
        held += chunk
    sys.stdout.buffer.write(held)
    if writers_left:
        print("the command ended while another process still held its standard error", file=sys.stderr)
        return 3
    return status if status >= 0 else 128 - status


if __name__ == "__main__":
    sys.exit(main())
