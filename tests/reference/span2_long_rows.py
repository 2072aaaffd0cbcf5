# Independent values for the decks span2_row_400, span2_row_450 and span2_page_lengths:
# every variable has the coefficients (0.8, 0.1, 0.1) on three factors, so all of them are
# one point of the sphere picture. Gives the point's screen position and depth label, the
# shares and communalities, the spotter layout at line width 118 (o entries to a line, the
# groups of the row), where its pages break under the component's reservation (one line
# per group, lines left nlpage - 1 after a page header, a block fits while it is smaller
# than the lines left), the cross-reference pages, and the page length a picture needs.
# Run with /usr/bin/python3; its output is span2_long_rows.out.
import math
import numpy as np

f = np.float32
row = np.array([0.8, 0.1, 0.1], dtype=f)
h2 = f(0)
for x in row:
    h2 = f(h2 + x * x)
b = row * (f(1) / np.sqrt(h2))           # the unit row, single precision
S = b.copy()                              # every point has the same vector, so the centroid
g = S / np.linalg.norm(S.astype(np.float64))  # direction is the point itself
h = 1 + g[0]; u = -g[1] * g[2] / h; v = 1 - g[1] ** 2 / h; t = 1 - g[2] ** 2 / h
M = np.array([[g[0], g[1], g[2]], [-g[1], v, u], [-g[2], u, t]])
z, x, y = M @ b.astype(np.float64)
col = math.trunc((x + 1.03) * 50)
rw = 62 - math.trunc((y + 1.05) * 30)
depth = math.trunc(z * 100)
print("h2 %.3f" % h2, "share %.3f" % float((b.astype(np.float64) ** 2).sum()))
print("turned z %.6f x %.2e y %.2e" % (z, x, y))
print("row", rw, "col-1", col - 1, "depth", depth, "label depth", max(-99, min(99, depth)))

c = 117                                   # line width less one at 118
w = 21                                    # right-justified names: 20 + 1
o = (c - 4) // w
uu = (c - w * o - 4) // o
r = c - o * (w + uu) - 4
print("spotter o", o, "u", uu, "r", r)

for n, nlpage in ((380, 78), (385, 78), (400, 78), (450, 78), (999, 78), (999, 71), (999, 999)):
    groups = -(-n // o)
    whole = groups < nlpage
    print("points", n, "page length", nlpage, "groups", groups,
          "kept on one page" if whole else "runs on over pages")
    if whole:
        # the spotter header leaves nlpage - 1 lines; a block as long as that breaks again
        print("  row starts on", "the next page" if groups >= nlpage - 1 else "the heading page")
    else:
        left = nlpage - 1                 # after the spotter page header
        page, first = 1, 0
        for grp in range(groups):
            if 1 >= left:
                print("  spotter page", page, "groups", first, "to", grp - 1,
                      "points", first * o + 1, "to", grp * o)
                page, first, left = page + 1, grp, nlpage - 1
            else:
                left -= 1
        print("  spotter page", page, "groups", first, "to", groups - 1,
              "points", first * o + 1, "to", n)
    lines = nlpage - 2                    # cross-reference lines to a page, 3 columns
    m = 3
    for p, start in enumerate(range(1, n + 1, m * lines), 1):
        end = min(n, start + m * lines - 1)
        print("  cross reference page", p, "entries", start, "to", end)

# The picture: blank, heading, blank, two rulers, blank, 61 rows, blank, two rulers.
records = 1 + 1 + 1 + 2 + 1 + 61 + 1 + 2
print("picture records", records, "needs a page length of", records + 1)
