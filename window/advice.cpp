// SPDX-License-Identifier: GPL-3.0-or-later
#include "advice.h"

#include "qt_adapters.h"

#include <QDir>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace veltrin {

namespace {

constexpr int FileNotFound = 53;
constexpr int PathFileAccessError = 75;
constexpr int InvalidPicture = 481;

QString formatName(const QByteArray &format)
{
    if (format == "jpeg" || format == "jpg")
        return u"JPEG"_s;
    if (format == "webp")
        return u"WebP"_s;
    return QString::fromLatin1(format).toUpper();
}

QString passwordCause(bool passwordEmpty)
{
    return passwordEmpty
               ? u"没有输入密码：加密时如果设了密码，请在“解密密码”里输入同一个密码。"_s
               : u"密码不对：请输入加密时用的密码，大小写要一致；加密时没设密码就留空。"_s;
}

QString decryptAdvice(int number, const ErrorSituation &situation)
{
    if (situation.attempt == Attempt::DecryptDrawn) {
        // The picture was drawn a moment ago, so only the password can be wrong.
        return situation.passwordEmpty
                   ? u"没有解出文字：加密时很可能设了密码，请在“解密密码”里输入同一个密码。"_s
                   : u"没有解出文字：密码很可能不对。请在“解密密码”里输入加密时用的密码，"
                     "大小写要一致；加密时没设密码就留空。"_s;
    }
    QStringList causes;
    if (!situation.lossyFormat.isEmpty()) {
        causes << u"这张图片是 %1 格式：有损压缩改变了像素，文字已经丢失或出错。"
                  "加密图片请一直保存为 BMP 或 PNG 格式。"_s.arg(formatName(situation.lossyFormat));
    }
    const QString foreign = u"图片不完整，或者不是 Veltrin 生成的：请打开 Veltrin 保存的原始 BMP "
                            "图片。经聊天软件、网页或看图软件转存的图片常被压缩、缩放或裁剪，"
                            "这样的图片解不出文字。"_s;
    // Error 9 says that the picture cannot hold the text its header claims.
    if (number == RuntimeError::SubscriptOutOfRange)
        causes << foreign << passwordCause(situation.passwordEmpty);
    else
        causes << passwordCause(situation.passwordEmpty) << foreign;
    return u"没有解出文字，最可能的原因是：\n· "_s + causes.join(u"\n· "_s);
}

QString advice(const RuntimeError &error, const ErrorSituation &situation)
{
    switch (error.number()) {
    case RuntimeError::InvalidProcedureCall:
    case RuntimeError::Overflow:
    case RuntimeError::SubscriptOutOfRange:
        if (situation.attempt != Attempt::Other)
            return decryptAdvice(error.number(), situation);
        break;
    case FileNotFound:
    case PathFileAccessError:
    case InvalidPicture:
        return u"无法读取这个图片文件：请确认文件存在、可以读取，而且是完整的图片。"_s;
    default:
        break;
    }
    return u"操作没有完成。你输入的内容都还在，可以检查后再试一次。"_s;
}

} // namespace

QString runtimeErrorText(const RuntimeError &error, const ErrorSituation &situation)
{
    return u"运行时错误 '%1':\n\n%2\n\n%3"_s.arg(error.number())
        .arg(description(error), advice(error, situation));
}

QString nothingDecryptedText(const ErrorSituation &situation)
{
    return decryptAdvice(0, situation);
}

QString robustFailureText(robustPicture::Failure failure, std::size_t fits)
{
    using robustPicture::Failure;
    switch (failure) {
    case Failure::NewerVersion:
        return u"这张经得起转发的图片是更新版本的 Veltrin 做的，这个版本读不了。请更新 Veltrin。"_s;
    case Failure::TextTooLong:
        return u"文字太长，经得起转发的图片放不下（每个换行按 CR LF 算两个字符）。"
               "最多能放前 %1 个字符。"_s.arg(fits);
    case Failure::NotConforming:
        return u"这张经得起转发的图片是由不遵循格式的程序生成的，里面的文字无法读出。"_s;
    case Failure::None:
        return {};
    case Failure::NotRobust:
    case Failure::Damaged:
        break;
    }
    return u"这张经得起转发的图片损坏得太厉害（压缩、缩小或裁剪得太多），读不出文字。"
           "请让对方发送原图再试。"_s;
}

QString robustPasswordText()
{
    return u"经得起转发的图片本身不用密码：要用密码保护文字，请同时勾选“保护文字”；"
           "不要密码，请清空“加密密码”。"_s;
}

QString protectedFailureText(protectedPicture::Failure failure, const ErrorSituation &situation)
{
    using protectedPicture::Failure;
    const bool decrypting = situation.attempt != Attempt::Other;
    QString text;
    switch (failure) {
    case Failure::NeedsPassword:
        text = decrypting ? u"这是一张受保护的图片，要有密码才能解开：请在“解密密码”里输入"
                            "加密时用的密码。"_s
                          : u"受保护的图片必须设密码：请在“加密密码”里输入密码（最多 20 个字母"
                            "和数字，越长越难猜），再按“加密”。"_s;
        break;
    case Failure::NotAuthentic:
        text = u"密码不对，或者图片被改动过，没有解出文字。\n\n请输入加密时用的密码，大小写要一致；"
               "并打开 Veltrin 保存的原始 BMP 或 PNG 图片。"_s;
        break;
    case Failure::Damaged:
        text = u"这张受保护的图片不完整，或者被改动过（尺寸或头部不对），没有解出文字。\n\n"
               "请打开 Veltrin 保存的原始 BMP 或 PNG 图片。"_s;
        break;
    case Failure::Changed:
        text = u"这张受保护的图片被改动过（密文后面本该空白的像素不是空白），没有解出文字。\n\n"
               "请打开 Veltrin 保存的原始 BMP 或 PNG 图片。"_s;
        break;
    case Failure::NotConforming:
        text = u"密码是对的，但这张受保护的图片是由不遵循格式的程序生成的，里面的文字无法读出。"_s;
        break;
    case Failure::TooCostly:
        text = u"这张图片要求的密钥计算量超过了这个版本的上限（%1 遍、%2 MiB），"
               "为了不让窗口卡住，没有解密。它可能被改动过。"_s
                   .arg(protectedPicture::defaultCost.opsLimit)
                   .arg(protectedPicture::defaultCost.memLimit >> 20);
        break;
    case Failure::NewerVersion:
        text = u"这张受保护的图片是更新版本的 Veltrin 生成的，这个版本打不开。请用新版本解密。"_s;
        break;
    case Failure::TextTooLong:
        text = decrypting ? u"这张受保护的图片里的文字超过 12000 个字符，无法解密。"_s
                          : u"文字超过 12000 个字符，无法加密。"_s;
        break;
    case Failure::OutOfMemory:
        text = u"内存不够：受保护的图片要用 %1 MiB 内存计算密钥。请关闭一些程序后再试。"_s.arg(
            protectedPicture::defaultCost.memLimit >> 20);
        break;
    case Failure::NotProtected:
    case Failure::None:
        break;
    }
    if (!situation.lossyFormat.isEmpty() &&
        (failure == Failure::NotAuthentic || failure == Failure::Damaged ||
         failure == Failure::Changed))
        text += u"\n\n"_s + lossyPictureText(u"这张图片"_s, situation.lossyFormat);
    return text;
}

QString weakPasswordQuestion(const passwordStrength::Verdict &verdict)
{
    using passwordStrength::TimeUnit;
    // Judged by length alone: the browser page's question, word for word.
    if (!verdict.estimated)
        return u"这个密码只有 %1 个字符，很容易被试出来。好的密码至少 %2 个字符，"
               "例如 12 个以上随机的字母和数字。\n\n仍然加密吗？"_s.arg(verdict.characters)
                   .arg(passwordStrength::strongLength);
    const passwordStrength::RoughTime &time = verdict.timeToFind;
    QString found;
    if (time.underASecond) {
        found = u"这个密码不到 1 秒就能被试出来"_s;
    } else {
        const char16_t *unit = u"秒";
        switch (time.unit) {
        case TimeUnit::Second:
            break;
        case TimeUnit::Minute:
            unit = u"分钟";
            break;
        case TimeUnit::Hour:
            unit = u"小时";
            break;
        case TimeUnit::Day:
            unit = u"天";
            break;
        case TimeUnit::Year:
            unit = u"年";
            break;
        }
        found = u"这个密码大约 %1 %2就能被试出来"_s.arg(time.count).arg(QString::fromUtf16(unit));
    }
    if (verdict.tooShort)
        found += u"；它不到 %1 个字符，攻击者多用一些计算机就能更快试出来"_s.arg(
            passwordStrength::strongLength);
    return found + u"。\n\n这是按每秒能试 %1 个密码的攻击者估算的（按这个版本的 Argon2id 计算量，"
                   "约需 %2 个处理器核）。常见的单词、键盘上相连的键和日期都很快就能试出来。"
                   "好的密码至少 %3 个字符，要试 2^%4 次以上，例如 12 个以上随机的字母和数字。\n\n"
                   "仍然加密吗？"_s.arg(passwordStrength::attackerGuessesPerSecond)
                       .arg(passwordStrength::attackerCores)
                       .arg(passwordStrength::strongLength)
                       .arg(passwordStrength::strongBits);
}

QString lossyPictureText(const QString &subject, const QByteArray &format)
{
    return u"%1是 %2 格式的图片，用的是有损压缩。\n\n"
           "有损压缩会改变像素，所以图片里的文字会丢失或出错，而且常常没有任何错误提示。"
           "加密图片请一直保存为 BMP 或 PNG 格式。"_s.arg(subject, formatName(format));
}

QString incompletePictureText(const QString &subject)
{
    return u"%1图片不完整：文件在图片数据结束之前就断了，缺的部分是补上去的。\n\n"
           "这样的图片解不出完整的文字。请打开完整的原始文件。"_s.arg(subject);
}

QString refusedPictureText(const QString &path, const PictureLoad &load)
{
    QString text = u"无法打开图片“%1”：%2。"_s.arg(
        QDir::toNativeSeparators(path), load.reason.isEmpty() ? u"无法读取"_s : load.reason);
    if (load.errorNumber == InvalidPicture)
        text += u"\n这个文件不是 Veltrin 能读取的图片，或者已经损坏、不完整。"_s;
    return text;
}

QString refusedPasteText(const PictureLoad &load)
{
    if (load.errorNumber == 0)
        return u"剪贴板里没有图片。请先复制一张图片或一个图片文件。"_s;
    return u"无法粘贴剪贴板里的图片：%1。"_s.arg(load.reason);
}

} // namespace veltrin
