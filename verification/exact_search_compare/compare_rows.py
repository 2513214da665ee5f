"""What the checks of the comparison share: the lines that differ between
two outputs of compare, and the alpha one shown unit below an alpha shown."""

from fractions import Fraction
import re


def differing_rows(old_path, new_path, inputs, outputs):
    """(old line, inputs, old outputs, new outputs) of each case whose lines
    differ; `inputs` and `outputs` are patterns of label=value pairs."""
    with open(old_path) as f:
        old = f.read().splitlines()
    with open(new_path) as f:
        new = f.read().splitlines()
    for a, b in zip(old, new):
        if a == b:
            continue
        yield (a, dict(re.findall(inputs, a.split('|')[0])),
               dict(re.findall(outputs, a.split('|', 1)[1])),
               dict(re.findall(outputs, b.split('|', 1)[1])))


def unit_below(text):
    """The value one unit of its last shown digit below the alpha shown as
    `text` (seven decimals between 0.01 and 100, else seven significant
    digits), exactly."""
    x = Fraction(text)
    if Fraction(1, 100) < x < 100:
        return x - Fraction(1, 10**7)
    e = 0
    while Fraction(10) ** (e + 1) <= x:
        e += 1
    while Fraction(10) ** e > x:
        e -= 1
    return x - Fraction(10) ** (e - 6)


def check_rows(name, inputs, outputs, skip, check, argv):
    """Checks each differing case of the outputs named in argv[1:3] that
    `skip(line, inputs)` keeps, by `check(inputs, new outputs)`, and prints
    the tally."""
    import time
    ok = bad = skipped = 0
    start = time.time()
    for line, ins, _, new in differing_rows(argv[1], argv[2], inputs, outputs):
        if skip(line, ins):
            skipped += 1
        elif check(ins, new):
            ok += 1
        else:
            bad += 1
            print('BAD', line[:260])
    print(f'{name} differences confirmed: {ok}, not confirmed: {bad}, not checked: {skipped} '
          f'({round(time.time() - start)} s)')
