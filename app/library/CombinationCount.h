#pragma once

// Number of ways to choose k of n entries. The product n·(n−1)·…·(n−k+1) and
// k! are converted to 32-bit integers before the integer division; when the
// product does not fit, the result is 999999999 (for k = 4 from n = 217 on).
double CombinationCount(int n, int k);
