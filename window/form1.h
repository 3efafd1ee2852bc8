// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "advice.h"
#include "cipher_members.h"
#include "controls.h"
#include "module1.h"
#include "picture_box.h"
#include "picture_files.h"

#include <QWidget>

#include <array>
#include <functional>

namespace veltrin {

class CodePage;
class FileDialogs;
class MessageBox;
class PictureLoader;
class MemorySurface;
class PictureWriter;
class RandomBytes;
class RandomSource;
class TickCounter;
struct Picture;
struct Recognition;
class WorkerThreads;

// What the window needs of the platform; tests hand in fakes.
struct Form1Services
{
    RandomSource &random;
    RandomBytes &randomBytes; // salts and nonces of protected pictures
    const CodePage &codePage;
    MessageBox &messages;
    FileDialogs &dialogs;
    TickCounter &clock;
    PictureLoader &loader;
    PictureWriter &writer;
    WorkerThreads &threads; // where the key derivation runs
};

// The program's one window: both pages, their controls and the handlers.
class Form1 final : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(Form1Services services, QWidget *parent = nullptr);
    ~Form1() override;

    const CipherMembers &members() const { return m_; }
    const QString &fileName() const { return fileName_; }

    // Event handlers, named control_event.
    void Form_Load();
    void Label2_Click(std::int16_t Index);
    void Text1_Change();
    void Text3_Change();
    void Text4_Change();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command6_Click();
    void Command7_Click();

    void 防止输入中文(TextBox &文本框Name);

    // Goes to the Decrypt page and loads the picture file at `path` as Open
    // does, with the same messages (a drop, the command line).
    void openPicture(const QString &path);

protected:
    // Reached by the keys that the control with the focus leaves alone, so a
    // text box keeps its own keys.
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createControls();
    void describeControls();
    void addPictureActions();
    void connectHandlers();
    void setTabOrder();
    // Runs a handler; a run-time error that reaches its end is reported, with
    // advice that fits what the user was doing, and the program goes on.
    void dispatch(const std::function<void()> &handler, Attempt attempt = Attempt::Other);
    // Decrypts `source` into Text2; false when that gave no text at all, which
    // the user has been told.
    bool decryptFrom(const MemorySurface &source, Attempt attempt);
    // Encrypt and decrypt when the picture is, or is to be, protected.
    void encryptProtected();
    bool decryptProtected(const Picture &picture, const Recognition &kind, Attempt attempt);
    // The robust kind, made to be sent: it survives lossy formats and scaling.
    void showRobust(const robustPicture::Encoded &encoded);
    bool decryptRobust(const Picture &picture, const Recognition &kind, Attempt attempt);
    // Runs the key derivation off the window's thread and tells the user what
    // the wait held back; false when it could not start, which was told.
    bool deriveWhileBusy(std::initializer_list<QWidget *> disabled,
                         const std::function<void()> &work);
    ErrorSituation situation(Attempt attempt) const;
    // What a click on the tab label does, when the label takes clicks.
    void clickTab(int index);
    void openPath(const QString &path);
    void reportOpened(const QString &path, const PictureLoad &load);
    void tookPicture4(const PictureLoad &load, const QString &subject);
    bool takesDrop(const QDropEvent &event) const;
    void copyPicture();
    void pastePicture();

    Form1Services services_;
    CipherMembers m_;
    QString fileName_;
    Module1 module1_;
    PictureFiles files_;
    // The format of the picture in Picture4 when lossy compression changed its
    // pixels; empty when they are as saved.
    QByteArray picture4LossyFormat_;
    bool closePending_ = false; // a close asked for while the window was busy

    std::array<Frame *, 3> Frame1{};
    std::array<Frame *, 3> Frame2{};
    std::array<Label *, 2> Label2{};
    std::array<Label *, 2> Label5{};
    PictureBox *Picture1 = nullptr;
    PictureBox *Picture2 = nullptr;
    PictureBox *Picture3 = nullptr;
    PictureBox *Picture4 = nullptr;
    PictureBox *Picture5 = nullptr;
    CommandButton *Command1 = nullptr;
    CommandButton *Command2 = nullptr;
    CommandButton *Command3 = nullptr;
    CommandButton *Command4 = nullptr;
    CommandButton *Command6 = nullptr;
    CommandButton *Command7 = nullptr;
    MultiLineTextBox *Text1 = nullptr;
    MultiLineTextBox *Text2 = nullptr;
    SingleLineTextBox *Text3 = nullptr;
    SingleLineTextBox *Text4 = nullptr;
    Label *Label1 = nullptr;
    Label *Label3 = nullptr;
    Label *Label4 = nullptr;
    Label *Label6 = nullptr;
    Shape *Shape1 = nullptr;
    CheckBox *Check1 = nullptr;
    CheckBox *Check2 = nullptr;
};

} // namespace veltrin
