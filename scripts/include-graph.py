#!/usr/bin/env python3
"""The tree's include structure in a few numbers: which units (a .cpp and the
.h of its name count as one) include which, the circles among them, the
floors they stand on, the includes that run back up, and the largest files.

    scripts/include-graph.py [--circles] [FOLDER...]

FOLDER defaults to conv, tools, launcher and viewer (tests and benchmarks are
left out: they may include anything); a library's include/x.h and src/x.cpp
are one unit. A unit's floor is one above the highest
unit it includes; the units of one circle share a floor, ordered inside it by
a walk of their includes, and an include that runs back up is one whose
target stands higher than the file that writes it.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def sources(folders):
    for folder in folders:
        for root, _, names in os.walk(folder):
            for name in sorted(names):
                if name.endswith(('.h', '.cpp')):
                    yield os.path.join(root, name)


def unit_of(path):
    # A library's public header in include/ and its source in src/ are one unit.
    return re.sub(r'/(?:include|src)/', '/', os.path.splitext(path)[0])


def main(argv):
    show = '--circles' in argv
    folders = [a for a in argv if not a.startswith('--')] or ['conv', 'tools', 'launcher', 'viewer']
    files = list(sources(folders))
    by_name = {}
    for f in files:
        by_name.setdefault(os.path.basename(f), []).append(f)
    units = sorted({unit_of(f) for f in files})
    edges = {u: set() for u in units}
    lines = {}
    for f in files:
        with open(f, encoding='utf-8', errors='replace') as text:
            body = text.read()
        lines[f] = body.count('\n')
        for name in INCLUDE.findall(body):
            base = os.path.basename(name)
            # The header beside the including file first, as the compiler looks.
            near = os.path.join(os.path.dirname(f), name)
            target = near if os.path.exists(near) else (by_name.get(base) or [None])[0]
            if target and unit_of(target) != unit_of(f):
                edges[unit_of(f)].add(unit_of(target))

    # Circles: the strongly connected parts (Tarjan's walk, without recursion).
    index, low, on_stack, stack, parts = {}, {}, set(), [], []
    counter = 0
    for start in units:
        if start in index:
            continue
        work = [(start, iter(sorted(edges[start])))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, rest = work[-1]
            step = next(rest, None)
            if step is None:
                work.pop()
                if work:
                    low[work[-1][0]] = min(low[work[-1][0]], low[node])
                if low[node] == index[node]:
                    part = []
                    while True:
                        member = stack.pop()
                        on_stack.discard(member)
                        part.append(member)
                        if member == node:
                            break
                    parts.append(sorted(part))
            elif step not in index:
                index[step] = low[step] = counter
                counter += 1
                stack.append(step)
                on_stack.add(step)
                work.append((step, iter(sorted(edges[step]))))
            elif step in on_stack:
                low[node] = min(low[node], index[step])

    # Floors: Tarjan gives the parts lowest first. Inside a part, a member
    # stands above what it includes as far as a walk of the part allows.
    floor = {}
    for part in parts:
        base = max((floor[t] for m in part for t in edges[m] if t not in part), default=0) + 1
        inside = set(part)
        order, seen = [], set()

        def walk(node):
            seen.add(node)
            for t in sorted(edges[node] & inside):
                if t not in seen:
                    walk(t)
            order.append(node)

        for m in part:
            if m not in seen:
                walk(m)
        for level, m in enumerate(order):
            floor[m] = base + level

    back_up = sorted((u, t) for u in units for t in edges[u] if floor[t] > floor[u])
    circles = [p for p in parts if len(p) > 1]
    largest = sorted(((n, f) for f, n in lines.items()), reverse=True)[:5]

    print(f'units: {len(units)}, includes between units: {sum(len(e) for e in edges.values())}')
    print(f'floors: {max(floor.values(), default=0)}')
    print(f'includes that run back up: {len(back_up)}')
    print(f'circles: {len(circles)}' + ''.join(f'\n  {len(c)} units: ' + ' '.join(c) for c in circles))
    if show:
        for u, t in back_up:
            print(f'  back up: {u} -> {t}')
    print('largest files: ' + ', '.join(f'{f} {n}' for n, f in largest))
    over = [f for f, n in lines.items() if n > 500]
    print(f'files over 500 lines: {len(over)}' + (': ' + ' '.join(sorted(over)) if over else ''))


if __name__ == '__main__':
    main(sys.argv[1:])
