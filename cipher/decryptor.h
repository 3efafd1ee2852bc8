// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cipher_members.h"

#include <functional>
#include <string>

namespace veltrin {

class CodePage;
class Surface;

// What the Decryptor touches of the Decrypt page; the password is read once.
struct DecryptPage
{
    std::u16string password; // Text4
    const Surface &source;
    std::function<void(const std::u16string &)> setText2;
    std::function<void(bool)> setFrame2_0Enabled;
    std::function<void(bool)> setLabel2_0Enabled;
};

class Decryptor
{
public:
    Decryptor(CipherMembers &members, const CodePage &codePage) : m_(members), codePage_(codePage)
    {}

    // Reads the cipher picture on the page's source surface into Text2. A
    // header whose cells run past the surface, or a text longer than 12000
    // characters, is refused with run-time error 9. A run-time error leaves
    // Text2 unchanged and the members and the page as they are between
    // decryptions, then propagates.
    void run(const DecryptPage &page);

private:
    void decrypt(const DecryptPage &page);

    CipherMembers &m_;
    const CodePage &codePage_;
};

} // namespace veltrin
