// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture.h"
#include "random_source.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veltrin {

class Surface;

// The protected picture: the text as UTF-8, padded, sealed with
// XChaCha20-Poly1305 under a key that Argon2id derives from the password,
// 3 bytes to a pixel behind a signature. docs/protected-picture.md has the
// layout byte by byte.
namespace protectedPicture {

constexpr int version = 1;
constexpr int argon2id13 = 2; // crypto_pwhash_ALG_ARGON2ID13
constexpr int saltBytes = 16;
constexpr int nonceBytes = 24;
constexpr int tagBytes = 16;
constexpr int headerBytes = 69; // signature to nonce; 23 pixels
constexpr int padBlock = 256;
// 12000 UTF-16 units are at most 36000 UTF-8 bytes; padding always adds one.
constexpr int longestPadded = (36000 / padBlock + 1) * padBlock;

struct KdfCost
{
    std::uint32_t opsLimit = 0;
    std::uint64_t memLimit = 0; // bytes
    bool operator==(const KdfCost &) const = default;
};

// What this version writes, and the most it spends on any picture: 3 passes
// over 256 MiB (libsodium's MODERATE), about half a second on a 2-core machine.
constexpr KdfCost defaultCost{3, 256ull << 20};

enum class Failure {
    None,
    NotProtected,  // no signature: a classic picture, or none of Veltrin's
    NewerVersion,  // a format version this one does not know
    TooCostly,     // asks for more passes or memory than this version spends
    Damaged,       // the layout does not hold: cut short, resized, values out of range
    NeedsPassword, // a protected picture is never made or opened without one
    NotAuthentic,  // a wrong password, or any pixel changed
    Changed,       // the blank fill after the seal is not blank: a changed pixel
    NotConforming, // an authentic seal around bytes the format does not allow
    TextTooLong,   // more than the text box holds
    OutOfMemory,   // Argon2id could not have its memory
};

// The header as stored; nothing in it depends on the password.
struct Header
{
    int version = 0;
    int algorithm = 0;
    KdfCost cost;
    std::uint32_t sealedBytes = 0; // padded text and tag
    std::uint32_t paddedBytes() const { return sealedBytes - tagBytes; }
};

// Whether the picture starts with the signature; the password never decides the kind.
bool hasSignature(const Picture &image);

struct HeaderRead
{
    Header header;
    Failure failure = Failure::None;
};
// Reads and checks the header and the picture's size against it; never hashes.
HeaderRead readHeader(const Picture &image, const KdfCost &bound = defaultCost);

struct Sealed
{
    Picture image; // null on failure
    Failure failure = Failure::None;
};
// Salt and nonce come from `random`.
Sealed seal(std::u16string_view text, std::u16string_view password, RandomBytes &random,
            const KdfCost &cost = defaultCost);

struct Opened
{
    std::u16string text;
    Failure failure = Failure::None;
};
// Seals bytes already padded to whole blocks: seal() pads the text's UTF-8 and
// calls it; anything else that writes the format may seal other bytes.
Sealed sealPadded(std::span<const unsigned char> padded, std::u16string_view password,
                  RandomBytes &random, const KdfCost &cost = defaultCost);

// The format's bytes, signature to the end of the seal, of a picture that
// readHeader accepts under defaultCost; empty for any other.
std::vector<unsigned char> streamOf(const Picture &image);
// The picture whose bytes `stream` begins, the rest blank, as sealPadded draws it.
Picture pictureOf(std::span<const unsigned char> stream);
constexpr int longestStream = headerBytes + longestPadded + tagBytes;

// Refuses a picture that claims more than `bound` before any hashing.
Opened open(const Picture &image, std::u16string_view password, const KdfCost &bound = defaultCost);

// Shows a sealed picture where the Encryptor puts a classic one: on the work
// surface at its size, and copied to the result surface that Save writes.
void show(const Picture &image, Surface &picture1, Surface &picture5);

// libsodium's randombytes_buf.
class SystemRandomBytes final : public RandomBytes
{
public:
    void fill(std::span<unsigned char> bytes) override;
};

} // namespace protectedPicture
} // namespace veltrin
