#pragma once
// All roots of a real polynomial as the eigenvalues of its companion matrix:
// the matrix is balanced, reduced by the Francis double-shift QR iteration
// (it is upper Hessenberg from the start) and every eigenvalue is then
// polished by Newton steps on the full polynomial, so a root does not carry
// the rounding of a deflated remainder.

#include <complex>
#include <vector>

namespace vox {

// Coefficients a[0..d], highest power first (a[0]·z^d + … + a[d]). Leading
// zero coefficients lower the degree; trailing zeros are roots at 0. Returns
// false only when the coefficients are not finite, a[0..d] are all zero, or
// the QR iteration does not settle (60 sweeps per eigenvalue, with an
// exceptional shift every tenth).
// Complex roots come in conjugate pairs, the one with the positive
// imaginary part first.
bool PolynomialRoots(const double* a, int d, std::vector<std::complex<double>>& roots);

// Upper Hessenberg eigenvalues in place (row-major n×n, destroyed). False
// when an eigenvalue does not converge.
bool HessenbergEigenvalues(std::vector<double>& h, int n, std::vector<std::complex<double>>& eig);

}  // namespace vox
