// SPDX-License-Identifier: GPL-3.0-or-later
#include "cipher_members.h"
#include "code_page.h"
#include "core_fakes.h"
#include "decryptor.h"
#include "encryptor.h"
#include "memory_surface.h"
#include "runtime_error.h"
#include "window_start.h"

#include <gtest/gtest.h>

namespace veltrin::testing {
namespace {

// The window's whole path on plain surfaces: what the page will do.
TEST(CoreRoundTrip, TextsComeBackThroughThePlainSurface)
{
    struct Case
    {
        const char *name;
        std::u16string text;
        std::u16string password;
    };
    std::u16string longest;
    for (int i = 0; longest.size() < 12000; ++i)
        longest += i % 50 == 0 ? u"\r\n" : i % 3 ? u"加" : u"z";
    longest.resize(12000);
    const Case cases[] = {
        {"one", u"a", u""},
        {"three", u"abc", u"pw"},
        {"chinese", u"加密解密，你好", u"Zz9"},
        {"longest", longest, std::u16string(20, u'z')},
    };
    for (const Case &c : cases) {
        CipherMembers members = membersAfterFormLoad();
        ScriptedRandom random{0.37, 0.9};
        MemorySurface picture1(startSize::picture1Width, startSize::picture1Height);
        MemorySurface picture5(startSize::picture5Width, startSize::picture5Height);
        Encryptor(members, random, codePage936())
            .run({c.text, c.password, picture1, picture5, [](bool) {}, [](bool) {}});
        ASSERT_TRUE(picture5.Image() == picture1.Image()) << c.name;

        MemorySurface picture4(startSize::picture4Width, startSize::picture4Height);
        picture4.setPicture(picture5.Image());
        std::u16string text2;
        Decryptor(members, codePage936())
            .run({c.password, picture4, [&](const std::u16string &t) { text2 = t; }, [](bool) {},
                  [](bool) {}});
        EXPECT_TRUE(text2 == c.text) << c.name;
    }
}

TEST(MemorySurface, KeepsToItsDrawingArea)
{
    MemorySurface surface(5 * 15, 4 * 15, 0x123456); // 3 x 2 inside the border
    EXPECT_EQ(surface.drawingColumns(), 3);
    EXPECT_EQ(surface.Point(2 * 15, 15), 0x123456);
    surface.PSet(44, 29, 0xABCDEF); // twips inside pixel (2, 1)
    EXPECT_EQ(surface.Point(30, 15), 0xABCDEF);
    for (const auto &[x, y] : {std::pair{45.0f, 0.0f}, {0.0f, 30.0f}, {-1.0f, 0.0f}, {1e10f, 0.0f}})
        EXPECT_EQ(surface.Point(x, y), -1) << x << ", " << y;

    // Growing keeps what was drawn; a painted picture is clipped.
    surface.setWidth(6 * 15);
    EXPECT_EQ(surface.Point(30, 15), 0xABCDEF);
    EXPECT_EQ(surface.Point(45, 15), 0x123456);
    Picture red(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            red.setColour(x, y, 0x0000FF);
    surface.PaintPicture(red, 15, 15);
    EXPECT_EQ(surface.Point(0, 0), 0x123456);
    EXPECT_EQ(surface.Point(45, 15), 0x0000FF);
    EXPECT_EQ(surface.Image().width, 4);
    surface.Cls();
    EXPECT_EQ(surface.Point(45, 15), 0x123456);
}

TEST(CoreErrors, AreTheRuntimeErrorsTheWindowReports)
{
    CipherMembers members = membersAfterFormLoad();
    ScriptedRandom random{0.5, 0.5};
    MemorySurface picture1(2325, 795);
    MemorySurface picture5(2565, 915);
    try {
        Encryptor(members, random, codePage936())
            .run({std::u16string(12001, u'x'), u"", picture1, picture5, [](bool) {}, [](bool) {}});
        ADD_FAILURE() << "a text of 12001 characters was encrypted";
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.number(), 9);
        EXPECT_NE(error.description().find(u"12000"), std::u16string::npos);
    }
    EXPECT_EQ(codePage936().character(0xD6D0 - 65536), u'中');
    EXPECT_EQ(codePage936().code(u'中'), 0xD6D0 - 65536);
}

} // namespace
} // namespace veltrin::testing
