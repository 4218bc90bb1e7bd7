#!/usr/bin/env python3
"""Writes the benchmark corpus: a list of numbers and a removal list for it.

  original.txt      1,000,000 lines of 11-digit numbers, CR LF breaks
  removal.txt         500,000 lines: half taken from the original, half not
  original-lf.txt, removal-lf.txt   the same with LF breaks, for the peer tools

The same seed always gives the same bytes, so figures from different runs
compare. Usage: make_corpus.py [OUTPUT_DIR] (default: bench/corpus).
"""

import os
import random
import sys

ORIGINAL_LINES = 1_000_000
REMOVAL_LINES = 500_000
SEED = 20240611


def eleven_digit_numbers(rng, count, avoid=frozenset()):
    numbers = []
    while len(numbers) < count:
        number = rng.randrange(10_000_000_000, 100_000_000_000)
        if number not in avoid:
            numbers.append(number)
    return numbers


def write_lines(path, numbers, line_break):
    # The last line gets a break too, as lists saved by most editors do.
    with open(path, "wb") as out:
        out.write(line_break.join(b"%d" % n for n in numbers) + line_break)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "corpus")
    os.makedirs(output_dir, exist_ok=True)

    rng = random.Random(SEED)
    original = eleven_digit_numbers(rng, ORIGINAL_LINES)
    present = frozenset(original)
    shared = rng.sample(original, REMOVAL_LINES // 2)
    absent = eleven_digit_numbers(rng, REMOVAL_LINES - len(shared), avoid=present)
    removal = shared + absent
    rng.shuffle(removal)

    for name, numbers in (("original", original), ("removal", removal)):
        write_lines(os.path.join(output_dir, name + ".txt"), numbers, b"\r\n")
        write_lines(os.path.join(output_dir, name + "-lf.txt"), numbers, b"\n")


if __name__ == "__main__":
    main()
