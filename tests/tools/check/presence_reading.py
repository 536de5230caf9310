#!/usr/bin/env python3
# The short days and holes of a folder of day files (price first with " - "), read as README.md
# words the check's rule, and printed as pellmark-check prints them.
import collections, datetime, os, re, sys
median = lambda values: sorted(values)[len(values) // 2]
def spacing(times):
    gaps = collections.Counter(b - a for a, b in zip(times, times[1:]))
    return min(gaps, key=lambda gap: (-gaps[gap], gap)) if gaps else 0
days = collections.defaultdict(dict)
for name in os.listdir(sys.argv[1]):
    symbol, label = name[:-4].split("-", 1)
    text = open(os.path.join(sys.argv[1], name)).read()
    days[symbol][datetime.datetime.strptime(label, "%d-%b-%y"), label] = sorted(
        {int(t[:2]) * 60 + int(t[3:]) for t in re.findall(r" - (\d\d:\d\d)", text)})
for symbol, byDay in sorted(days.items()):
    for (_, label), times in sorted(byDay.items()):
        s = spacing(times)
        usual = [t for t in byDay.values() if spacing(t) == s]
        usual = usual if len(usual) >= 3 else list(byDay.values())
        slots, count = [{m // s for m in t} for t in usual], median([len(t) for t in usual])
        start, end = median([t[0] for t in usual]), median([t[-1] for t in usual])
        lost = sum(k < times[0] // s or k > times[-1] // s for u in slots for k in u)
        far = count - len(times) > max(count / 10, 8 * median([abs(len(t) - count) for t in usual]))
        faults = ["short %d of %d quotes" % (len(times), count)] if 10 * lost > sum(map(len, slots)) or far else []
        for a, b in zip(times, times[1:]):
            chance = 1 + end // s - start // s
            for k in range(max(a // s + 1, start // s), min(b // s, end // s + 1)):
                window = range(max(start // s, k - 15), min(end // s, k + 15) + 1)
                chance *= median([sum(j not in u for j in window) / len(window) for u in slots])
            if b - a > 3 * s and min(b, end) - max(a, start) > 3 * s and chance < 1 / 1000:
                faults.append("hole %02d:%02d-%02d:%02d" % (a // 60, a % 60, b // 60, b % 60))
        if faults:
            print("%s %s %s" % (symbol, label, ", ".join(faults)))
