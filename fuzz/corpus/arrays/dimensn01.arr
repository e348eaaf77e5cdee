ArrayDimension:01
4 3 1
100 -1
10
10
10
10
2
2
2
