# Independent reference for the otype_hier deck: R's centroid clustering of the core O-types'
# means (tests/reference/otype_sectors.py, 3 decimals) with their counts; the merge heights,
# square-rooted, are the D-values of the merges in order, and dist() the distance triangle.
M <- matrix(c(7.720,20.320,27.820, 6.100,20.175,33.275, 21.150,13.700,21.300, 28.100,16.650,8.850,
              22.750,27.750,16.183, 13.075,23.500,33.450, 21.433,42.225,21.883, 32.000,21.280,7.380), ncol=3, byrow=TRUE)
n <- c(5,4,2,2,6,4,12,5)
h <- hclust(dist(M)^2, method="centroid", members=n)
print(round(sqrt(h$height),2))
print(round(as.matrix(dist(M)),2)[2:8,1])
# Printed: 5.69 6.23 7.60 14.04 15.02 22.43 23.15; distances to O-type 1: 5.69 16.33 28.08 20.41 8.40 26.52 31.75
