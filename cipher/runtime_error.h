// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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
        return {InvalidProcedureCall, u"无效的过程调用或参数"};
    }
    static RuntimeError overflow() { return {Overflow, u"溢出"}; }
    static RuntimeError cellsOutsidePicture()
    {
        return {SubscriptOutOfRange, u"下标越界：图片容不下它标明的文字。可能是密码不对，"
                                     u"或者图片不完整、不是 Veltrin 生成的。"};
    }
    // A text longer than any picture may carry is never drawn.
    static RuntimeError textTooLongToEncrypt()
    {
        return {SubscriptOutOfRange, u"下标越界：要加密的文字超过 12000 个字符"};
    }
    static RuntimeError textTooLong()
    {
        return {SubscriptOutOfRange, u"下标越界：图片里的文字超过 12000 个字符"};
    }

    int number() const noexcept { return number_; }
    const std::u16string &description() const noexcept { return description_; }
    const char *what() const noexcept override { return "veltrin::RuntimeError"; }

private:
    int number_;
    std::u16string description_;
};

} // namespace veltrin
