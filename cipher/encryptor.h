// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cipher_members.h"

#include <functional>
#include <string>

namespace veltrin {

class CodePage;
class RandomSource;
class Surface;

// What the Encryptor touches of the Encrypt page; the texts are read once.
struct EncryptPage
{
    std::u16string text;     // Text1
    std::u16string password; // Text3
    Surface &picture1;
    Surface &picture5;
    std::function<void(bool)> setLabel2_1Enabled;
    std::function<void(bool)> setFrame1_0Enabled;
};

class Encryptor
{
public:
    Encryptor(CipherMembers &members, RandomSource &random, const CodePage &codePage)
        : m_(members), random_(random), codePage_(codePage)
    {}

    // Draws the cipher picture of the page's text on Picture1 and copies it to
    // Picture5. A run-time error leaves the members and the page as they are
    // between encryptions, then propagates.
    void run(const EncryptPage &page);

private:
    void encrypt(const EncryptPage &page);

    CipherMembers &m_;
    RandomSource &random_;
    const CodePage &codePage_;
};

} // namespace veltrin
