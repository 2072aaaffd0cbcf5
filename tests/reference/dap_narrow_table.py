# Means and standard deviations (divisor N) of the deck dap_narrow_table; the statistics
# table on a line of 50 characters must still show them as separate columns.
import numpy as np

x = np.array([[10.0, 1.5, 100.0], [20.0, 2.5, 300.0], [30.0, 4.5, 200.0], [40.0, 3.5, 400.0]],
             dtype=np.float32)
for j in range(3):
    print(f"{j + 1} mean {x[:, j].mean():.3f} sigma {x[:, j].std():.3f} "
          f"min {x[:, j].min():.3f} max {x[:, j].max():.3f}")
