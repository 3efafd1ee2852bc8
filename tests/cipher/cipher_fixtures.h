// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cipher_members.h"
#include "cipher_picture.h"
#include "code_page.h"
#include "decryptor.h"
#include "encryptor.h"
#include "fakes.h"
#include "picture_surface.h"
#include "qt_adapters.h"
#include "runtime_error.h"
#include "surface.h"

#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace veltrin::testing {

// ---- The layout, worked out independently of the cipher's own walk ----

struct Cell
{
    int column;
    int row;
    friend bool operator==(const Cell &, const Cell &) = default;
    friend auto operator<=>(const Cell &, const Cell &) = default;
};

inline std::ostream &operator<<(std::ostream &os, const Cell &c)
{
    return os << '(' << c.column << ", " << c.row << ')';
}

inline int referenceRowLimit(int length)
{
    int n = 0;
    while (static_cast<long long>(n + 1) * (n + 1) <= length)
        ++n;
    return n;
}

// Cell of character i (1-based) of a text of `length` characters.
inline Cell referenceCell(int i, int length)
{
    const int n = referenceRowLimit(length);
    const int m = n >= 3 ? n - 2 : 0;
    if (i <= m)
        return {i + 2, 0};
    const int j = i - m - 1;
    return {j % (n + 1), 1 + j / (n + 1)};
}

// Outer size, in twips, by the canvas rule.
inline std::pair<int, int> referenceCanvas(int length)
{
    const int n = referenceRowLimit(length);
    const int rowWidth = n >= 2 ? 15 * n : (length <= 2 ? 30 : 15);
    return {rowWidth + 50, 15 * referenceCell(length, length).row + 50};
}

// ---- Random numbers that give chosen factors ----

inline double uForFactorA(int factorA)
{
    return (factorA - 1000000 + 0.5) / 1000000.0;
}
inline double uForFactorB(int factorB)
{
    return factorB == 2 ? 0.25 : 0.9;
}

// ---- What a procedure does to the page, in order ----

using Log = std::vector<std::string>;

inline std::function<void(bool)> logEnabled(Log &log, std::string control)
{
    return [&log, control](bool on) { log.push_back(control + (on ? " on" : " off")); };
}

inline std::string twips(float value)
{
    return std::to_string(static_cast<long long>(value));
}

// Forwards to a real surface, logs each call that changes it, and can fail
// a chosen call as a control that reports an error would.
class RecordingSurface final : public Surface
{
public:
    RecordingSurface(Surface &inner, std::string name, Log &log)
        : inner_(inner), name_(std::move(name)), log_(log)
    {}

    // The `occurrence`-th call named `call` (as logged, e.g. "PSet") raises error `number`.
    void failOn(std::string call, int occurrence, int number)
    {
        failCall_ = std::move(call);
        failOccurrence_ = occurrence;
        failNumber_ = number;
    }

    void Cls() override
    {
        record("Cls", "Cls");
        inner_.Cls();
    }
    void PSet(float x, float y, std::int32_t colour) override
    {
        record("PSet", "PSet(" + twips(x) + "," + twips(y) + ")=" + std::to_string(colour));
        inner_.PSet(x, y, colour);
    }
    std::int32_t Point(float x, float y) const override { return inner_.Point(x, y); }
    float Width() const override { return inner_.Width(); }
    float Height() const override { return inner_.Height(); }
    void setWidth(float value) override
    {
        record("Width", "Width=" + twips(value));
        inner_.setWidth(value);
    }
    void setHeight(float value) override
    {
        record("Height", "Height=" + twips(value));
        inner_.setHeight(value);
    }
    Picture Image() const override { return inner_.Image(); }
    void PaintPicture(const Picture &picture, float x, float y) override
    {
        record("PaintPicture", "PaintPicture(" + twips(x) + "," + twips(y) + ")");
        inner_.PaintPicture(picture, x, y);
    }
    void Refresh() override
    {
        record("Refresh", "Refresh");
        inner_.Refresh();
    }

private:
    void record(const std::string &call, const std::string &entry)
    {
        log_.push_back(name_ + "." + entry);
        if (call == failCall_ && ++calls_[call] == failOccurrence_)
            throw RuntimeError(failNumber_, u"control failure");
    }

    Surface &inner_;
    std::string name_;
    Log &log_;
    std::string failCall_;
    int failOccurrence_ = 0;
    int failNumber_ = 0;
    std::map<std::string, int> calls_;
};

// A hand-made source picture of any values, read by cell; -1 outside.
class CellSurface final : public Surface
{
public:
    CellSurface(int columns, int rows, std::int32_t background = PictureSurface::white)
        : columns_(columns), rows_(rows),
          cells_(static_cast<std::size_t>(columns * rows), background)
    {}

    void set(int column, int row, std::int32_t value) { cells_.at(index(column, row)) = value; }
    // The first read of `cell` raises error `number`.
    void failOnRead(std::optional<Cell> cell, int number)
    {
        failCell_ = cell;
        failNumber_ = number;
    }
    // Every cell read so far, in order, repeats included.
    const std::vector<Cell> &reads() const { return reads_; }

    std::int32_t Point(float x, float y) const override
    {
        const Cell cell{static_cast<int>(std::floor(x / 15)), static_cast<int>(std::floor(y / 15))};
        reads_.push_back(cell);
        if (failCell_ && cell == *failCell_) {
            failCell_.reset();
            throw RuntimeError(failNumber_, u"control failure");
        }
        if (cell.column < 0 || cell.row < 0 || cell.column >= columns_ || cell.row >= rows_)
            return -1;
        return cells_[index(cell.column, cell.row)];
    }

    // The Decryptor only reads.
    void Cls() override { ADD_FAILURE() << "Cls on a source picture"; }
    void PSet(float, float, std::int32_t) override { ADD_FAILURE() << "PSet on a source picture"; }
    float Width() const override { return static_cast<float>(15 * (columns_ + 2)); }
    float Height() const override { return static_cast<float>(15 * (rows_ + 2)); }
    void setWidth(float) override { ADD_FAILURE() << "resize of a source picture"; }
    void setHeight(float) override { ADD_FAILURE() << "resize of a source picture"; }
    Picture Image() const override { return {}; }
    void PaintPicture(const Picture &, float, float) override { ADD_FAILURE() << "PaintPicture"; }
    void Refresh() override {}

private:
    std::size_t index(int column, int row) const
    {
        return static_cast<std::size_t>(row * columns_ + column);
    }

    int columns_;
    int rows_;
    std::vector<std::int32_t> cells_;
    mutable std::vector<Cell> reads_;
    mutable std::optional<Cell> failCell_;
    int failNumber_ = 0;
};

// ---- The window's members as Form_Load leaves them ----

inline CipherMembers loadedMembers()
{
    CipherMembers m;
    m.writeX = 30;
    m.readX = 30;
    return m;
}

inline void expectSameMembers(const CipherMembers &a, const CipherMembers &b)
{
    EXPECT_EQ(a.key, b.key);
    EXPECT_EQ(a.keyIndex, b.keyIndex);
    EXPECT_EQ(a.charIndex, b.charIndex);
    EXPECT_EQ(a.writeX, b.writeX);
    EXPECT_EQ(a.writeY, b.writeY);
    EXPECT_EQ(a.rowWidth, b.rowWidth);
    EXPECT_EQ(a.factorA, b.factorA);
    EXPECT_EQ(a.factorB, b.factorB);
    EXPECT_EQ(a.readX, b.readX);
    EXPECT_EQ(a.readY, b.readY);
    EXPECT_EQ(a.readLength, b.readLength);
    EXPECT_EQ(a.readFactorA, b.readFactorA);
    EXPECT_EQ(a.readFactorB, b.readFactorB);
    EXPECT_EQ(a.decodedText, b.decodedText);
}

// ---- The Encrypt and Decrypt pages around real picture surfaces ----

// Sizes of Picture1, Picture5 and Picture4 in the window's layout.
constexpr float picture1Width = 2325, picture1Height = 795;
constexpr float picture5Width = 2565, picture5Height = 915;

struct CipherRig
{
    CipherMembers members = loadedMembers();
    ScriptedRandom random;
    PictureSurface picture1{picture1Width, picture1Height};
    PictureSurface picture5{picture5Width, picture5Height};
    Log log;
    RecordingSurface recorded1{picture1, "Picture1", log};
    RecordingSurface recorded5{picture5, "Picture5", log};
    Encryptor encryptor{members, random, codePage936()};
    Decryptor decryptor{members, codePage936()};

    QString text2 = QStringLiteral("(Text2 untouched)");
    int text2Sets = 0;

    void encrypt(const QString &text, const QString &password, int factorA, int factorB)
    {
        random.push(uForFactorA(factorA));
        random.push(uForFactorB(factorB));
        encryptRaw(text, password);
    }

    void encryptRaw(const QString &text, const QString &password)
    {
        encryptor.run(EncryptPage{toU16(text), toU16(password), recorded1, recorded5,
                                  logEnabled(log, "Label2(1)"), logEnabled(log, "Frame1(0)")});
    }

    void decrypt(const Surface &source, const QString &password)
    {
        decryptor.run(DecryptPage{toU16(password), source,
                                  [this](const std::u16string &text) {
                                      text2 = fromU16(text);
                                      ++text2Sets;
                                      log.push_back("Text2 set");
                                  },
                                  logEnabled(log, "Frame2(0)"), logEnabled(log, "Label2(0)")});
    }
};

// Runs `operation` and returns the number of the run-time error it raised, if any.
inline std::optional<int> runtimeErrorOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const RuntimeError &error) {
        return error.number();
    }
    return std::nullopt;
}

// Codes of a text in code page 936.
inline std::vector<std::int16_t> codesOf(const QString &text)
{
    return codePage936().codes(toU16(text));
}

// A text of `length` characters drawn from ASCII, GBK Chinese and line breaks,
// the same for the same seed.
QString mixedText(int length, unsigned seed);

// Checks every pixel of a cipher picture: the drawing area's size, the three
// header cells, one data cell per character, and the background elsewhere.
void expectCipherPicture(const Surface &surface, const QString &text, int key, int factorA,
                         int factorB, std::int32_t background = PictureSurface::white);

} // namespace veltrin::testing
