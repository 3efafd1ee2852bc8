// SPDX-License-Identifier: GPL-3.0-or-later
// Save of a 12000-character cipher picture: through the temporary file that
// must read back as the picture before it takes the name, against writing
// the same BMP file straight to its name.
#include "fakes.h"
#include "module1.h"
#include "picture_files.h"
#include "picture_io.h"
#include "picture_surface.h"
#include "scripted_file_dialogs.h"

#include <QGuiApplication>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>

namespace veltrin::testing {
namespace {

// The result surface of a 12000-character text: 110 x 110 pixels of colour.
PictureSurface cipherSizedPicture()
{
    PictureSurface picture5(1685.0f, 1685.0f);
    std::mt19937 random(7);
    for (int y = 0; y < 110; ++y)
        for (int x = 0; x < 110; ++x)
            picture5.PSet(15.0f * float(x), 15.0f * float(y), std::int32_t(random() & 0xFFFFFF));
    return picture5;
}

void BM_Save12000_ReadBack(benchmark::State &state)
{
    QTemporaryDir temp;
    const QString path = temp.filePath(QStringLiteral("picture.bmp"));
    const PictureSurface picture5 = cipherSizedPicture();
    FakeTickCounter clock{100};
    ScriptedFileDialogs dialogs{clock};
    RecordingMessageBox messages;
    Module1 module{dialogs, clock, messages};
    QtPictureLoader loader;
    QtPictureWriter writer;
    PictureFiles files{module, loader, writer, messages};
    for (auto _ : state) {
        dialogs.confirm(path);
        files.save(picture5);
    }
    if (!messages.shown.empty())
        state.SkipWithError("the save failed");
}
BENCHMARK(BM_Save12000_ReadBack)->Unit(benchmark::kMicrosecond);

void BM_Save12000_WriteOnly(benchmark::State &state)
{
    QTemporaryDir temp;
    const QString path = temp.filePath(QStringLiteral("picture.bmp"));
    const QImage image = cipherSizedPicture().qImage();
    for (auto _ : state) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            state.SkipWithError("cannot write");
        QtPictureWriter::writeBmp(image, file);
        file.commit();
    }
}
BENCHMARK(BM_Save12000_WriteOnly)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace veltrin::testing

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv); // Qt's image plugins
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
