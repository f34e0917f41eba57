// Small dense linear algebra for the imaging core (row-major, double).
#pragma once

#include <vector>

namespace standin::imaging::linalg {

// Solves the n x n system a x = b by Gaussian elimination with partial pivoting; false when
// the matrix is singular to working precision. a and b are overwritten.
bool bSolve(int n, double* a, double* b, double* x);

// Solves a symmetric positive definite n x n system (only the upper triangle of a is read)
// by Cholesky; false when the matrix is not positive definite to working precision.
bool bSolveSpd(int n, const double* a, const double* b, double* x);

// Eigen-decomposition of a symmetric n x n matrix by cyclic Jacobi rotations: eigenvalues in
// ascending order, eigenvector k in column k of vectors (n x n, row-major).
void vSymmetricEigen(int n, const double* a, std::vector<double>& values, std::vector<double>& vectors);

} // namespace standin::imaging::linalg
