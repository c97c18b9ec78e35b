#!/usr/bin/python3
"""Alternating start-up runs of the program and its two baselines, with medians and ratios.

Each round starts every program once, in an order rotated from round to round, so that drifts
of a shared machine fall on all of them alike. Prints the median of each figure, the median of
the per-round ratios, and whether the program is within the goal of the same-widget-set
baseline. With --trimming, variants of the program with parts of Qt's start-up switched off
(not shipped: measured to see what trimming would buy) join the rounds.

Usage: compare.py --program P --bare B --widgets W [--widgets-fonts F] [--rounds N]
                  [--trimming DIR] [--raw FILE]
"""
import argparse
import json
import os
import shutil
import statistics
import sys

sys.dont_write_bytecode = True  # no __pycache__ left in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from watch import Watcher  # noqa: E402

GOAL = 1.05
FIGURES = ('map_ms', 'paint_ms', 'maxrss_kib')


def base_environment():
    env = {k: v for k, v in os.environ.items() if not k.startswith('QT_')}
    env['QT_QPA_PLATFORM'] = 'xcb'
    return env


def trimmed_variants(program, workdir, env):
    """The program with one part of start-up removed at a time, then all of them together."""
    workdir = os.path.abspath(workdir)
    os.makedirs(workdir, exist_ok=True)
    # Only the X platform plugin: no input-method plugin, no image-format plugins.
    plugins = os.path.join(workdir, 'plugins', 'platforms')
    os.makedirs(plugins, exist_ok=True)
    xcb = os.path.join(plugins, 'libqxcb.so')
    if not os.path.exists(xcb):
        os.symlink('/usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqxcb.so', xcb)
    lone = os.path.join(workdir, os.path.basename(program))
    shutil.copy2(program, lone)
    with open(os.path.join(workdir, 'qt.conf'), 'w') as conf:
        conf.write('[Paths]\nPlugins = plugins\n')
    # Only the one font family the window asks for.
    fonts = os.path.join(workdir, 'fonts.conf')
    with open(fonts, 'w') as conf:
        conf.write('<?xml version="1.0"?>\n<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">\n'
                   '<fontconfig><dir>/usr/share/fonts/truetype/liberation2</dir>'
                   '<cachedir>/var/cache/fontconfig</cachedir></fontconfig>\n')

    no_bus = dict(env, DBUS_SESSION_BUS_ADDRESS='disabled:')
    no_im = dict(env, QT_IM_MODULE='none')
    few_fonts = dict(env, FONTCONFIG_FILE=fonts)
    everything = dict(no_bus, QT_IM_MODULE='none', FONTCONFIG_FILE=fonts)
    return [
        ('ours, no session bus (no accessibility bridge)', [program], no_bus),
        ('ours, no input-method plugin', [program], no_im),
        ('ours, only the X platform plugin', [lone], env),
        ('ours, one font family in fontconfig', [program], few_fonts),
        ('ours, all of the above', [lone], everything),
    ]


def ratio_row(name, runs, of, to, figure):
    ratios = [a[figure] / b[figure] for a, b in zip(runs[of], runs[to])]
    return statistics.median(ratios)


def report(runs, names, trims):
    out = []
    out.append('%-52s %9s %9s %10s %8s' % ('median of %d runs' % len(runs['ours']),
                                           'map ms', 'paint ms', 'peak MiB', 'objects'))
    for name in names:
        r = runs[name]
        out.append('%-52s %9.1f %9.1f %10.1f %8d' % (
            name, statistics.median(x['map_ms'] for x in r),
            statistics.median(x['paint_ms'] for x in r),
            statistics.median(x['maxrss_kib'] for x in r) / 1024,
            statistics.median(x['shared_objects'] for x in r)))
    out.append('')
    out.append('%-52s %9s %9s %10s' % (
        'median of the per-round ratios', 'map', 'paint', 'peak mem'))
    pairs = [('widgets', 'bare'), ('ours', 'widgets')]
    if 'widgets, program fonts' in runs:
        pairs += [('widgets, program fonts', 'widgets'), ('ours', 'widgets, program fonts')]
    pairs += [(t, 'ours') for t in trims]
    met = True
    for of, to in pairs:
        ratios = [ratio_row(of, runs, of, to, f) for f in FIGURES]
        line = '%-52s %8.3fx %8.3fx %9.3fx' % ('%s / %s' % (of, to), *ratios)
        if (of, to) == ('ours', 'widgets'):
            ok = ratios[1] <= GOAL and ratios[2] <= GOAL
            met = met and ok
            line += '   goal <= %.2fx (paint, memory): %s' % (GOAL, 'met' if ok else 'MISSED')
        out.append(line)
    out.append('')
    for name in names:
        if runs[name][-1]['qt_plugins']:  # none in a program linked with a static Qt
            out.append('%s: Qt plugins %s' % (name, ', '.join(runs[name][-1]['qt_plugins'])))
    return '\n'.join(out), met


def run_rounds(programs, rounds, raw=None, wine=False):
    """Runs every (name, argv, environment) once to warm the caches, then the given number of
    rounds in rotated order; every run's figures by name, each also written to raw if given.
    wine: the programs run under Wine (see watch.py)."""
    watcher = Watcher(wine)
    for name, argv, e in programs:  # warm the caches; not counted
        watcher.measure(argv, e)
    runs = {p[0]: [] for p in programs}
    for r in range(rounds):
        order = programs[r % len(programs):] + programs[:r % len(programs)]
        for name, argv, e in order:
            result = watcher.measure(argv, e)
            runs[name].append(result)
            if raw:
                raw.write(json.dumps(dict(result, program=name, round=r)) + '\n')
        print('round %d/%d done' % (r + 1, rounds), file=sys.stderr)
    return runs


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--program', required=True)
    parser.add_argument('--bare', required=True)
    parser.add_argument('--widgets', required=True)
    parser.add_argument('--widgets-fonts', metavar='F',
                        help="the widget set with the program's fonts, to tell their cost apart")
    parser.add_argument('--rounds', type=int, default=15)
    parser.add_argument('--trimming', metavar='DIR',
                        help='also run the trimmed variants, prepared in DIR')
    parser.add_argument('--raw', metavar='FILE', help='write every run as a JSON line')
    args = parser.parse_args()

    env = base_environment()
    programs = [('bare', [args.bare], env), ('widgets', [args.widgets], env)]
    if args.widgets_fonts:
        programs.append(('widgets, program fonts', [args.widgets_fonts], env))
    programs.append(('ours', [args.program], env))
    trims = []
    if args.trimming:
        trims = trimmed_variants(args.program, args.trimming, env)
        programs += trims
    names = [p[0] for p in programs]

    raw = open(args.raw, 'w') if args.raw else None
    runs = run_rounds(programs, args.rounds, raw)
    text, met = report(runs, names, [t[0] for t in trims])
    print(text)
    return 0 if met else 1


if __name__ == '__main__':
    sys.exit(main())
