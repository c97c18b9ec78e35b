#!/usr/bin/python3
"""Alternating start-up runs under Wine of the Windows program and its baselines; medians, ratios.

The rounds, figures and goal are those of bench/startup/compare.py, with the Windows builds
started through `wine` (one prefix, whose server the caller keeps running, so that every start
pays the same for Wine). Two more programs show what Wine adds: Wine's own Notepad (a Windows
window with no Qt: the least a windowed program takes under this Wine) and, if given, the
same-widget baseline built for Linux with the same Qt version, run natively in the same rounds.

Usage: compare_wine.py --program P.exe --bare B.exe --widgets W.exe --widgets-fonts F.exe
                       [--linux-widgets W] [--rounds N] [--raw FILE]
"""
import argparse
import os
import statistics
import sys

sys.dont_write_bytecode = True  # no __pycache__ left in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'startup'))
import compare  # noqa: E402

NOTEPAD = "Wine's Notepad"
LINUX = 'widgets, Linux build'


def wine_environment():
    # Wine hands the Linux environment to Windows programs: a QT_QPA_PLATFORM meant for Linux
    # would send Qt for Windows looking for a platform plugin it does not have.
    return {k: v for k, v in os.environ.items() if not k.startswith('QT_')}


def wine_lines(runs):
    """What Wine adds: the per-round ratios and differences against the programs run outside it."""
    pairs = [('bare', NOTEPAD)]
    if LINUX in runs:
        pairs.append(('widgets', LINUX))
    out = ['', '%-52s %9s %9s %10s' % ('what Wine adds, median per round', 'map', 'paint',
                                       'peak mem')]
    for of, to in pairs:
        ratios = [compare.ratio_row(of, runs, of, to, f) for f in compare.FIGURES]
        out.append('%-52s %8.3fx %8.3fx %9.3fx' % ('%s / %s' % (of, to), *ratios))
        later = [statistics.median(a[f] - b[f] for a, b in zip(runs[of], runs[to]))
                 for f in ('map_ms', 'paint_ms')]
        out.append('%-52s %+8.1f  %+8.1f  ms' % ('%s - %s' % (of, to), *later))
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--program', required=True)
    parser.add_argument('--bare', required=True)
    parser.add_argument('--widgets', required=True)
    parser.add_argument('--widgets-fonts', required=True, metavar='F')
    parser.add_argument('--linux-widgets', metavar='W',
                        help='the same-widget baseline built for Linux, run without Wine')
    parser.add_argument('--rounds', type=int, default=15)
    parser.add_argument('--raw', metavar='FILE', help='write every run as a JSON line')
    args = parser.parse_args()
    for path in (args.program, args.bare, args.widgets, args.widgets_fonts):
        if not os.path.isfile(path):
            parser.error('%s: no such file' % path)

    env = wine_environment()
    programs = [('bare', ['wine', args.bare], env), ('widgets', ['wine', args.widgets], env),
                ('widgets, program fonts', ['wine', args.widgets_fonts], env),
                ('ours', ['wine', args.program], env), (NOTEPAD, ['wine', 'notepad'], env)]
    if args.linux_widgets:
        # The watcher's Wine rules leave a Linux Qt window's figures as they are: its first
        # mapped window is never override-redirect, and its first drawing is the whole frame.
        programs.append((LINUX, [args.linux_widgets], compare.base_environment()))
    names = [p[0] for p in programs]

    raw = open(args.raw, 'w') if args.raw else None
    runs = compare.run_rounds(programs, args.rounds, raw, wine=True)
    text, met = compare.report(runs, names, [])
    print('\n'.join([text] + wine_lines(runs)))
    return 0 if met else 1


if __name__ == '__main__':
    sys.exit(main())
