// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "messages.h"

#include <exception>
#include <string>

namespace veltrin {

// A run-time error as the procedures raise it: it stops the procedure
// wherever it happens and is reported once, where the event handler ends.
class RuntimeError : public std::exception
{
public:
    enum Number : int {
        InvalidProcedureCall = 5,
        Overflow = 6,
        // A picture that cannot hold the text its header claims: its cells run
        // past the picture, or its text is longer than any Veltrin writes.
        SubscriptOutOfRange = 9,
    };

    RuntimeError(int number, std::u16string description)
        : number_(number), description_(std::move(description))
    {}

    static RuntimeError invalidProcedureCall()
    {
        return {InvalidProcedureCall, messages::chinese(messages::invalidCall)};
    }
    static RuntimeError overflow() { return {Overflow, messages::chinese(messages::overflow)}; }
    static RuntimeError cellsOutsidePicture()
    {
        return {SubscriptOutOfRange, messages::chinese(messages::cellsOutsidePicture)};
    }
    // A text longer than any picture may carry is never drawn.
    static RuntimeError textTooLongToEncrypt()
    {
        return {SubscriptOutOfRange, messages::chinese(messages::textTooLongToEncrypt)};
    }
    static RuntimeError textTooLong()
    {
        return {SubscriptOutOfRange, messages::chinese(messages::pictureTextTooLong)};
    }

    int number() const noexcept { return number_; }
    const std::u16string &description() const noexcept { return description_; }
    const char *what() const noexcept override { return "veltrin::RuntimeError"; }

private:
    int number_;
    std::u16string description_;
};

} // namespace veltrin
