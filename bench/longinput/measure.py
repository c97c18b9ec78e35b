#!/usr/bin/python3
"""Long input through the real window: a huge paste, and the input box full and idle.

Each round starts the program on the current X display (no window manager) and:
  1. measures idle CPU with the empty input box focused (its cursor blinking);
  2. pastes a text of --paste characters with Ctrl+V (xclip owns the clipboard) and times the
     key to the refusal box mapped, then dismisses it with Enter;
  3. pastes exactly --limit characters, which the box takes, and measures idle CPU again;
  4. presses Enter (a conversion of the full box) and times the key to the box that answers;
  5. reads the peak resident memory (VmHWM; also right after step 2) and checks that the
     program still runs.
CPU is the program's user + system time over --idle seconds, in per cent of one core.
Prints one JSON line per round, then the medians.

Usage: measure.py [--rounds N] [--paste CHARS] [--limit CHARS] [--idle SECONDS] PROGRAM
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

TITLE = '^Conversione$'


def windows():
    """The visible windows titled Conversione: the main window and any message box."""
    found = subprocess.run(['xdotool', 'search', '--onlyvisible', '--name', TITLE],
                           capture_output=True, text=True)
    return found.stdout.split()


def wait_for(count, timeout):
    """Seconds until `count` such windows are visible, or None."""
    start = time.monotonic()
    while time.monotonic() - start < timeout:
        if len(windows()) == count:
            return time.monotonic() - start
        time.sleep(0.005)
    return None


def status(pid, field):
    """A field of /proc/PID/status, in KiB."""
    with open(f'/proc/{pid}/status') as f:
        for line in f:
            if line.startswith(field + ':'):
                return int(line.split()[1])
    return None


def cpu_seconds(pid):
    with open(f'/proc/{pid}/stat') as f:
        fields = f.read().rsplit(')', 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf('SC_CLK_TCK')


def idle_cpu(pid, seconds):
    before, start = cpu_seconds(pid), time.monotonic()
    time.sleep(seconds)
    return 100 * (cpu_seconds(pid) - before) / (time.monotonic() - start)


def own_clipboard(path):
    """xclip serves the file as the clipboard until another client takes it."""
    subprocess.run(['xclip', '-selection', 'clipboard', '-i', path], check=True)


def key(*keys):
    subprocess.run(['xdotool', 'key', '--delay', '0', *keys], check=True)


def focus(window):
    """Without a window manager the focus stays on a closed box's window: give it back."""
    subprocess.run(['xdotool', 'windowfocus', window], check=True)
    time.sleep(0.2)


def shot(directory, name):
    if directory:
        subprocess.run(['import', '-window', 'root', os.path.join(directory, name + '.png')],
                       check=True)


def text_file(directory, chars):
    path = os.path.join(directory, f'ones-{chars}.txt')
    with open(path, 'w') as f:
        f.write('1' * chars)
    return path


def one_round(program, huge, full, idle, shots):
    proc = subprocess.Popen([program], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        if wait_for(1, 10) is None:
            sys.exit('measure.py: the window did not appear')
        main = windows()[0]
        focus(main)
        time.sleep(1)  # start-up settles
        r = {'rss_start_mib': status(proc.pid, 'VmRSS') / 1024}
        r['idle_cpu_empty_pct'] = idle_cpu(proc.pid, idle)

        own_clipboard(huge)
        key('ctrl+v')
        r['paste_refused_s'] = wait_for(2, 30)
        shot(shots, 'refused')
        key('Return')
        if wait_for(1, 10) is None:
            sys.exit('measure.py: the refusal box did not close')
        focus(main)
        r['rss_after_paste_mib'] = status(proc.pid, 'VmRSS') / 1024
        r['peak_rss_paste_mib'] = status(proc.pid, 'VmHWM') / 1024

        own_clipboard(full)
        key('ctrl+v')
        r['box_full_refused'] = wait_for(2, 1) is not None
        if r['box_full_refused']:
            key('Return')
            wait_for(1, 10)
            focus(main)
        time.sleep(0.5)
        shot(shots, 'full')
        r['idle_cpu_full_pct'] = idle_cpu(proc.pid, idle)

        key('Return')  # converts the full box: 65,536 ones are beyond a double
        r['enter_answered_s'] = wait_for(2, 30)
        shot(shots, 'answered')
        key('Return')
        wait_for(1, 10)
        r['peak_rss_mib'] = status(proc.pid, 'VmHWM') / 1024
        r['running'] = proc.poll() is None
        return r
    finally:
        proc.terminate()
        proc.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--rounds', type=int, default=5)
    parser.add_argument('--paste', type=int, default=10_000_000)
    parser.add_argument('--limit', type=int, default=65_536)
    parser.add_argument('--idle', type=float, default=10)
    parser.add_argument('--shots', help='save screenshots of the first round here')
    parser.add_argument('program')
    args = parser.parse_args()

    rounds = []
    with tempfile.TemporaryDirectory() as scratch:
        huge = text_file(scratch, args.paste)
        full = text_file(scratch, args.limit)
        for i in range(args.rounds):
            r = one_round(args.program, huge, full, args.idle, args.shots if i == 0 else None)
            print(json.dumps(r), flush=True)
            rounds.append(r)
    medians = {}
    for name in rounds[0]:
        values = [r[name] for r in rounds if isinstance(r[name], (int, float))
                  and not isinstance(r[name], bool)]
        if values:
            medians[name] = round(statistics.median(values), 3)
    medians['always_running'] = all(r['running'] for r in rounds)
    print('median', json.dumps(medians))


if __name__ == '__main__':
    main()
