// SPDX-License-Identifier: GPL-3.0-or-later
// The core as the page calls it: plain values in, plain values out. Every
// exception stops here, so JavaScript gets a message, never an abort.
#include "bmp_file.h"

#include "cipher_members.h"
#include "code_page.h"
#include "decryptor.h"
#include "encryptor.h"
#include "failure_messages.h"
#include "memory_surface.h"
#include "picture_kind.h"
#include "protected_picture.h"
#include "random_source.h"
#include "robust_picture.h"
#include "runtime_error.h"
#include "window_start.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <deque>
#include <new>
#include <utility>

using emscripten::val;

namespace veltrin::web {

namespace {

// The page speaks Chinese, with the window's words.
using messages::Situation;
constexpr auto Chinese = messages::Language::Chinese;

std::u16string runtimeErrorText(const RuntimeError &error, const Situation &situation)
{
    return messages::runtimeErrorText(error.number(), error.description(), situation, Chinese);
}

std::u16string protectedFailureText(protectedPicture::Failure failure, const Situation &situation)
{
    return messages::protectedFailureText(failure, situation, Chinese);
}

std::u16string robustFailureText(robustPicture::Failure failure, std::size_t fits = 0)
{
    return messages::robustFailureText(failure, fits, Chinese);
}

// The page draws with Math.random, as the window draws from its timer-seeded source.
class Draws final : public RandomSource
{
public:
    explicit Draws(const val &draws)
    {
        const auto n = draws["length"].as<unsigned>();
        for (unsigned i = 0; i < n; ++i)
            draws_.push_back(draws[i].as<double>());
    }
    void seedFromTimer() override {}
    double next() override
    {
        if (draws_.empty())
            throw RuntimeError::invalidProcedureCall();
        const double u = draws_.front();
        draws_.pop_front();
        return u;
    }

private:
    std::deque<double> draws_;
};

Picture pictureOf(int width, int height, const val &rgb)
{
    Picture picture(width, height);
    if (picture.isNull() || rgb["length"].as<std::size_t>() != picture.rgb.size())
        return {};
    val(emscripten::typed_memory_view(picture.rgb.size(), picture.rgb.data()))
        .call<void>("set", rgb);
    return picture;
}

val bytesOf(const std::vector<std::uint8_t> &bytes)
{
    return val(emscripten::typed_memory_view(bytes.size(), bytes.data())).call<val>("slice");
}

// A text as its UTF-16 code units: embind's own string conversion goes through
// TextDecoder, which drops a leading U+FEFF and replaces lone surrogates.
val unitsOf(const std::u16string &text)
{
    static_assert(sizeof(char16_t) == sizeof(std::uint16_t));
    return val(emscripten::typed_memory_view(text.size(),
                                             reinterpret_cast<const std::uint16_t *>(text.data())))
        .call<val>("slice");
}

val pictureResult(const Picture &picture)
{
    val result = val::object();
    result.set("width", picture.width);
    result.set("height", picture.height);
    result.set("rgb", bytesOf(picture.rgb));
    return result;
}

val failed(const std::u16string &message)
{
    val result = val::object();
    result.set("error", message);
    return result;
}

// The window between clicks: its cipher members and its three picture boxes
// at the sizes it starts with, so the page draws what the window draws.
class Window
{
public:
    Window()
        : members_(membersAfterFormLoad()),
          picture1_(startSize::picture1Width, startSize::picture1Height),
          picture4_(startSize::picture4Width, startSize::picture4Height),
          picture5_(startSize::picture5Width, startSize::picture5Height)
    {}

    // The next text to encrypt, written by the page unit by unit straight
    // into the module's memory: no string is built on either side.
    val textBuffer(unsigned length)
    {
        text_.assign(length, u'\0');
        return val(
            emscripten::typed_memory_view(length, reinterpret_cast<std::uint16_t *>(text_.data())));
    }

    val encrypt(const std::u16string &password, const val &draws)
    {
        const std::u16string text = std::exchange(text_, {});
        if (text.empty())
            return val::object();
        Draws random(draws);
        try {
            Encryptor(members_, random, codePage936())
                .run({text, password, picture1_, picture5_, [](bool) {}, [](bool) {}});
        } catch (const RuntimeError &error) {
            return failed(runtimeErrorText(error, {}));
        }
        return pictureResult(picture5_.pixels());
    }

    val seal(const std::u16string &password)
    {
        const std::u16string text = std::exchange(text_, {});
        if (text.empty())
            return val::object();
        const protectedPicture::Sealed sealed = sealText(text, password);
        if (sealed.failure != protectedPicture::Failure::None)
            return failed(protectedFailureText(sealed.failure, {}));
        protectedPicture::show(sealed.image, picture1_, picture5_);
        return pictureResult(picture5_.pixels());
    }

    val robust(const std::u16string &password)
    {
        const std::u16string text = std::exchange(text_, {});
        if (text.empty())
            return val::object();
        if (!password.empty())
            return failed(messages::chinese(messages::robustPassword));
        return robustResult(robustPicture::encode(text));
    }

    // Sealed as a protected picture, whose bytes a robust one then carries.
    val sealRobust(const std::u16string &password)
    {
        const std::u16string text = std::exchange(text_, {});
        if (text.empty())
            return val::object();
        const protectedPicture::Sealed sealed = sealText(text, password);
        if (sealed.failure != protectedPicture::Failure::None)
            return failed(protectedFailureText(sealed.failure, {}));
        const robustPicture::Encoded encoded = robustPicture::encodeSealed(sealed.image);
        // The seal's own limit of 12000 characters lies well within the robust picture's room.
        if (encoded.failure == robustPicture::Failure::TextTooLong)
            return failed(protectedFailureText(protectedPicture::Failure::TextTooLong, {}));
        return robustResult(encoded);
    }

    // Decrypts an opened picture; `lossy` names its lossy format, else empty.
    val decrypt(int width, int height, const val &rgb, const std::u16string &password,
                const std::u16string &lossy)
    {
        Picture picture = pictureOf(width, height, rgb);
        const Situation situation{Attempt::DecryptOpened, password.empty(), lossy};
        if (picture.isNull())
            return failed(messages::chinese(messages::notVeltrinPicture));
        const Recognition kind = recognise(picture);
        if (kind.kind == PictureKind::Protected)
            return decryptProtected(picture, kind, password, situation);
        if (kind.kind == PictureKind::Robust)
            return decryptRobust(picture, kind, password);
        // A robust header that names a newer version or an impossible layout:
        // the classic decryptor's advice would send the reader the wrong way.
        if (kind.robustFailure != robustPicture::Failure::NotRobust)
            return failed(robustFailureText(kind.robustFailure));
        // Moved, not copied: the pixels crossed into the module once already.
        picture4_.setPicture(std::move(picture));
        val result = val::object();
        bool nothing = false;
        try {
            Decryptor(members_, codePage936())
                .run({password, picture4_,
                      [&](const std::u16string &text) {
                          result.set("text", unitsOf(text));
                          nothing = text.empty();
                      },
                      [](bool) {}, [](bool) {}});
        } catch (const RuntimeError &error) {
            return failed(runtimeErrorText(error, situation));
        }
        if (nothing)
            return failed(messages::nothingDecryptedText(situation, Chinese));
        // Lossy pictures mostly decrypt without any error, into a wrong text.
        if (!lossy.empty() && result.hasOwnProperty("text"))
            result.set("warning",
                       messages::lossyPictureText(messages::thisPicture.chinese, lossy, Chinese));
        return result;
    }

private:
    static protectedPicture::Sealed sealText(const std::u16string &text,
                                             const std::u16string &password)
    {
        protectedPicture::SystemRandomBytes random;
        protectedPicture::Sealed sealed{{}, protectedPicture::Failure::NeedsPassword};
        if (!password.empty()) {
            try {
                sealed = protectedPicture::seal(text, password, random);
            } catch (const std::bad_alloc &) {
                sealed.failure = protectedPicture::Failure::OutOfMemory;
            }
        }
        return sealed;
    }

    static val robustResult(const robustPicture::Encoded &encoded)
    {
        if (encoded.failure != robustPicture::Failure::None)
            return failed(robustFailureText(encoded.failure, encoded.fits));
        return pictureResult(encoded.image);
    }

    // Made for lossy channels, so a JPEG is no cause for a warning; a sealed
    // one is opened as the protected picture it carries.
    val decryptRobust(const Picture &picture, const Recognition &kind,
                      const std::u16string &password)
    {
        const Situation situation{Attempt::DecryptOpened, password.empty(), {}};
        if (const protectedPicture::Failure refusal = kind.refusal(password);
            refusal != protectedPicture::Failure::None)
            return failed(protectedFailureText(refusal, situation));
        const robustPicture::Decoded decoded = robustPicture::decode(picture, *kind.grid);
        if (decoded.failure != robustPicture::Failure::None)
            return failed(robustFailureText(decoded.failure));
        if (kind.sealed()) {
            const Recognition inner = recognise(decoded.sealed);
            if (inner.kind != PictureKind::Protected)
                return failed(robustFailureText(robustPicture::Failure::Damaged));
            return decryptProtected(decoded.sealed, inner, password, situation);
        }
        val result = val::object();
        result.set("text", unitsOf(decoded.text));
        return result;
    }

    val decryptProtected(const Picture &picture, const Recognition &kind,
                         const std::u16string &password, const Situation &situation)
    {
        protectedPicture::Opened opened{{}, kind.refusal(password)};
        if (opened.failure == protectedPicture::Failure::None) {
            try {
                opened = protectedPicture::open(picture, password);
            } catch (const std::bad_alloc &) {
                opened.failure = protectedPicture::Failure::OutOfMemory;
            }
        }
        if (opened.failure != protectedPicture::Failure::None)
            return failed(protectedFailureText(opened.failure, situation));
        val result = val::object();
        result.set("text", unitsOf(opened.text));
        if (opened.text.empty())
            result.set("warning", messages::chinese(messages::protectedEmptyText));
        return result;
    }

    std::u16string text_;
    CipherMembers members_;
    MemorySurface picture1_;
    MemorySurface picture4_;
    MemorySurface picture5_;
};

// What the picture is, before any key is derived: "protected" and
// "robust-protected" pictures need the worker's time and memory, "robust"
// and "classic" ones do not.
std::string kindOf(int width, int height, const val &rgb)
{
    const Picture picture = pictureOf(width, height, rgb);
    if (picture.isNull())
        return "none";
    const Recognition kind = recognise(picture);
    if (kind.kind == PictureKind::Protected)
        return "protected";
    if (kind.kind == PictureKind::Robust)
        return kind.sealed() ? "robust-protected" : "robust";
    return "classic";
}

val bmpFile(int width, int height, const val &rgb)
{
    const Picture picture = pictureOf(width, height, rgb);
    return picture.isNull() ? val::null() : bytesOf(bmpFileOf(picture));
}

} // namespace

EMSCRIPTEN_BINDINGS(veltrin)
{
    emscripten::class_<Window>("Window")
        .constructor<>()
        .function("textBuffer", &Window::textBuffer)
        .function("encrypt", &Window::encrypt)
        .function("seal", &Window::seal)
        .function("robust", &Window::robust)
        .function("sealRobust", &Window::sealRobust)
        .function("decrypt", &Window::decrypt);
    emscripten::function("kindOf", &kindOf);
    emscripten::function("bmpFile", &bmpFile);
}

} // namespace veltrin::web
