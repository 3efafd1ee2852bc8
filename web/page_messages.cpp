// SPDX-License-Identifier: GPL-3.0-or-later
#include "page_messages.h"

namespace veltrin::web {

namespace {

using Failure = protectedPicture::Failure;

std::u16string number(long long n)
{
    std::u16string digits;
    for (const char c : std::to_string(n))
        digits.push_back(static_cast<char16_t>(c));
    return digits;
}

std::u16string passwordCause(bool passwordEmpty)
{
    return passwordEmpty ? u"没有输入密码：加密时如果设了密码，请在“解密密码”里输入同一个密码。"
                         : u"密码不对：请输入加密时用的密码，大小写要一致；加密时没设密码就留空。";
}

std::u16string decryptAdvice(int errorNumber, const Situation &situation)
{
    std::u16string causes;
    const auto add = [&causes](const std::u16string &cause) { causes += u"\n· " + cause; };
    if (!situation.lossyFormat.empty())
        add(u"这张图片是 " + situation.lossyFormat +
            u" 格式：有损压缩改变了像素，文字已经丢失或出错。加密图片请一直保存为 BMP 或 PNG "
            u"格式。");
    const std::u16string foreign =
        u"图片不完整，或者不是 Veltrin 生成的：请打开 Veltrin 保存的原始 BMP "
        u"图片。经聊天软件、网页或看图软件转存的图片常被压缩、缩放或裁剪，这样的图片解不出文字。";
    // Error 9 says that the picture cannot hold the text its header claims.
    if (errorNumber == RuntimeError::SubscriptOutOfRange) {
        add(foreign);
        add(passwordCause(situation.passwordEmpty));
    } else {
        add(passwordCause(situation.passwordEmpty));
        add(foreign);
    }
    return u"没有解出文字，最可能的原因是：" + causes;
}

} // namespace

std::u16string runtimeErrorText(const RuntimeError &error, const Situation &situation)
{
    const bool cipherError = error.number() == RuntimeError::InvalidProcedureCall ||
                             error.number() == RuntimeError::Overflow ||
                             error.number() == RuntimeError::SubscriptOutOfRange;
    const std::u16string advice = cipherError && situation.decrypting
                                      ? decryptAdvice(error.number(), situation)
                                      : u"操作没有完成。你输入的内容都还在，可以检查后再试一次。";
    return u"运行时错误 '" + number(error.number()) + u"':\n\n" + error.description() + u"\n\n" +
           advice;
}

std::u16string nothingDecryptedText(const Situation &situation)
{
    return decryptAdvice(0, situation);
}

std::u16string protectedFailureText(Failure failure, const Situation &situation)
{
    std::u16string text;
    switch (failure) {
    case Failure::NeedsPassword:
        text = situation.decrypting
                   ? u"这是一张受保护的图片，要有密码才能解开：请在“解密密码”里输入加密时用的密码。"
                   : u"受保护的图片必须设密码：请在“加密密码”里输入密码（最多 20 "
                     u"个字母和数字，越长越难猜），再按“加密”。";
        break;
    case Failure::NotAuthentic:
        text = u"密码不对，或者图片被改动过，没有解出文字。\n\n请输入加密时用的密码，大小写要一致；"
               u"并打开 Veltrin 保存的原始 BMP 或 PNG 图片。";
        break;
    case Failure::Damaged:
        text = u"这张受保护的图片不完整，或者被改动过（尺寸或头部不对），没有解出文字。\n\n"
               u"请打开 Veltrin 保存的原始 BMP 或 PNG 图片。";
        break;
    case Failure::Changed:
        text = u"这张受保护的图片被改动过（密文后面本该空白的像素不是空白），没有解出文字。\n\n"
               u"请打开 Veltrin 保存的原始 BMP 或 PNG 图片。";
        break;
    case Failure::NotConforming:
        text = u"密码是对的，但这张受保护的图片是由不遵循格式的程序生成的，里面的文字无法读出。";
        break;
    case Failure::TooCostly:
        text = u"这张图片要求的密钥计算量超过了这个版本的上限（" +
               number(protectedPicture::defaultCost.opsLimit) + u" 遍、" +
               number(protectedPicture::defaultCost.memLimit >> 20) +
               u" MiB），为了不让窗口卡住，没有解密。它可能被改动过。";
        break;
    case Failure::NewerVersion:
        text = u"这张受保护的图片是更新版本的 Veltrin 生成的，这个版本打不开。请用新版本解密。";
        break;
    case Failure::TextTooLong:
        text = situation.decrypting ? u"这张受保护的图片里的文字超过 12000 个字符，无法解密。"
                                    : u"文字超过 12000 个字符，无法加密。";
        break;
    case Failure::OutOfMemory:
        text = u"内存不够：受保护的图片要用 " +
               number(protectedPicture::defaultCost.memLimit >> 20) +
               u" MiB 内存计算密钥。请关闭一些程序后再试。";
        break;
    case Failure::NotProtected:
    case Failure::None:
        break;
    }
    if (!situation.lossyFormat.empty() &&
        (failure == Failure::NotAuthentic || failure == Failure::Damaged ||
         failure == Failure::Changed))
        text += u"\n\n" + lossyPictureText(u"这张图片", situation.lossyFormat);
    return text;
}

std::u16string lossyPictureText(const std::u16string &subject, const std::u16string &format)
{
    return subject + u"是 " + format +
           u" 格式的图片，用的是有损压缩。\n\n有损压缩会改变像素，所以图片里的文字会丢失或出错，"
           u"而且常常没有任何错误提示。加密图片请一直保存为 BMP 或 PNG 格式。";
}

std::u16string invalidPictureText()
{
    return u"这个文件不是 Veltrin 能读取的图片，或者已经损坏、不完整。";
}

std::u16string robustFailureText(robustPicture::Failure failure, std::size_t fits)
{
    using robustPicture::Failure;
    switch (failure) {
    case Failure::Damaged:
        return u"这张经得起转发的图片损坏得太厉害（压缩、缩小或裁剪得太多），读不出文字。"
               u"请让对方发送原图再试。";
    case Failure::NewerVersion:
        return u"这张经得起转发的图片是更新版本的 Veltrin 做的，这个版本读不了。请更新 Veltrin。";
    case Failure::TextTooLong:
        return u"文字太长，经得起转发的图片放不下（每个换行按 CR LF 算两个字符）。最多能放前 " +
               number(static_cast<long long>(fits)) + u" 个字符。";
    case Failure::NotConforming:
        return u"这张经得起转发的图片是由不遵循格式的程序生成的，里面的文字无法读出。";
    case Failure::NotRobust:
        return invalidPictureText();
    case Failure::None:
        break;
    }
    return {};
}

// The robust kind has no key of its own: a password typed for it would protect nothing.
std::u16string robustPasswordText()
{
    return u"经得起转发的图片本身不用密码：要用密码保护文字，请同时勾选“保护文字”；"
           u"不要密码，请清空“加密密码”。";
}

} // namespace veltrin::web
