#!/usr/bin/env python3
"""Checks of the regional rows as the program loads them against the slot plan, the known texts and the public
lists in tests/data (municipalities, mergers, the ministry's list of area codes).
Usage: regional_check.py DUMP_ROWS DATA_DIR CHECK. Exits 1 with one line per fault."""
import re
import subprocess
import sys
from collections import Counter, defaultdict
from itertools import groupby
from pathlib import Path

HOLES, LAST = {659, 892}, 1771
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
    return [line.split(sep) for line in (data / name).read_text(encoding='utf-8').splitlines()[1:]]


def check_forms(prefs, rows, data):
    expect(len(rows) == 1770 and not HOLES & rows.keys(), f'{len(rows)} regional rows')
    for no, pref, *want in table(data, 'regional_blocks.tsv'):  # rows with change codes 1 and 2 per prefecture
        got = [str(sum(r[1] == prefs[int(no)] == pref and r[3] == cd for r in rows.values())) for cd in '12']
        expect(got == want, f'{pref}: {got} rows with change codes 1 and 2, want {want}')
    expect(sum(r[3] == '0' for r in rows.values()) == 1433, 'rows with change code 0')
    for i, (code, pref, area, cd) in rows.items():
        expect(len(area) >= 2, f'slot {i}: {len(area)} characters')
        expect(not set(area) & set('\uff08\uff09\u30fb\t\u3000'), f'slot {i}: full-width bracket, dot or odd space')
    # The list files four areas under a neighbour's block, three in 群馬県 and one in 東京都; one
    # text holds an ASCII space, and the longest is a row of 0729 in 大阪府.
    foreign = Counter(r[1] for r in rows.values() if any(r[2].startswith(p) for p in prefs.values() if p != r[1]))
    expect(foreign == {'群馬県': 3, '東京都': 1}, f'rows that name another prefecture: {foreign}')
    expect(sum(' ' in r[2] for r in rows.values()) == 1, 'texts holding an ASCII space')
    expect(max(rows.values(), key=lambda r: len(r[2]))[:2] == ('0729', '大阪府'), 'the longest text')


def check_arrangement(prefs, rows, data):
    # The change codes of each run of one code, the holes inside runs left out: every 1 has one or two 2s
    # after it (148 and 2 times), eight 2s stand before their 1, and 27 stand alone.
    runs = '|'.join(''.join(r[3] for _, r in g) for _, g in groupby(sorted(rows.items()), key=lambda x: x[1][:2]))
    expect(not re.search('1(?!2)', runs), 'a change code 1 without a 2 after it')
    got = [len(re.findall(p, runs)) for p in ('12(?!2)', '122', '(?<!1)(?<!12)2(?=1)', '(?<!1)(?<!12)2(?!1)')]
    expect(got == [148, 2, 8, 27], f'single, double pairs, 2 before 1, lone 2: {got}')


def check_known_texts(prefs, rows, data):  # an empty change code is ours, not the list's, and is not compared
    for area, places in {f[0]: [g[1:] for g in table(data, 'known_texts.tsv') if g[0] == f[0]]
                         for f in table(data, 'known_texts.tsv')}.items():
        got = sorted([r[1], r[0], r[3]] for r in rows.values() if r[2] == area)
        expect(sorted(p[:2] for p in places) == [g[:2] for g in got], f'{area} stands under {got}')
        expect(all(not p[2] or p in got for p in places), f'{area}: change codes {got}')
    least = min(len(r[2]) for r in rows.values())
    shortest = {r[2] for r in rows.values() if len(r[2]) == least}
    expect(least == 2 and {'蕨市', '中郡'} <= shortest, f'shortest texts {shortest}')


def check_slots(prefs, rows, data):
    for f in table(data, 'regional_slots.tsv'):  # code and prefecture of every slot, and the known texts
        have = rows.get(int(f[0]), ('', '', '', ''))
        expect(have[:2] == tuple(f[1:3]) and (len(f) < 4 or not f[3] or have[2] == f[3] and (
            len(f) < 5 or not f[4] or have[3] == f[4])), f'slot {f[0]}: {have}, want {f}')
    expect(sum(len(f) > 3 and f[3] != '' for f in table(data, 'regional_slots.tsv')) == 82, 'known texts')


def fold(s):  # spellings the lists use interchangeably
    return s.translate(str.maketrans('ヶ溪澤條團籠', 'ケ渓沢条団篭')).replace('囎唹', '曽於')


def longest(s, candidates):
    return max((c for c in candidates if s.startswith(c)), key=len, default='')


def split_top(s):
    items, depth = [''], 0
    for ch in s:
        depth += (ch == '(') - (ch == ')')
        items[-1:] = [items[-1], ''] if depth == 0 and ch == '、' else [items[-1] + ch]
    return items


def stem(name):  # 常呂町 -> 常呂, the form a former town takes inside the municipality it joined
    return name[:-1] if len(name) >= 3 and name[-1] in '市町村区' else name


def key(pref, gun, name):  # (pref, 郡 or '', name) from a 郡, 支庁 or city column, or a name that begins with its 郡
    gun, name, m = fold(gun), fold(name.removeprefix(pref)), re.fullmatch(r'(.+?郡)(.+[町村])', fold(name))
    return (pref, '', gun) if gun.endswith('市') else (pref, *m.groups()) if m and not gun.endswith('郡') else (
        pref, gun if gun.endswith('郡') else '', name)


class Reference:
    """Municipalities of 2005-11-01 with the names they bore since 2002 and bear today, from the public lists."""

    def __init__(self, data):
        self.units, gun_of = set(), defaultdict(list)  # a name can stand in two 郡 (泊村): listed in code order
        for f in table(data, 'hokkaido_gun.tsv'):
            gun_of[f[0]].append(f[1])
        for code, p, d, n in table(data, 'municipalities_2005-11-01.csv', ','):
            if not ('01695' <= code <= '01700' or d.endswith('市') != (not n) or n.endswith('区') or n == '特別区部'):
                guns = gun_of[n] if d.endswith('支庁') else [d]  # skips island villages without telephone, wards, 郡
                self.units.add(key(p, guns.pop(0) if len(guns) > 1 else (guns or [''])[0], n or d))
        early, late = defaultdict(set), defaultdict(set)  # name -> names it took, until 2005-11-01 and after
        self.absorbers, recent = set(), set()  # who took others in must be named itself to count as covered

        def change(date, old, new):
            (early if date <= '2005-11-01' else late)[old].add(new)
            recent.update([new] if '2005-11-01' < date < '2007' else [])
        for f in table(data, 'estat_changes_2000_2010.csv', ','):  # Hokkaido's 郡 come from the postal list
            if f[4] != '北海道' and f[7] and (f[14] or f[12]) and not f[5].endswith('市') and f[0] >= '2002':
                change(f[0], key(*f[4:6], f[7]), new := key(f[11], f[12], f[14] or f[12]))
                self.absorbers |= {new} if f[1] == '編入合併' and f[0] <= '2005-11-01' else set()
        for p, olds, new, date in table(data, 'mergers_japanpost.tsv'):
            for old in olds.removeprefix(p).split('（')[0].split('・') if p == '北海道' or date > '2010-12-31' else ():
                change(date, key(p, '', old), key(p, '', new.split('（')[0]))

        def reach(k, m):  # every name that k took, through the changes in m
            return {k}.union(*(reach(n, m) for n in m.get(k, set()) - {k}))
        self.unit_of = {k: reach(k, early) & self.units for k in [*self.units, *early]}  # a name of 2002-2005
        self.alias = {old for old, news in early.items() if any(n[2] == old[2] for n in news)}  # only its 郡 changed
        self.formers, self.became = defaultdict(set), defaultdict(set)  # later names -> municipalities of 2005
        for old in early:
            for u in self.unit_of[old] - {old}:
                self.formers[u].add(old)
        for u in self.units:
            for n in reach(u, late):
                self.became[n].add(u)
        self.today = {n: us for n, us in self.became.items() if not late.get(n, set()) - {n}}
        self.names = defaultdict(set)
        for k in [*self.unit_of, *self.became.keys() & recent]:  # the names a row may use
            self.names[k[0]].add(k[1:])

    def among(self, pref, gun):
        return {n for g, n in self.names[pref] if g == gun}

    def places(self, t):  # the municipalities of 2005 that became t, and their former ones
        return {x for u in self.today[t] for x in {u} | self.formers[u]}


def parse_area(ref, pref, text, slot):
    """What an area text names: (key, whole) for a municipality, ('郡', pref, 郡, names left out) for a district."""
    other = longest(text, {p for p, _, _ in ref.units})  # another prefecture's area, or its own name first
    pref, text, out = other or pref, fold(text.removeprefix(other)), []

    def item(s, gun):
        excl, s = s.endswith('を除く'), s.removesuffix('を除く')
        g = '' if gun else longest(s, {g for g, _ in ref.names[pref] if g})
        if g and len(g) >= len(longest(s, ref.among(pref, ''))):
            s, gun = s[len(g):], g
            inner = split_top(s[1:-1]) if s.startswith('(') and s.endswith(')') else []
            if not s or inner:  # the district, or some of its towns (all but some, with を除く)
                whole = {it for it in inner if it in ref.among(pref, g)}
                out.extend([('郡', pref, g, whole)] if excl or not s else [])
                for it in inner if not excl else sorted(set(inner) - whole):
                    item(it, g)
                return
        n = longest(s, ref.among(pref, gun))
        part = s[len(n):]
        expect(n, f'slot {slot}: no municipality of 2002-2006 starts {gun + s}')
        if not n or excl and not part and gun:  # unknown, or the district but this town
            return out.append(('郡', pref, gun, {n})) if n else None
        out.append(((pref, gun, n), not part and not excl))
        items = split_top(part[1:-1]) if part.startswith('(') else [part]  # former towns named as parts of a city
        out.extend((f, any(stem(i) == stem(f[2]) for i in items)) for f in ref.formers[pref, gun, n]
                   if part and not excl and stem(f[2]) in part)

    for it in split_top(text) if not text.startswith('内') else []:  # 東京都内２３区
        item(it, '')
    return out


def named_by_rows(ref, rows):
    """slot -> [(municipality of 2005, former or later one, named by its own name)]. A district stands for its
    towns of 2005 and for its towns that merged into a municipality of its prefecture, unless a row names them whole."""
    parsed = {i: parse_area(ref, r[1], r[2], i) for i, r in sorted(rows.items())}
    whole = {p[0] for ps in parsed.values() for p in ps if p[0] != '郡' and p[1]}

    def district(pref, gun, left_out):
        return [(k, False) for k in ref.unit_of if k[:2] == (pref, gun) and k[2] not in left_out and (
            k in ref.units or k not in whole and k not in ref.alias and all(u[0] == pref for u in ref.unit_of[k]))]
    return {i: [x for p in ps for x in (district(*p[1:]) if p[0] == '郡' else [(p[0], True)])]
            for i, ps in parsed.items()}


def check_coverage(prefs, rows, data):
    ref = Reference(data)
    named = {k for ps in named_by_rows(ref, rows).values() for k, _ in ps}
    missing = [u for u in sorted(ref.units) if u not in named and (
        not ref.formers[u] - ref.alias or not ref.formers[u] - ref.alias <= named or u in ref.absorbers)]
    expect(not missing and len(ref.units) == 2170, f'of {len(ref.units)} municipalities no row covers {missing}')
    print(f'municipalities of 2005-11-01 covered: {len(ref.units) - len(missing)} of {len(ref.units)}')


def restriction(s):  # 'X(a、bに限る)' -> ('X', 'only', [a, b]), 'X(…を除く)' -> ('X', 'except', […]), 'X' -> ('X', None, [])
    m = re.fullmatch(r'([^(]*)\((.*)(に限る|を除く)\)', s)
    return (m[1], 'only' if m[3] == 'に限る' else 'except', split_top(m[2])) if m else (s, None, [])


def flat(parts):  # 緑区(小原、小渕に限る) -> 緑区小原, 緑区小渕
    return [x for p in parts for h, mode, sub in [restriction(p)]
            for x in ([h + y for y in flat(sub)] if mode == 'only' else [h])]


def list_items(ref, text):
    """(pref, municipality of today, None, 'only' or 'except', parts) for each item of an entry of the list."""
    pref, text = '', re.sub('及び|並びに', '、', re.sub(r'（市外局番を除く.*?）', '', fold(text))).translate(
        str.maketrans('（）､', '()、', '。｡ '))
    for it in split_top(text) if text else []:
        pref = longest(it, {p for p, _, _ in ref.units}) or pref
        head, mode, parts = restriction(it.removeprefix(pref))
        g = longest(head, {k[1] for k in [*ref.today, *ref.unit_of] if k[0] == pref and k[1]})
        towns = {k[2] for k in ref.today if k[:2] == (pref, g)}
        if g and head == g:  # a district, whole or with its towns listed
            listed = {n: ('only', [h[len(n):]]) if h != n else (m, flat(p)) for h, m, p in map(restriction, parts)
                      for n in [longest(h, towns)]}
            for n in sorted(towns):
                m, p = listed.get(n, (None, []))
                if mode is None or mode == 'only' and n in listed or mode == 'except' and (n not in listed or m):
                    yield pref, (pref, g, n), {'only': 'except', 'except': 'only'}.get(m) if mode == 'except' else m, p
            continue
        n = longest(head[len(g):], towns)
        part = head[len(g) + len(n):]
        expect(n or head == '２３区', f'list: no municipality {pref}{it}')
        if n:
            yield pref, (pref, g, n), mode if not part else 'only', [part + x for x in flat(parts)] if part and \
                mode == 'only' else [part] if part else flat(parts)


def check_ministry_list(prefs, rows, data):
    """Each municipality of 2005-11-01, and each former one a row names, must stand under the codes of 2005 that
    the ministry's list (about 2019) gives it, or be listed with its reason in list_exceptions.tsv."""
    ref = Reference(data)
    facts, codes_of = defaultdict(list), defaultdict(list)  # today's municipality -> (place of 2005, whole, parts)
    for pref, t, place, whole, parts, *_ in table(data, 'list_places.tsv'):
        facts[key(pref, '', t)].append((key(pref, '', place), whole == '1', set(fold(parts).split('、'))))
    for pref, entry, code, *_ in table(data, 'codemap_2005.tsv'):
        codes_of[pref, entry].append(code)
    for pref, entry, place, codes, *_ in table(data, 'list_codes.tsv'):
        codes_of[pref, entry, key(pref, '', place) if place != '*' else '*'] = codes.split('|')

    def attribute(t, part):  # the municipality of 2005 or former one that a part of today's t lay in
        p = re.sub(r'^.+?区(?=.)', '', part)
        hits = sorted((x for x in ref.places(t) if p.startswith(stem(x[2]))), key=lambda x: len(stem(x[2])))
        found = {x for x, _, parts in facts[t] if part in parts} or set(hits[-1:]) or (
            {t if t in ref.units else min(ref.today[t])} if t in ref.units or len(ref.today[t]) == 1 else set())
        expect(found, f'list: which municipality of 2005 had {t[1]}{t[2]}{part}?')
        return found

    def left_out(t, x, parts):  # x lies wholly in the parts an entry leaves out
        return x != t and any(stem(re.sub(r'^.+?区(?=.)', '', p)) == stem(x[2]) for p in parts) or any(
            y == x and whole and ps <= set(parts) for y, whole, ps in facts[t])
    listed, named, entry = defaultdict(set), defaultdict(set), ''
    for ma, _, area in table(data, 'areacodes_2019.tsv'):
        entry = ma or f'blank-after-{entry}'  # two entries lost their number in transcription
        for pref, t, mode, parts in list_items(ref, area):
            for x in set().union(*(attribute(t, p) for p in parts)) if mode == 'only' else {
                    x for x in ref.places(t) if mode != 'except' or not left_out(t, x, parts)}:
                codes = codes_of[pref, entry] if len(codes_of[pref, entry]) == 1 else \
                    codes_of.get((pref, entry, x)) or codes_of.get((pref, entry, '*'))
                expect(codes, f'list: which code of entry {entry} had {x[1]}{x[2]}?')
                for y in {x} | ref.unit_of[x]:
                    listed[y].update(codes or ())
    by_row, seen, own = named_by_rows(ref, rows), set(), set()
    for i, ps in by_row.items():
        for k, explicit in ps if rows[i][3] != '1' else ():
            seen.add(k)
            own |= {k} if explicit and k not in ref.units else set()
            for u in {k} | ref.unit_of.get(k, ref.became.get(k, set())):
                named[u].add(rows[i][0])
    seen |= {f for k in seen if k in ref.units for f in ref.formers[k]}
    for i, ps in by_row.items():  # a new name stands for what its old names leave unnamed
        for u in {u for k, _ in (ps if rows[i][3] == '1' else ()) for u in ref.became.get(k) or ref.unit_of.get(k, ())}:
            named[u] |= {rows[i][0]} if ({u} | ref.formers[u]) - seen else set()
    reasons = {key(f[0], '', f[1]): (set(f[2].split('|')), set(f[3].split('|')))
               for f in table(data, 'list_exceptions.tsv')}
    differ = [x for x in sorted(ref.units | own) if named[x] != listed[x]]
    for x in differ:
        expect(reasons.pop(x, None) == (named[x], listed[x]),
               f'{"".join(x)}: rows {sorted(named[x])}, list {sorted(listed[x])}')
    expect(not reasons, f'exceptions no longer needed: {sorted(reasons)}')
    agree = len(ref.units - set(differ))
    print(f'municipalities of 2005-11-01 whose codes agree with the list: {agree} of {len(ref.units)}')


CHECKS = {name[6:]: f for name, f in globals().items() if name.startswith('check_')}

if __name__ == '__main__':
    if len(sys.argv) != 4 or sys.argv[3] not in CHECKS:
        sys.exit(f'usage: regional_check.py DUMP_ROWS DATA_DIR {{{"|".join(CHECKS)}}}')
    prefs, rows = load(sys.argv[1])
    CHECKS[sys.argv[3]](prefs, rows, Path(sys.argv[2]))
    print('\n'.join(faults[:50]))
    print(f'{sys.argv[3]}: {len(faults)} faults')
    sys.exit(1 if faults else 0)
