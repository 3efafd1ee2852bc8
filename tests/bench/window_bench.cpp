// SPDX-License-Identifier: GPL-3.0-or-later
// The worst pictures for the Decrypt button: the window shown on the offscreen
// platform, timed from the click on Command6 until Text2 has painted the text
// or the run-time error has been reported.
#include "busy_work.h"
#include "code_page.h"
#include "controls.h"
#include "fakes.h"
#include "form1.h"
#include "picture_box.h"
#include "picture_io.h"
#include "scripted_file_dialogs.h"

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

namespace veltrin::testing {
namespace {

using namespace Qt::StringLiterals;

QRgb cell(std::int32_t value)
{
    return qRgb(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

// A picture whose header is (length, A, B) and every other pixel `fill`.
QImage picture(int width, int height, std::int32_t length, std::int32_t a, std::int32_t b,
               std::int32_t fill)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(cell(fill));
    image.setPixel(0, 0, cell(length));
    if (width > 2) {
        image.setPixel(1, 0, cell(a));
        image.setPixel(2, 0, cell(b));
    }
    return image;
}

// Notes when a widget has painted.
class PaintWatch final : public QObject
{
public:
    explicit PaintWatch(QWidget *widget) { widget->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        painted = painted || event->type() == QEvent::Paint;
        return false;
    }
};

class Window
{
public:
    Window()
    {
        for (int i = 0; i < 16; ++i)
            random_.push(0.25);
        form_ =
            std::make_unique<Form1>(Form1Services{random_, randomBytes_, codePage936(), messages_,
                                                  dialogs_, clock_, loader_, writer_, threads_});
        form_->show();
        form_->Label2_Click(1);
        text2_ = form_->findChild<MultiLineTextBox *>(u"Text2"_s);
        command6_ = form_->findChild<QPushButton *>(u"Command6"_s);
        watch_ = std::make_unique<PaintWatch>(text2_->viewport());
        settle();
    }

    void open(const QImage &image)
    {
        form_->findChild<PictureBox *>(u"Picture4"_s)->surface().setPicture(image);
        settle();
    }

    // The picture the Encryptor makes of `text`, as Open would show it.
    QImage encrypted(const QString &text)
    {
        form_->Label2_Click(0);
        form_->findChild<MultiLineTextBox *>(u"Text1"_s)->setText(text);
        form_->findChild<QPushButton *>(u"Command1"_s)->click();
        form_->Label2_Click(1);
        settle();
        return form_->findChild<PictureBox *>(u"Picture5"_s)->surface().qImage();
    }

    // Seconds from the click to Text2 painted or the error reported.
    double decrypt()
    {
        text2_->setText(u"before the click"_s);
        settle();
        watch_->painted = false;
        const std::size_t reported = messages_.shown.size();
        const auto start = std::chrono::steady_clock::now();
        command6_->click();
        while (!watch_->painted && messages_.shown.size() == reported)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        const auto end = std::chrono::steady_clock::now();
        return std::chrono::duration<double>(end - start).count();
    }

    QString text2() const { return text2_->Text(); }
    bool refusedWith9() const
    {
        return !messages_.shown.empty() && messages_.shown.back().text.contains(u"'9'"_s);
    }

private:
    void settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
    }

    ScriptedRandom random_;
    SequenceRandomBytes randomBytes_;
    RecordingMessageBox messages_;
    FakeTickCounter clock_;
    ScriptedFileDialogs dialogs_{clock_};
    QtPictureLoader loader_;
    QtPictureWriter writer_;
    SystemWorkerThreads threads_;
    std::unique_ptr<Form1> form_;
    MultiLineTextBox *text2_ = nullptr;
    QPushButton *command6_ = nullptr;
    std::unique_ptr<PaintWatch> watch_;
};

constexpr std::int32_t mostCells = 16777214; // the largest length a header can give

void run(benchmark::State &state, Window &window)
{
    for (auto _ : state)
        state.SetIterationTime(window.decrypt());
}

// A picture three pixels wide claiming the most characters.
void BM_TinyPictureClaimingTheMost(benchmark::State &state)
{
    Window window;
    window.open(picture(3, 1, mostCells, 0, 0, 0));
    run(state, window);
    if (!window.refusedWith9())
        state.SkipWithError("not refused with run-time error 9");
}
BENCHMARK(BM_TinyPictureClaimingTheMost)->UseManualTime()->Unit(benchmark::kMillisecond);

// 4096 x 4097 pixels, the canvas of the most characters, every cell one.
void BM_FullPictureEveryCellACharacter(benchmark::State &state)
{
    Window window;
    window.open(picture(4096, 4097, mostCells, 1000000, 2, 2000000 + 'a'));
    run(state, window);
    if (!window.refusedWith9())
        state.SkipWithError("not refused with run-time error 9");
}
BENCHMARK(BM_FullPictureEveryCellACharacter)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same canvas with every cell white, which is skipped: the whole walk.
void BM_FullPictureEveryCellSkipped(benchmark::State &state)
{
    Window window;
    window.open(picture(4096, 4097, mostCells, 1000000, 1, 16777215));
    run(state, window);
    if (!window.text2().isEmpty())
        state.SkipWithError("the skipped cells gave characters");
}
BENCHMARK(BM_FullPictureEveryCellSkipped)->UseManualTime()->Unit(benchmark::kMillisecond);

// What the window is for: a picture of 12000 characters. Text2 lays out
// every line it shows; one line of 12000 characters is its longest.
void decrypt12000(benchmark::State &state, const QString &text)
{
    Window window;
    window.open(window.encrypted(text));
    run(state, window);
    if (window.text2() != text)
        state.SkipWithError("the picture did not decrypt to its text");
}

void BM_Picture12000Characters(benchmark::State &state)
{
    const QString pieces[] = {u"Hello, world! "_s, u"加密解密的内容"_s, u"\r\n"_s,
                              u"对比2个文本框 abc "_s};
    QString text;
    for (int i = 0; text.size() < 12000; ++i)
        text += pieces[i % 4];
    text.truncate(12000);
    decrypt12000(state, text);
}
BENCHMARK(BM_Picture12000Characters)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Picture12000CharactersOneLine(benchmark::State &state)
{
    QString text;
    for (int i = 0; text.size() < 12000; ++i)
        text += i % 2 ? u"加密解密的内容"_s : u"Hello, world! "_s;
    text.truncate(12000);
    decrypt12000(state, text);
}
BENCHMARK(BM_Picture12000CharactersOneLine)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
} // namespace veltrin::testing

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
