#!/usr/bin/env python3
# An independent reading of the check's short and hole rule, as README.md words it, over a
# folder of day files in the default layout; prints the short and holed days as the check does.
import collections, datetime, math, os, re, sys

def median(values):
    return sorted(values)[len(values) // 2]

def spacing(times):
    gaps = collections.Counter(b - a for a, b in zip(times, times[1:]))
    return min(gaps, key=lambda g: (-gaps[g], g)) if gaps else 0

days = collections.defaultdict(dict)
for name in os.listdir(sys.argv[1]):
    symbol, d, month, year = name[:-4].rsplit("-", 3)
    day = datetime.datetime.strptime(d + month + year, "%d%b%y")
    text = open(os.path.join(sys.argv[1], name)).read()
    days[symbol][day] = sorted({int(t[:2]) * 60 + int(t[3:]) for t in re.findall(r" - (\d\d:\d\d)", text)})
for symbol, byDay in sorted(days.items()):
    span = median([t[0] for t in byDay.values()]), median([t[-1] for t in byDay.values()])
    for day, times in sorted(byDay.items()):
        s = spacing(times)
        alike = [t for t in byDay.values() if spacing(t) == s]
        usual = alike if len(alike) >= 3 else list(byDay.values())
        slots = [{m // s for m in t} for t in usual]
        busy = [k for k in range(1440 // s + 1) if 2 * sum(k in u for u in slots) >= len(usual)]
        lost = sum(k < times[0] // s or k > times[-1] // s for k in busy)
        counts = [len(t) for t in usual]
        count, deviation = median(counts), median([abs(c - median(counts)) for c in counts])
        short = 10 * lost > len(busy) or (10 * len(times) < 9 * count and count - len(times) > 8 * deviation)
        holes = []
        first, last = span[0] // s, span[1] // s
        for a, b in zip(times, times[1:]):
            if b - a <= 3 * s or min(b, span[1]) - max(a, span[0]) <= 3 * s:
                continue
            chance = math.log(last - first + 1)
            for k in range(a // s + 1, b // s):
                window = range(max(first, k - 15), min(last, k + 15) + 1)
                empty = median([sum(j not in u for j in window) / len(window) for u in slots])
                chance += math.log(empty) if empty > 0 else -math.inf
            if chance < math.log(1 / 1000):
                holes.append("hole %02d:%02d-%02d:%02d" % (a // 60, a % 60, b // 60, b % 60))
        label = "%s %d-%s" % (symbol, day.day, day.strftime("%b-%y"))
        if short:
            print(", ".join([label + " short %d of %d quotes" % (len(times), count)] + holes))
        elif holes:
            print(label + " " + ", ".join(holes))
