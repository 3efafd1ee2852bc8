// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "busy_work.h"
#include "cipher_picture.h"
#include "code_page.h"
#include "decryptor.h"
#include "encryptor.h"
#include "fonts.h"
#include "password_strength.h"
#include "picture_data.h"
#include "picture_kind.h"
#include "protected_picture.h"
#include "qt_adapters.h"
#include "qt_messages.h"
#include "random_source.h"
#include "resources.h"
#include "runtime_error.h"
#include "window_start.h"

#include <QAction>
#include <QClipboard>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>

using namespace Qt::StringLiterals;

namespace veltrin {

namespace {

constexpr int clientWidth = 5760; // twips
constexpr int clientHeight = 5595;

const QString counterCaption = u"需要加密的内容/字数：%1/12000"_s;

struct Place
{
    int left, top, width, height, tabIndex;
};

// Puts a control in its container at its place (twips) and names it as the layout does.
template <typename Control> Control *place(Control *control, const QString &name, const Place &at)
{
    control->setObjectName(name);
    control->setGeometry(px(at.left), px(at.top), px(at.width), px(at.height));
    if (at.tabIndex >= 0)
        control->setProperty("TabIndex", at.tabIndex);
    return control;
}

// An element of a control array: its name carries the Index, as in Frame1(0).
QString element(const char16_t *array, int index)
{
    return u"%1(%2)"_s.arg(QString::fromUtf16(array)).arg(index);
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

} // namespace

Form1::Form1(Form1Services services, QWidget *parent)
    : QWidget(parent), services_(services),
      module1_(services.dialogs, services.clock, services.messages),
      files_(module1_, services.loader, services.writer, services.messages)
{
    setObjectName(u"Form1"_s);
    setWindowTitle(u"Veltrin"_s);
    setWindowIcon(applicationIcon());
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(px(clientWidth), px(clientHeight));
    setFont(defaultFont());

    // The window background is the system's window colour, as on the frames and pictures.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Text));
    setPalette(palette);
    setAutoFillBackground(true);

    createControls();
    describeControls();
    addPictureActions();
    connectHandlers();
    setTabOrder();
    setAcceptDrops(true);
    Form_Load();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    // The three picture surfaces start at the sizes the command line starts from too.
    using namespace startSize;
    Frame1[0] =
        place(new Frame(u"加密"_s, this), element(u"Frame1", 0), {1200, 240, 4335, 5175, 0});
    Frame1[1] = place(new Frame(u"图片显示"_s, Frame1[0]), element(u"Frame1", 1),
                      {120, 240, 4095, 1335, 6});
    Picture3 =
        place(new PictureBox(2535, 975, Frame1[1]), u"Picture3"_s, {120, 240, 2535, 975, 25});
    Picture1 = place(new PictureBox(picture1Width, picture1Height, Picture3), u"Picture1"_s,
                     {60, 60, picture1Width, picture1Height, 26});
    Command7 = place(new CommandButton(u"保存图片"_s, Frame1[1]), u"Command7"_s,
                     {2760, 280, 1215, 795, 7});
    Picture5 = place(new PictureBox(picture5Width, picture5Height, Frame1[1]), u"Picture5"_s,
                     {1560, 240, picture5Width, picture5Height, 8});
    Picture5->setVisible(false);
    Frame1[2] = place(new Frame(counterCaption.arg(0), Frame1[0]), element(u"Frame1", 2),
                      {120, 1680, 4095, 3375, 1});
    Text3 = place(new SingleLineTextBox(Frame1[2]), u"Text3"_s, {2520, 2700, 615, 270, 18});
    Text1 = place(new MultiLineTextBox(Frame1[2]), u"Text1"_s, {120, 240, 3855, 2415, 4});
    Command1 =
        place(new CommandButton(u"加密"_s, Frame1[2]), u"Command1"_s, {120, 2760, 615, 495, 3});
    Command3 = place(new CommandButton(u"对比2个文本框内容是否相同"_s, Frame1[2]), u"Command3"_s,
                     {840, 3000, 2415, 255, 2});
    Label3 = place(new Label(u"加密密码(可不输入)"_s, Frame1[2]), u"Label3"_s,
                   {840, 2760, 1620, 180, 19});
    Label1 = place(new Label(u"NULL"_s, Frame1[2]), u"Label1"_s, {3360, 3050, 360, 180, 5});

    Frame2[0] =
        place(new Frame(u"解密"_s, this), element(u"Frame2", 0), {1200, 240, 4335, 5175, 9});
    Frame2[2] = place(new Frame(u"解密显示的内容"_s, Frame2[0]), element(u"Frame2", 2),
                      {120, 1320, 4095, 3735, 12});
    Text4 = place(new SingleLineTextBox(Frame2[2]), u"Text4"_s, {1800, 2800, 615, 270, 20});
    Command6 = place(new CommandButton(u"解密（解上面已打开的图片）"_s, Frame2[2]), u"Command6"_s,
                     {2160, 3120, 1815, 495, 15});
    Command2 = place(new CommandButton(u"解密（解加密里未保存的图片）"_s, Frame2[2]), u"Command2"_s,
                     {120, 3120, 1815, 495, 14});
    Text2 = place(new MultiLineTextBox(Frame2[2]), u"Text2"_s, {120, 240, 3855, 2415, 13});
    Label4 = place(new Label(u"解密密码(可不输入)"_s, Frame2[2]), u"Label4"_s,
                   {120, 2850, 1620, 180, 21});
    Frame2[1] = place(new Frame(u"图片显示"_s, Frame2[0]), element(u"Frame2", 1),
                      {120, 240, 4095, 975, 10});
    Picture2 =
        place(new PictureBox(2760, 600, Frame2[1]), u"Picture2"_s, {1200, 240, 2760, 600, 23});
    Picture4 = place(new PictureBox(picture4Width, picture4Height, Picture2), u"Picture4"_s,
                     {240, 60, picture4Width, picture4Height, 24});
    Command4 =
        place(new CommandButton(u"打开图片"_s, Frame2[1]), u"Command4"_s, {120, 280, 975, 465, 11});

    Label5[1] =
        place(new Label(u"版本：0.2"_s, this), element(u"Label5", 1), {240, 5280, 810, 180, 28});
    Label6 = place(new Label(u"注意：加密完成时可能有部分没加密完，可以再按多次加密！！"_s, this),
                   u"Label6"_s, {240, 3720, 840, 1260, 27});
    Label6->setAutoSize(false);
    Label6->setGeometry(px(240), px(3720), px(840), px(1260));
    Label5[0] =
        place(new Label(u"作者：Tavik"_s, this), element(u"Label5", 0), {240, 5040, 900, 180, 22});
    Shape1 = place(new Shape(this), u"Shape1"_s, {120, 120, 5535, 5415, -1});
    Shape1->lower();
    Label2[1] = place(new Label(u"解密"_s, this), element(u"Label2", 1), {240, 720, 900, 435, 17});
    Label2[0] = place(new Label(u"加密"_s, this), element(u"Label2", 0), {240, 240, 960, 495, 16});
    // In the free space of the left column, after every other control in tab order.
    Check1 = place(new CheckBox(u"保护文字"_s, this), u"Check1"_s, {240, 1320, 900, 450, 29});
    Check2 = place(new CheckBox(u"经得起转发"_s, this), u"Check2"_s, {240, 1830, 900, 750, 30});

    for (Label *tab : Label2) {
        tab->setFont(tabFont());
        QPalette palette = tab->palette();
        palette.setColor(QPalette::Window, QColor(255, 255, 255));
        palette.setColor(QPalette::WindowText, QColor(0, 0, 0));
        tab->setPalette(palette);
        tab->setAutoFillBackground(true);
        tab->setCursor(Qt::PointingHandCursor);
    }
    // AutoSize labels take their caption's size, keeping the place of their top-left corner.
    for (Label *label : {Label1, Label3, Label4, Label5[0], Label5[1], Label2[0], Label2[1]})
        label->setCaption(label->caption());
    Label2[0]->setBorderStyle(1);
    Label2[1]->setBorderStyle(0);

    setTextColour(Label1, QColor(255, 0, 0));
    setTextColour(Label6, QColor(255, 0, 0));

    Text1->setMaxLength(longestText);
    Text2->setMaxLength(longestText);
    Text3->setMaxLength(longestPassword);
    Text4->setMaxLength(longestPassword);

    Frame2[0]->setVisible(false);
}

void Form1::describeControls()
{
    // Screen readers name each box and picture by the caption that labels it
    // on screen; buttons, labels and frames speak their own captions.
    const std::pair<QWidget *, QString> names[] = {
        {Text1, u"需要加密的内容"_s}, {Text2, u"解密显示的内容"_s}, {Text3, u"加密密码"_s},
        {Text4, u"解密密码"_s},       {Picture3, u"图片显示"_s},    {Picture1, u"图片显示"_s},
        {Picture5, u"图片显示"_s},    {Picture2, u"图片显示"_s},    {Picture4, u"图片显示"_s},
    };
    for (const auto &[control, name] : names)
        control->setAccessibleName(name);
    Label1->setAccessibleName(u"对比结果：%1"_s.arg(Label1->caption()));
    for (Label *tab : Label2)
        tab->setAccessibleDescription(u"页面标签，Ctrl+Tab 切换页面"_s);
    for (PictureBox *picture : {Picture1, Picture3})
        picture->setAccessibleDescription(u"加密后的图片，右键菜单可复制图片"_s);
    for (PictureBox *picture : {Picture2, Picture4})
        picture->setAccessibleDescription(u"打开的图片，右键菜单可粘贴图片"_s);

    // The classic key is only the sum of the password's character codes.
    Text3->setToolTip(u"不勾选“保护文字”时，密码只会改变图片的颜色，并不能保护文字。"
                      "要保护文字，请勾选左边的“保护文字”，并设一个不容易猜到的密码。"_s);
    Text4->setToolTip(u"受保护的图片要输入加密时用的密码才能解开。"
                      "普通图片的密码只会改变颜色，并不能保护文字。"_s);
    // What the seal gives depends on the password: say so before it is typed.
    Check1->setToolTip(
        u"勾选后，文字用密码真正加密（Argon2id 和 XChaCha20-Poly1305）。"
        "密码够强时（至少 8 个字符、不容易猜到，例如 12 个以上随机的字母和数字），"
        "没有密码谁也读不出来；弱密码（常见的单词、键盘上相连的键、日期、太短的密码）"
        "很快就能被试出来，保护不了文字，"_s +
        (passwordStrength::estimatesGuesses() ? u"所以“加密”前会先问你。"_s
                                              : u"密码不到 8 个字符时“加密”前会先问你。"_s) +
        u"忘了密码就无法找回。没有这项功能的 Veltrin 版本打不开这样的图片。"_s);
    Check2->setToolTip(
        u"勾选后，图片由黑白方块组成，经得起聊天软件、网页和手机的压缩（JPEG）、缩小和转发，"
        "最多能放 12000 个字符；图片更大（每边最多 1280 像素），文字越短方块越大、越经得起缩小。"
        "和“保护文字”一起勾选时，文字先用密码加密。"_s);
}

void Form1::addPictureActions()
{
    auto *copy = new QAction(u"复制图片"_s, this);
    connect(copy, &QAction::triggered, this, [this] { copyPicture(); });
    for (PictureBox *picture : {Picture1, Picture3}) {
        picture->addAction(copy);
        picture->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
    auto *paste = new QAction(u"粘贴图片"_s, this);
    connect(paste, &QAction::triggered, this, [this] { dispatch([this] { pastePicture(); }); });
    for (PictureBox *picture : {Picture2, Picture4}) {
        picture->addAction(paste);
        picture->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
}

void Form1::connectHandlers()
{
    // Every event reaches its handler through dispatch, which reports run-time errors.
    const auto handle = [this](auto *sender, auto signal, auto handler,
                               Attempt attempt = Attempt::Other) {
        connect(sender, signal, this, [this, handler, attempt] { dispatch(handler, attempt); });
    };
    handle(Label2[0], &Label::Click, [this] { Label2_Click(0); });
    handle(Label2[1], &Label::Click, [this] { Label2_Click(1); });
    handle(Text1, &QPlainTextEdit::textChanged, [this] { Text1_Change(); });
    handle(Text3, &QLineEdit::textChanged, [this] { Text3_Change(); });
    handle(Text4, &QLineEdit::textChanged, [this] { Text4_Change(); });
    handle(Command1, &QPushButton::clicked, [this] { Command1_Click(); });
    handle(
        Command2, &QPushButton::clicked, [this] { Command2_Click(); }, Attempt::DecryptDrawn);
    handle(Command3, &QPushButton::clicked, [this] { Command3_Click(); });
    handle(Command4, &QPushButton::clicked, [this] { Command4_Click(); });
    handle(
        Command6, &QPushButton::clicked, [this] { Command6_Click(); }, Attempt::DecryptOpened);
    handle(Command7, &QPushButton::clicked, [this] { Command7_Click(); });
}

void Form1::setTabOrder()
{
    // The keyboard visits the focusable controls in TabIndex order.
    std::vector<QWidget *> focusable;
    for (QWidget *child : findChildren<QWidget *>()) {
        if (child->focusPolicy() & Qt::TabFocus && child->property("TabIndex").isValid())
            focusable.push_back(child);
    }
    std::sort(focusable.begin(), focusable.end(), [](QWidget *a, QWidget *b) {
        return a->property("TabIndex").toInt() < b->property("TabIndex").toInt();
    });
    for (std::size_t i = 1; i < focusable.size(); ++i)
        QWidget::setTabOrder(focusable[i - 1], focusable[i]);
}

void Form1::dispatch(const std::function<void()> &handler, Attempt attempt)
{
    if (busy())
        return;
    try {
        handler();
    } catch (const RuntimeError &error) {
        // The procedures have put their members and controls back as they are
        // between operations, so the window goes on working after the message.
        services_.messages.show(runtimeErrorText(error, situation(attempt)), windowTitle(),
                                MessageBox::Critical);
    }
    // A close the user asked for during the key derivation, now it is over.
    if (std::exchange(closePending_, false))
        close();
}

ErrorSituation Form1::situation(Attempt attempt) const
{
    return {attempt, Text4->Text().isEmpty(),
            attempt == Attempt::DecryptOpened ? picture4LossyFormat_ : QByteArray()};
}

void Form1::clickTab(int index)
{
    if (Label2[index]->isEnabled())
        dispatch([this, index] { Label2_Click(static_cast<std::int16_t>(index)); });
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    const bool otherPage =
        (modifiers == Qt::ControlModifier &&
         (key == Qt::Key_Tab || key == Qt::Key_PageDown || key == Qt::Key_PageUp)) ||
        (modifiers == (Qt::ControlModifier | Qt::ShiftModifier) && key == Qt::Key_Backtab);
    if (otherPage) {
        clickTab(Frame1[0]->isVisible() ? 1 : 0);
    } else if (event->matches(QKeySequence::Open)) {
        clickTab(1);
        Command4->click();
    } else if (event->matches(QKeySequence::Save)) {
        clickTab(0);
        Command7->click();
    } else if (event->matches(QKeySequence::Paste) && Frame2[0]->isVisible()) {
        dispatch([this] { pastePicture(); });
    } else {
        QWidget::keyPressEvent(event);
    }
}

bool Form1::takesDrop(const QDropEvent &event) const
{
    if (!(event.possibleActions() & Qt::CopyAction) || singleLocalFile(*event.mimeData()).isEmpty())
        return false;
    // A text box takes drops as text, also the ones it refuses.
    for (const QWidget *under = childAt(event.position().toPoint()); under && under != this;
         under = under->parentWidget()) {
        if (dynamic_cast<const TextBox *>(under))
            return false;
    }
    return true;
}

void Form1::dragEnterEvent(QDragEnterEvent *event)
{
    if (takesDrop(*event)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void Form1::dragMoveEvent(QDragMoveEvent *event)
{
    if (takesDrop(*event)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void Form1::dropEvent(QDropEvent *event)
{
    if (!takesDrop(*event))
        return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // Load once the drop is over: a message box must not keep the program the
    // file came from waiting for the drop's end.
    const QString path = singleLocalFile(*event->mimeData());
    QMetaObject::invokeMethod(
        this, [this, path] { openPicture(path); }, Qt::QueuedConnection);
}

void Form1::openPicture(const QString &path)
{
    dispatch([this, &path] { openPath(path); });
}

void Form1::openPath(const QString &path)
{
    Label2_Click(1);
    fileName_ = path;
    reportOpened(path, files_.load(path, Picture4->surface()));
}

void Form1::reportOpened(const QString &path, const PictureLoad &load)
{
    if (!load) {
        picture4LossyFormat_.clear();
        services_.messages.show(refusedPictureText(path, load), windowTitle(),
                                MessageBox::Exclamation);
        return;
    }
    tookPicture4(load, u"“%1”"_s.arg(QFileInfo(path).fileName()));
}

void Form1::tookPicture4(const PictureLoad &load, const QString &subject)
{
    // A robust picture is made for lossy channels: its text survives them.
    const bool lossy =
        load.picture->lossy && recognise(Picture4->surface().pixels()).kind != PictureKind::Robust;
    picture4LossyFormat_ = lossy ? load.picture->format : QByteArray();
    QStringList warnings;
    if (load.picture->incomplete)
        warnings << incompletePictureText(subject);
    if (!picture4LossyFormat_.isEmpty())
        warnings << lossyPictureText(subject, picture4LossyFormat_);
    if (!warnings.isEmpty())
        services_.messages.show(warnings.join(u"\n\n"_s), windowTitle(), MessageBox::Exclamation);
}

void Form1::copyPicture()
{
    QGuiApplication::clipboard()->setMimeData(
        pictureAsData(Picture5->surface().qImage()).release());
}

void Form1::pastePicture()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    // A picture file copied in a file manager comes as its name.
    if (const QString file = data ? singleLocalFile(*data) : QString(); !file.isEmpty()) {
        openPath(file);
        return;
    }
    const PictureLoad load = data ? pictureFromData(*data, services_.loader) : PictureLoad();
    if (!load) {
        services_.messages.show(refusedPasteText(load), windowTitle(), MessageBox::Exclamation);
        return;
    }
    Label2_Click(1);
    Picture4->surface().setPicture(load.picture->image);
    tookPicture4(load, say(messages::clipboardPicture));
}

void Form1::Form_Load()
{
    services_.random.seedFromTimer();
    m_.writeX = 30;
    m_.readX = 30;
}

void Form1::Label2_Click(std::int16_t Index)
{
    const bool encrypt = Index == 0;
    (encrypt ? Frame2[0] : Frame1[0])->setVisible(false);
    (encrypt ? Frame1[0] : Frame2[0])->setVisible(true);
    Label6->setVisible(encrypt);
    Check1->setVisible(encrypt);
    Check2->setVisible(encrypt);
    Label2[0]->setBorderStyle(encrypt ? 1 : 0);
    Label2[1]->setBorderStyle(encrypt ? 0 : 1);
}

void Form1::Text1_Change()
{
    Frame1[2]->setTitle(counterCaption.arg(Text1->Text().size()));
}

void Form1::Text3_Change()
{
    防止输入中文(*Text3);
}

void Form1::Text4_Change()
{
    防止输入中文(*Text4);
}

void Form1::防止输入中文(TextBox &文本框Name)
{
    const QString text = 文本框Name.Text();
    QString kept;
    for (const QChar ch : text) {
        const int code = services_.codePage.code(ch.unicode());
        if (IsPasswordCode(code))
            kept.append(ch);
    }
    文本框Name.setText(kept);
}

void Form1::Command1_Click()
{
    if (Check1->isChecked()) {
        encryptProtected();
        return;
    }
    if (Check2->isChecked()) {
        if (!Text3->Text().isEmpty()) {
            services_.messages.show(robustPasswordText(), windowTitle(), MessageBox::Exclamation);
            return;
        }
        if (const std::u16string text = toU16(Text1->Text()); !text.empty())
            showRobust(robustPicture::encode(text));
        return;
    }
    Picture1->setFitted(false);
    Encryptor encryptor(m_, services_.random, services_.codePage);
    encryptor.run({toU16(Text1->Text()), toU16(Text3->Text()), Picture1->surface(),
                   Picture5->surface(), [this](bool on) { Label2[1]->setEnabled(on); },
                   [this](bool on) { Frame1[0]->setEnabled(on); }});
}

void Form1::Command2_Click()
{
    decryptFrom(Picture1->surface(), Attempt::DecryptDrawn);
}

void Form1::Command6_Click()
{
    // Lossy pictures mostly decrypt without any error, into a wrong text.
    if (decryptFrom(Picture4->surface(), Attempt::DecryptOpened) &&
        !picture4LossyFormat_.isEmpty()) {
        services_.messages.show(lossyPictureText(say(messages::thisPicture), picture4LossyFormat_),
                                windowTitle(), MessageBox::Exclamation);
    }
}

void Form1::encryptProtected()
{
    const std::u16string text = toU16(Text1->Text());
    if (text.empty())
        return;
    const std::u16string password = toU16(Text3->Text());
    // Asked before the derivation, so that a No costs nothing and changes nothing.
    if (!password.empty()) {
        const passwordStrength::Verdict verdict =
            passwordStrength::judge(Text3->Text().toStdString());
        if (verdict.weak &&
            services_.messages.show(weakPasswordQuestion(verdict), windowTitle(),
                                    MessageBox::YesNo | MessageBox::Exclamation |
                                        MessageBox::DefaultButton2) != MessageBox::Yes)
            return;
    }
    protectedPicture::Sealed sealed{{}, protectedPicture::Failure::NeedsPassword};
    if (!password.empty() && !deriveWhileBusy({Frame1[0], Label2[1], Check1, Check2}, [&] {
            sealed = protectedPicture::seal(text, password, services_.randomBytes);
        }))
        return;
    if (sealed.failure != protectedPicture::Failure::None) {
        services_.messages.show(protectedFailureText(sealed.failure, {}), windowTitle(),
                                MessageBox::Exclamation);
        return;
    }
    if (Check2->isChecked())
        showRobust(robustPicture::encodeSealed(sealed.image));
    else {
        Picture1->setFitted(false);
        protectedPicture::show(sealed.image, Picture1->surface(), Picture5->surface());
    }
}

void Form1::showRobust(const robustPicture::Encoded &encoded)
{
    if (encoded.failure != robustPicture::Failure::None) {
        services_.messages.show(robustFailureText(encoded.failure, encoded.fits), windowTitle(),
                                MessageBox::Exclamation);
        return;
    }
    // Saved as the sealed kind is, the picture at its size; shown whole,
    // scaled into the box, since its pixels are modules, not characters.
    Picture1->setFitted(true);
    protectedPicture::show(encoded.image, Picture1->surface(), Picture5->surface());
}

bool Form1::decryptRobust(const Picture &picture, const Recognition &kind, Attempt attempt)
{
    const robustPicture::Decoded decoded = robustPicture::decode(picture, *kind.grid);
    if (decoded.failure != robustPicture::Failure::None) {
        services_.messages.show(robustFailureText(decoded.failure), windowTitle(),
                                MessageBox::Exclamation);
        return false;
    }
    if (!decoded.sealed.isNull())
        return decryptProtected(decoded.sealed, recognise(decoded.sealed), attempt);
    Text2->setText(fromU16(decoded.text));
    return true;
}

bool Form1::decryptProtected(const Picture &picture, const Recognition &kind, Attempt attempt)
{
    const std::u16string password = toU16(Text4->Text());
    // Refused before any hashing: a picture out of bounds, or no password.
    protectedPicture::Opened opened{{}, kind.refusal(password)};
    if (opened.failure == protectedPicture::Failure::None &&
        !deriveWhileBusy({Frame2[0], Label2[0]},
                         [&] { opened = protectedPicture::open(picture, password); }))
        return false;
    if (opened.failure != protectedPicture::Failure::None) {
        services_.messages.show(protectedFailureText(opened.failure, situation(attempt)),
                                windowTitle(), MessageBox::Exclamation);
        return false;
    }
    Text2->setText(fromU16(opened.text));
    // The seal is authentic, so the password was right: the text is only empty.
    if (opened.text.empty()) {
        services_.messages.show(say(messages::protectedEmptyText), windowTitle(),
                                MessageBox::Information);
    }
    return true;
}

bool Form1::deriveWhileBusy(std::initializer_list<QWidget *> disabled,
                            const std::function<void()> &work)
{
    const BusyEnd end = runWhileBusy(services_.threads, this, disabled, work);
    closePending_ = closePending_ || end.closeAsked;
    if (end.dropRefused) {
        services_.messages.show(say(messages::busyDropRefused), windowTitle(),
                                MessageBox::Exclamation);
    }
    if (!end.ran) {
        services_.messages.show(say(messages::derivationNotStarted, {{u"reason", end.whyNot}}),
                                windowTitle(), MessageBox::Critical);
    }
    return end.ran;
}

bool Form1::decryptFrom(const MemorySurface &source, Attempt attempt)
{
    // The picture's own signature tells the kind, whatever the password.
    const Picture &picture = source.pixels();
    const Recognition kind = recognise(picture);
    if (kind.kind == PictureKind::Protected)
        return decryptProtected(picture, kind, attempt);
    if (kind.kind == PictureKind::Robust)
        return decryptRobust(picture, kind, attempt);
    // A robust header behind timing edges that this version refuses.
    if (kind.robustFailure != robustPicture::Failure::NotRobust) {
        services_.messages.show(robustFailureText(kind.robustFailure), windowTitle(),
                                MessageBox::Exclamation);
        return false;
    }
    bool nothing = false;
    Decryptor decryptor(m_, services_.codePage);
    decryptor.run({toU16(Text4->Text()), source,
                   [this, &nothing](const std::u16string &text) {
                       Text2->setText(fromU16(text));
                       nothing = text.empty();
                   },
                   [this](bool on) { Frame2[0]->setEnabled(on); },
                   [this](bool on) { Label2[0]->setEnabled(on); }});
    // A header whose length is below 1 after the key (mostly a wrong
    // password) empties Text2 without any error.
    if (nothing) {
        services_.messages.show(nothingDecryptedText(situation(attempt)), windowTitle(),
                                MessageBox::Exclamation);
    }
    return !nothing;
}

void Form1::Command4_Click()
{
    const OpenedFile opened = files_.open(Picture4->surface());
    fileName_ = opened.fileName;
    if (!fileName_.isEmpty())
        reportOpened(fileName_, opened.load);
}

void Form1::Command7_Click()
{
    fileName_ = files_.save(Picture5->surface());
}

void Form1::Command3_Click()
{
    Label1->setCaption(Text1->Text() == Text2->Text() ? u"是"_s : u"否"_s);
    Label1->setAccessibleName(u"对比结果：%1"_s.arg(Label1->caption()));
}

} // namespace veltrin
