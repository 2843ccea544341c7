#!/usr/bin/env python3
"""Writes src/base/case_folding.inc: the Unicode simple case folding (the mappings of status C and S
of CaseFolding.txt) as runs of code points that fold by the same distance, for text::FoldCase.

Python's own Unicode tables are the source: a code point whose full folding (str.casefold) is one
code point folds to it; one whose full folding is longer folds, as in the simple folding, to its
single lower-case form if it has one, and otherwise stays itself (U+00DF, U+0130).

Usage: tools/make-case-folding.py > src/base/case_folding.inc
"""
import sys
import unicodedata


def simple_folding():
    pairs = []
    for cp in range(0x110000):
        if 0xD800 <= cp <= 0xDFFF:
            continue
        ch = chr(cp)
        full = ch.casefold()
        target = None
        if len(full) == 1 and full != ch:
            target = ord(full)
        elif len(full) > 1:
            lower = ch.lower()
            if len(lower) == 1 and lower != ch:
                target = ord(lower)
        if target is not None:
            pairs.append((cp, target))
    return pairs


def runs(pairs):
    """(first, last, delta, stride): every stride-th code point from first to last adds delta."""
    result = []
    i = 0
    while i < len(pairs):
        first, target = pairs[i]
        delta = target - first
        best_end, best_stride = i, 1
        for stride in (1, 2):
            j = i
            while (j + 1 < len(pairs) and pairs[j + 1][0] == pairs[j][0] + stride
                   and pairs[j + 1][1] - pairs[j + 1][0] == delta):
                j += 1
            if j > best_end:
                best_end, best_stride = j, stride
        result.append((first, pairs[best_end][0], delta, best_stride))
        i = best_end + 1
    return result


def main():
    pairs = simple_folding()
    table = runs(pairs)
    expanded = {}
    for first, last, delta, stride in table:
        for cp in range(first, last + 1, stride):
            expanded[cp] = cp + delta
    assert expanded == dict(pairs)
    out = sys.stdout
    out.write("// Made by tools/make-case-folding.py from the Unicode %s simple case folding: runs of\n"
              "// code points {first, last, delta, stride}. Do not edit by hand.\n"
              "// clang-format off\n"
              % unicodedata.unidata_version)
    for run in table:
        out.write("{0x%04X, 0x%04X, %d, %d},\n" % run)


if __name__ == "__main__":
    main()
