#!/usr/bin/env python3
"""Checks of the regional rows as the program loads them: block layout, form of codes and texts,
where new and old names stand, texts the list is known to carry, and, against the public lists
in tests/data, that every municipality of November 2005 is covered and every name existed.
Usage: regional_check.py DUMP_ROWS DATA_DIR CHECK. Exits 1 with one line per fault."""
import subprocess
import sys
from collections import defaultdict
from itertools import accumulate
from pathlib import Path

HOLES = {659, 892}
LAST = 1771
# Rows with change code 1 and 2 in each prefecture 1..47; the slot plan in
# regional_slots.tsv fixes every slot's code and prefecture.
CHANGES = [(8, 8), (0, 0), (3, 4), (3, 4), (4, 4), (0, 0), (1, 2), (12, 13), (3, 5), (1, 1), (4, 6), (2, 4), (0, 0),
           (0, 0), (7, 13), (1, 1), (1, 1), (1, 1), (4, 4), (2, 4), (3, 4), (5, 7), (2, 4), (6, 6), (1, 1), (3, 3),
           (0, 1), (8, 9), (1, 1), (2, 2), (2, 2), (4, 4), (9, 10), (11, 14), (7, 8), (0, 0), (1, 1), (2, 5), (3, 3),
           (3, 3), (2, 2), (2, 2), (5, 7), (3, 3), (0, 0), (5, 7), (3, 3)]
# Texts the list is known to carry: every (prefecture, code, change code) each stands under;
# an empty change code is ours, not the list's, and is not compared.
KNOWN = {
    '中郡': [('神奈川県', '0463', ''), ('京都府', '0772', '')],
    '北見市': [('北海道', '0152', ''), ('北海道', '0157', '')],
    '庄原市': [('広島県', '08247', ''), ('広島県', '082485', '1'), ('広島県', '082486', '1'),
               ('広島県', '082488', '1'), ('広島県', '08477', '1')],
    '花巻市': [('岩手県', '0198', '0'), ('岩手県', '0198', '1')],
    '蕨市': [('埼玉県', '048', '')],
    # 06 reaches into 八尾市 only at 竹渕; the rest of the city dials 0729.
    '八尾市(竹渕、竹渕西、竹渕東)': [('大阪府', '06', '')],
    '八尾市(竹渕、竹渕西、竹渕東)を除く': [('大阪府', '0729', '')],
}

faults = []


def expect(ok, message):
    if not ok:
        faults.append(message)


def load(tool):
    lines = [line.split('\t') for line in subprocess.run([tool], capture_output=True, check=True).stdout
             .decode('utf-16-le').split('\n')[:-1]]
    prefs = {int(f[1]): f[2] for f in lines if f[0] == 'P'}
    return prefs, {int(f[1]): tuple(f[2:6]) for f in lines if f[0] == 'R' and int(f[1]) <= LAST}  # code, pref, area, cd


def table(data, name, sep='\t'):
    lines = (data / name).read_text(encoding='utf-8').splitlines()[1:]
    return [line.split(sep) for line in lines]


def check_forms(prefs, rows, data):
    expect(len(rows) == 1770 and not HOLES & rows.keys(), f'{len(rows)} regional rows')
    for p, want in enumerate(CHANGES, 1):
        got = tuple(sum(r[1] == prefs[p] and r[3] == cd for r in rows.values()) for cd in '12')
        expect(got == want, f'{prefs[p]}: {got} rows with change codes 1 and 2, want {want}')
    expect(sum(r[3] == '0' for r in rows.values()) == 1433, 'rows with change code 0')
    foreign = foreign_gunma = spaced = 0
    for i, (code, pref, area, cd) in rows.items():
        expect(2 <= len(area) <= 365, f'slot {i}: {len(area)} characters')
        expect(not set(area) & set('\uff08\uff09\u30fb\t\u3000'), f'slot {i}: full-width bracket, dot or odd space')
        spaced += ' ' in area
        for p in range(1, 48):
            if prefs[p] != pref and area.startswith(prefs[p]):
                foreign += 1
                foreign_gunma += pref == '群馬県'
    # The list files four areas under a neighbour's block (three in 群馬県, one in 東京都); ours
    # holds the two known well enough to write, and any row of that form must be one of the four.
    expect(2 <= foreign <= 4 and 1 <= foreign_gunma <= 3, f'{foreign} rows name another prefecture')
    expect(spaced <= 1, f'{spaced} texts hold an ASCII space')


def check_arrangement(prefs, rows, data):
    def cd(i): return rows[i][3] if i in rows else None
    def step(i, d): return i + 2 * d if i + d in HOLES else i + d  # holes lie inside runs
    def same(a, b): return rows[a][0] == rows[b][0]
    single = doubled = before = alone = 0
    for i in rows:
        if cd(i) == '1':
            n1, n2 = step(i, 1), step(step(i, 1), 1)
            expect(cd(n1) == '2' and same(i, n1), f'slot {i}: change code 1 without a 2 after it')
            doubled, single = (doubled + 1, single) if cd(n2) == '2' and same(i, n2) else (doubled, single + 1)
        if cd(i) == '2':
            p1, p2 = step(i, -1), step(step(i, -1), -1)
            if (cd(p1) == '1' and same(i, p1)) or (cd(p1) == '2' and cd(p2) == '1' and same(i, p2)):
                continue
            before, alone = (before + 1, alone) if cd(step(i, 1)) == '1' and same(i, step(i, 1)) else (before, alone + 1)
    expect((single, doubled, before, alone) == (148, 2, 8, 27),
           f'single, double pairs, 2 before 1, lone 2: {(single, doubled, before, alone)}')


def check_known_texts(prefs, rows, data):
    for area, places in KNOWN.items():
        got = sorted((r[1], r[0], r[3]) for r in rows.values() if r[2] == area)
        expect(sorted(p[:2] for p in places) == [g[:2] for g in got], f'{area} stands under {got}')
        for p in places:
            expect(not p[2] or p in got, f'{area} under {p[1]} has not change code {p[2]}')
    least = min(len(r[2]) for r in rows.values())
    shortest = {r[2] for r in rows.values() if len(r[2]) == least}
    expect(least == 2 and {'蕨市', '中郡'} <= shortest, f'shortest texts {shortest}')


def check_slots(prefs, rows, data):
    known = 0
    for f in table(data, 'regional_slots.tsv'):
        i = int(f[0])
        have = rows.get(i, ('', '', '', ''))
        expect(have[:2] == (f[1], f[2]), f'slot {i}: {have[:2]}, want {f[1]} {f[2]}')
        if len(f) > 3 and f[3]:
            known += 1
            expect(have[2] == f[3] and (len(f) < 5 or not f[4] or have[3] == f[4]), f'slot {i}: {have}, want {f}')
    expect(known == 82, f'{known} known texts')


class Reference:
    """Municipality names, as (郡 or '', name), from the public lists."""

    def __init__(self, data):
        self.current = defaultdict(set)  # by prefecture, on 2005-11-01
        self.known = defaultdict(set)  # valid at some time 2002-2006
        self.guns = defaultdict(set)
        self.formed = defaultdict(lambda: defaultdict(set))  # mergers 2003 to 2005-11-01
        self.wards23 = set()
        gun_of = defaultdict(list)  # a name can stand in two 郡 (泊村): listed in code order
        for f in table(data, 'hokkaido_gun.tsv'):
            gun_of[f[0]].append(f[1])
        for f in table(data, 'municipalities_2005-11-01.csv', ','):
            if '01695' <= f[0] <= '01700':
                continue  # the northern-island villages have no telephone service
            p, d, n = f[1], f[2], f[3]
            if not n or d.endswith('市'):  # a city, or a ward of a designated city
                self.add(p, '', d if not n and d.endswith('市') else '', current=True)
                continue
            if p == '東京都' and not d and (n.endswith('区') or n == '特別区部'):
                self.wards23.add(n)
                continue
            if d.endswith('支庁'):
                guns = gun_of[n]
                d = guns.pop(0) if len(guns) > 1 else (guns[0] if guns else '')
            self.add(p, d if d.endswith('郡') else '', n, current=True)
        for f in table(data, 'estat_changes_2000_2010.csv', ','):
            date, kind = f[0], f[1]
            fg, tg = (g if g.endswith('郡') else '' for g in (f[5], f[12]))
            if '2002-01-01' <= date <= '2006-12-31':
                self.add(f[4], fg, f[7])
                self.add(f[11], tg, f[14])
            if (kind in ('新設合併', '編入合併', '市制施行', '名称変更') and '2003-01-01' <= date <= '2005-11-01'
                    and f[7] and f[14]):
                parts = self.formed[f[11]][(tg, f[14])]
                parts.add((fg, f[7]))
                if kind == '編入合併':
                    parts.add((tg, f[14]))  # the absorbing one must be named itself
        for f in table(data, 'mergers_japanpost.tsv'):
            if f[3] <= '2006-12-31':
                for name in (f[1].split('（')[0], f[2].split('（')[0]):
                    g = name.find('郡') + 1  # the 郡 a town or village name begins with
                    self.add(f[0], *((name[:g], name[g:]) if g and not name.endswith('郡') else ('', name)))

    def add(self, pref, gun, name, current=False):
        if name:
            self.known[pref].add((gun, name))
            if current:
                self.current[pref].add((gun, name))
        if gun:
            self.guns[pref].add(gun)


def split_top(s):
    items, depth = [''], 0
    for ch in s:
        depth += (ch == '(') - (ch == ')')
        if depth == 0 and ch == '、':
            items.append('')
        else:
            items[-1] += ch
    return items


def parse_area(ref, pref, text, places, whole_guns, unknown):
    """What one area text names: municipalities (whole or in part) and whole 郡."""
    names = {n for _, n in ref.known[pref]}

    def longest(s, candidates):
        return max((c for c in candidates if s.startswith(c)), key=len, default='')

    def item(s, gun):
        s = s[:-3] if s.endswith('を除く') else s
        if not s:
            return
        g = '' if gun else longest(s, ref.guns[pref])
        if g and len(g) >= len(longest(s, names)):
            rest = s[len(g):]
            if not rest:
                whole_guns.add(g)
            elif rest[0] == '(':  # the 郡's towns in brackets, up to the matching close
                depths = accumulate((ch == '(') - (ch == ')') for ch in rest)
                close = next((k for k, d in enumerate(depths) if d == 0), len(rest))
                for it in split_top(rest[1:close]):
                    item(it, g)
            else:
                item(rest, g)
            return
        n = longest(s, names)
        places.add((gun, n)) if n else unknown.append(gun + s)

    for it in split_top(text):
        item(it, '')


def check_coverage(prefs, rows, data):
    ref = Reference(data)
    places, whole_guns = defaultdict(set), defaultdict(set)
    for i, (code, pref, text, cd) in sorted(rows.items()):
        other = next((prefs[p] for p in range(1, 48) if text.startswith(prefs[p])), None)
        if other:
            pref, text = other, text[len(other):]
        if text.startswith('内') and pref == '東京都':  # 東京都内２３区
            places[pref] |= {('', w) for w in ref.wards23}
            continue
        unknown = []
        parse_area(ref, pref, text, places[pref], whole_guns[pref], unknown)
        for u in unknown:
            expect(False, f'slot {i}: no municipality of 2002-2006 starts "{u}"')
    total = covered = 0
    for pref, municipalities in ref.current.items():
        def is_covered(m, depth):
            if m in places[pref] or (m[0] and m[0] in whole_guns[pref]):
                return True
            if any(n == m[1] and (not g or not m[0]) for g, n in places[pref]):
                return True
            parts = ref.formed[pref].get(m)
            if depth > 3 or not parts or m in parts:
                return False  # one that absorbed others must be named itself
            return all(is_covered(part, depth + 1) for part in parts)
        for m in sorted(municipalities):
            total += 1
            covered += is_covered(m, 0)
            expect(is_covered(m, 0), f'{pref}: {m[0]}{m[1]} is covered by no row')
    print(f'municipalities of 2005-11-01 covered: {covered} of {total}')
    expect(total > 2000, f'only {total} municipalities read')


CHECKS = {name[6:]: f for name, f in globals().items() if name.startswith('check_')}

if __name__ == '__main__':
    if len(sys.argv) != 4 or sys.argv[3] not in CHECKS:
        sys.exit(f'usage: regional_check.py DUMP_ROWS DATA_DIR {{{"|".join(CHECKS)}}}')
    prefs, rows = load(sys.argv[1])
    CHECKS[sys.argv[3]](prefs, rows, Path(sys.argv[2]))
    print('\n'.join(faults[:50]))
    print(f'{sys.argv[3]}: {len(faults)} faults')
    sys.exit(1 if faults else 0)
