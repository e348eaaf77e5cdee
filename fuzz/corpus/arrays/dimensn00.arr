ArrayDimension:00
2 1 1
1
1
