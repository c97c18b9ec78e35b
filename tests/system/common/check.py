"""The words every system check speaks: a wait on a condition, a failure that says what is wrong,
and the runner of a table of steps, whose first column names the step."""
import sys
import time


class Failure(Exception):
    """What a step found wrong, in words that name the fault."""


def fail(message):
    raise Failure(message)


def poll(seconds, check, interval=0.05):
    """Calls check until it returns something true, which is returned; None after seconds."""
    deadline = time.monotonic() + seconds
    while not (result := check()) and time.monotonic() < deadline:
        time.sleep(interval)
    return result or None


def wait(seconds, check, what):
    """As poll, but a Failure naming WHAT when the time is up."""
    result = poll(seconds, check)
    if not result:
        fail(f"waited {seconds} s for {what}")
    return result


def run_table(rows, step, keep_going=False, report=None):
    """Runs step(row) for each row and prints "ok: NAME" or "FAIL: NAME: what is wrong", up to the
    first failure or, with keep_going, every row; then exits non-zero if any failed. REPORT(row,
    failure), if given, returns more to show on a failure (a screenshot's path, a tree)."""
    failed = []
    for row in rows:
        try:
            step(row)
            print(f"ok: {row[0]}", flush=True)
        except Failure as failure:
            more = report(row, failure) if report else ""
            print(f"FAIL: {row[0]}: {failure}" + (f"\n{more}" if more else ""), flush=True)
            failed.append(row[0])
            if not keep_going:
                break
    if failed:
        sys.exit(f"FAIL: {'; '.join(failed)}")
