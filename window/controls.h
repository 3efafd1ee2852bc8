// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <optional>

namespace veltrin {

// Every position and size of the window is given in twips.
constexpr int twipsPerPixel = 15;
constexpr int px(int twips)
{
    return twips / twipsPerPixel;
}

// The Text property that the password filter works on, whatever the box.
class TextBox
{
public:
    virtual ~TextBox() = default;
    virtual QString Text() const = 0;
    // Assigning the text the box already holds raises no change event.
    virtual void setText(const QString &text) = 0;
};

class SingleLineTextBox final : public QLineEdit, public TextBox
{
    Q_OBJECT

public:
    explicit SingleLineTextBox(QWidget *parent = nullptr);
    QString Text() const override { return text(); }
    void setText(const QString &text) override;
};

// A multi-line box whose Text holds typed line breaks as CR LF, counted as two
// characters against MaxLength, wherever the input comes from. A text given
// by setText comes back exactly, lone CR and LF included, while the box still
// shows it; every kind of line break shows as one.
class MultiLineTextBox final : public QPlainTextEdit, public TextBox
{
    Q_OBJECT

public:
    explicit MultiLineTextBox(QWidget *parent = nullptr);
    QString Text() const override;
    void setText(const QString &text) override;

    int maxLength() const { return maxLength_; }
    void setMaxLength(int length) { maxLength_ = length; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    // How much of `insertion` fits in place of the current selection.
    QString fitting(QString insertion) const;
    void keepWithinLimit();
    // The most an edit may leave: the limit, or more where setText put more.
    qsizetype ceiling() const;

    int maxLength_ = 0;               // 0: no limit
    std::optional<QString> assigned_; // the last text setText gave
    QString shownAs_;                 // the document's raw text right after it
    qsizetype length_ = 0;            // the text's counted length after the last change
    bool assigning_ = false;
    bool trimming_ = false;
};

// A label that sizes itself to its caption (AutoSize) unless it wraps, and
// carries a two-pixel border while its BorderStyle is 1. Lines are one em
// high, so seven lines of the default font fill the note's seven-line box.
class Label final : public QLabel
{
    Q_OBJECT

public:
    Label(const QString &caption, QWidget *parent = nullptr);

    void setCaption(const QString &caption);
    QString caption() const { return text(); }
    int BorderStyle() const { return borderStyle_; }
    void setBorderStyle(int style);
    void setAutoSize(bool on);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

signals:
    void Click();

private:
    int borderWidth() const { return borderStyle_ == 1 ? 2 : 0; }
    int lineHeight() const;
    int baseline() const;
    void fitToCaption();

    int borderStyle_ = 0;
    bool autoSize_ = true;
};

// A command button whose caption wraps onto further lines when it is too wide.
class CommandButton final : public QPushButton
{
    Q_OBJECT

public:
    CommandButton(const QString &caption, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A check box whose caption wraps onto further lines beside the box when it
// is too wide, and which takes clicks anywhere on itself.
class CheckBox final : public QCheckBox
{
    Q_OBJECT

public:
    CheckBox(const QString &caption, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }
};

// A frame whose children are placed from its top-left corner, caption on its top edge.
class Frame final : public QGroupBox
{
    Q_OBJECT

public:
    Frame(const QString &caption, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A plain rectangle outline, behind the controls and blind to the mouse.
class Shape final : public QWidget
{
    Q_OBJECT

public:
    explicit Shape(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace veltrin
