// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Reed-Solomon over GF(256) with the polynomial x^8 + x^4 + x^3 + x^2 + 1 and
// the generator's roots alpha^0 .. alpha^(parity - 1), alpha = 2: the code QR
// uses, so its published codewords check this one.
namespace veltrin::reedSolomon {

// The generator polynomial of `parity` roots, highest power first, monic.
std::vector<std::uint8_t> generator(int parity);

// The parity bytes that follow `data`; data.size() + parity <= 255.
std::vector<std::uint8_t> parity(std::span<const std::uint8_t> data, int parity);

// Corrects up to parity / 2 wrong bytes of a whole codeword (data then
// parity) in place. False when the codeword is beyond repair; it is then left
// as it came.
bool correct(std::span<std::uint8_t> codeword, int parity);
// The same, told that the bytes at `erasures` (indices into the codeword,
// distinct) are doubtful: e erasures and t wrong bytes elsewhere are mended
// while e + 2 t <= parity.
bool correct(std::span<std::uint8_t> codeword, int parity, std::span<const int> erasures);

// Arithmetic in the field, for the tests' own checks.
std::uint8_t multiply(std::uint8_t a, std::uint8_t b);
std::uint8_t power(int exponent); // alpha^exponent

} // namespace veltrin::reedSolomon
