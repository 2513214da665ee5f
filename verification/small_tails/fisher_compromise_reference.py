#!/usr/bin/python3
"""Compromise of the exact test of two proportions (606, conditional on the
margin, two tails, Fisher's statistic) where the ratio q is met at alpha far
below 1e-16, with beta summed over the accepted tables, never as 1 - power;
mpmath at 130 digits, the regions of every margin by the rule of
fisher_reference.py beside this script.

    /usr/bin/python3 fisher_compromise_reference.py > fisher_compromise_reference.tsv

For a nominal alpha the actual alpha sums b(x1; n1, p2) b(x2; n2, p2) over
the rejected tables, beta sums b(x1; n1, p1) b(x2; n2, p2) over the accepted
ones. The ratio beta/alpha falls as alpha rises, in steps. The nominal alpha
is bisected in its logarithm between 1e-99 and 1 for where the ratio
crosses q; the row holds the step on either side whose ratio is nearer to
q, with its actual alpha, beta and ratio. A last row takes the normal
approximation the "approx" option chooses, where beta = q alpha holds
exactly.
"""
import mpmath as mp

from fisher_reference import Design

mp.mp.dps = 130


def compromise(p1, p2, q, n1, n2):
    d = Design(n1, n2)
    q = mp.mpf(q)

    def rates(log_alpha):
        rej = d.rejected(mp.exp(log_alpha))
        size = d.rate(rej, p2, p2)
        acc = {m: [x for x in h if x not in set(rej[m])] for m, h in d.h.items()}
        beta = d.rate(acc, p1, p2)
        return size, beta

    lo, hi = mp.log(mp.mpf('1e-99')), mp.mpf(0)
    for _ in range(60):
        mid = (lo + hi) / 2
        s, b = rates(mid)
        if s == 0 or b / s > q:
            lo = mid
        else:
            hi = mid
    ends = [rates(lo), rates(hi)]
    return min(ends, key=lambda sb: abs(sb[1] / sb[0] - q) if sb[0] > 0 else mp.inf)


if __name__ == '__main__':
    print('# test\ttype\tstatus\tinputs\toutputs')
    for p1, p2, q, n1, n2 in [('0.05', '0.95', '1', 80, 80), ('0.1', '0.9', '1', 40, 40)]:
        size, beta = compromise(p1, p2, q, n1, n2)
        print(f'606\tcompromise\t-1\ttails=Two p1={p1} p2={p2} q={q} n1={n1} n2={n2}\t'
              f'actualalpha={mp.nstr(size, 15)} beta={mp.nstr(beta, 15)} '
              f'actualratio={mp.nstr(beta / size, 15)}')


def approximate_compromise(p1, p2, q, n1, n2):
    """The normal approximation with continuity correction (the "approx"
    option), one tail: alpha with beta = q alpha, beta from the acceptance
    region, Phi((sd0 z_alpha - (d - cc)) / sd1)."""
    p1, p2, q = mp.mpf(p1), mp.mpf(p2), mp.mpf(q)
    ps, ns, pl, nl = (p1, n1, p2, n2) if p1 <= p2 else (p2, n2, p1, n1)
    d = pl - ps
    pooled = (nl * pl + ns * ps) / (nl + ns)
    k = mp.mpf(1) / n1 + mp.mpf(1) / n2
    cc = k / 2
    sd1 = mp.sqrt(ps * (1 - ps) / ns + pl * (1 - pl) / nl)
    sd0 = mp.sqrt(pooled * (1 - pooled) * k)

    def beta(a):
        z = -mp.sqrt(2) * mp.erfinv(2 * a - 1)
        return mp.ncdf((sd0 * z - (d - cc)) / sd1)

    u = mp.findroot(lambda u: mp.log(beta(mp.exp(u))) - mp.log(q) - u, mp.log(mp.mpf('1e-20')))
    a = mp.exp(u)
    return a, beta(a)


if __name__ == '__main__':
    for p1, p2, q, n1, n2 in [('0.1', '0.9', '1', 200, 200)]:
        a, b = approximate_compromise(p1, p2, q, n1, n2)
        print(f'606\tcompromise\t-1\ttails=One approx=1 p1={p1} p2={p2} q={q} n1={n1} n2={n2}\t'
              f'alpha={mp.nstr(a, 15)} beta={mp.nstr(b, 15)}')
