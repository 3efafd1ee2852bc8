// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The robust picture: the text as zstd-compressed UTF-8, or a protected
// picture's sealed bytes, under Reed-Solomon, drawn in black and white modules
// of several pixels behind timing edges, so it survives JPEG, 4:2:0 chroma and
// scaling. docs/robust-picture.md has the layout.
namespace veltrin::robustPicture {

constexpr int version = 2; // written; 1 is still read
constexpr int longestSide = 1280;
constexpr std::size_t longestText = 12000; // UTF-16 units, as the text box

enum class Failure {
    None,
    NotRobust, // no timing edges, or no header that decodes behind them
    NewerVersion,
    Damaged, // more wrong modules than the correction mends
    // Corrected without error, yet holding bytes the format forbids: the
    // maker does not follow the format, and no better picture will help.
    NotConforming,
    TextTooLong,
};

struct Encoded
{
    Picture image; // null on failure
    Failure failure = Failure::None;
    std::size_t fits = 0; // with TextTooLong: the longest prefix, in UTF-16 units, that fits
};
// `formatVersion` 1 draws what Veltrin drew before it found pictures inside
// screenshots, for readers that have not caught up.
Encoded encode(std::u16string_view text, int formatVersion = version);
// Carries a picture that protectedPicture::seal made, byte for byte; its
// text is never packed, so the seal's length tells no more than it does there.
Encoded encodeSealed(const Picture &sealed);

// What the payload is.
enum class Packing : std::uint8_t {
    Plain = 0,  // UTF-8
    Zstd = 1,   // a zstd frame of the UTF-8
    Sealed = 2, // a protected picture's bytes
};

// Where a picture's grid lies; found by the detector, used by the decoder.
struct Grid
{
    int modules = 0; // per side, the timing edges included
    int parity = 0;  // Reed-Solomon bytes per block
    int payload = 0; // bytes before correction
    Packing packing = Packing::Plain;
    int version = 1;
    // The grid's outer edges in the picture read, in pixels: a version 1
    // grid fills its picture, a version 2 one is found inside a larger one.
    double left = 0, top = 0, right = 0, bottom = 0;
};

struct Detected
{
    std::optional<Grid> grid; // none: not a robust picture
    Failure failure = Failure::NotRobust;
};
// Cheap: reads the edges and the header only.
Detected detect(const Picture &image);

struct Decoded
{
    std::u16string text;
    Picture sealed; // with Packing::Sealed: the protected picture, to open with the password
    Failure failure = Failure::None;
};
Decoded decode(const Picture &image);
Decoded decode(const Picture &image, const Grid &grid);

} // namespace veltrin::robustPicture
