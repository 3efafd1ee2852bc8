// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls.h"

#include <QAccessibleWidget>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QStyleOptionButton>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace veltrin {

SingleLineTextBox::SingleLineTextBox(QWidget *parent) : QLineEdit(parent) {}

void SingleLineTextBox::setText(const QString &text)
{
    // QLineEdit already stays silent when the text is unchanged. When the new
    // text only drops characters (the password filter), the caret keeps its
    // place among the characters that stay, instead of jumping to the end.
    const QString old = this->text();
    const int caret = cursorPosition();
    int kept = 0;
    int matched = 0;
    for (int i = 0; i < old.size() && matched < text.size(); ++i) {
        if (old.at(i) == text.at(matched)) {
            ++matched;
            if (i < caret)
                kept = matched;
        }
    }
    QLineEdit::setText(text);
    if (matched == text.size())
        setCursorPosition(kept);
}

namespace {

// The characters the document keeps as a line break (the frame marks and CR
// become block separators on insertion), which the Text property holds as CR LF.
bool isLineBreak(QChar ch)
{
    switch (ch.unicode()) {
    case u'\n':
    case u'\r':
    case QChar::ParagraphSeparator:
    case QChar::LineSeparator:
    case 0xFDD0: // QTextBeginningOfFrame
    case 0xFDD1: // QTextEndOfFrame
        return true;
    default:
        return false;
    }
}

// Length as the Text property counts it: a line break is CR LF, two characters.
qsizetype textLength(QStringView text)
{
    qsizetype length = text.size();
    for (const QChar ch : text)
        if (isLineBreak(ch))
            ++length;
    return length;
}

} // namespace

MultiLineTextBox::MultiLineTextBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, &MultiLineTextBox::keepWithinLimit);
}

void MultiLineTextBox::keepWithinLimit()
{
    // The input paths trim what they insert; this catches whatever reaches the
    // document some other way, so an edit never takes the box past its limit.
    // A text setText placed may count more; an edit then only ever shrinks it.
    // Inserted text ends at the caret, so the excess goes from there backwards.
    if (assigning_ || trimming_)
        return;
    qsizetype length = textLength(document()->toRawText());
    qsizetype excess = length - ceiling();
    if (maxLength_ > 0 && excess > 0) {
        trimming_ = true;
        QTextCursor cursor = textCursor();
        cursor.clearSelection();
        cursor.joinPreviousEditBlock();
        while (excess > 0 && cursor.position() > 0) {
            // Whole grapheme clusters: a cursor steps over a surrogate pair and
            // a character's combining marks together.
            cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
            const qsizetype removed = textLength(cursor.selectedText());
            excess -= removed;
            length -= removed;
            cursor.removeSelectedText();
        }
        cursor.endEditBlock();
        setTextCursor(cursor);
        trimming_ = false;
    }
    length_ = length;
}

qsizetype MultiLineTextBox::ceiling() const
{
    return std::max<qsizetype>(maxLength_, length_);
}

QString MultiLineTextBox::Text() const
{
    const QString raw = document()->toRawText();
    if (assigned_ && (assigning_ || raw == shownAs_))
        return *assigned_;
    // The raw text keeps every character as typed (toPlainText would turn a
    // no-break space into a blank); only its block separators need mapping.
    QString text;
    text.reserve(raw.size() + raw.size() / 16);
    for (const QChar ch : raw) {
        if (isLineBreak(ch))
            text.append(u"\r\n");
        else
            text.append(ch);
    }
    return text;
}

void MultiLineTextBox::setText(const QString &text)
{
    if (text == Text())
        return;
    // The change event raised inside setPlainText already reads the new text.
    assigned_ = text;
    assigning_ = true;
    setPlainText(text);
    assigning_ = false;
    shownAs_ = document()->toRawText();
    length_ = textLength(shownAs_);
}

QString MultiLineTextBox::fitting(QString insertion) const
{
    if (maxLength_ <= 0)
        return insertion;
    insertion.replace(u"\r\n"_s, u"\n"_s);
    insertion.replace(u'\r', u'\n');
    const QString selected = textCursor().selectedText();
    const qsizetype length = textLength(document()->toRawText());
    const qsizetype room =
        std::max<qsizetype>(maxLength_, length) - (length - textLength(selected));
    // What does not fit is left out whole: never half a surrogate pair, nor a
    // character without its combining marks.
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, insertion);
    qsizetype used = 0;
    qsizetype keep = 0;
    for (qsizetype end = graphemes.toNextBoundary(); end > 0; end = graphemes.toNextBoundary()) {
        used += textLength(QStringView(insertion).sliced(keep, end - keep));
        if (used > room)
            break;
        keep = end;
    }
    return insertion.left(keep);
}

void MultiLineTextBox::keyPressEvent(QKeyEvent *event)
{
    if (maxLength_ > 0) {
        const bool lineBreak = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        const QString typed = lineBreak ? u"\n"_s : event->text();
        const bool inserts = lineBreak || (!typed.isEmpty() && typed.at(0).isPrint());
        if (inserts && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            const QString fits = fitting(typed);
            if (fits.size() < typed.size()) {
                if (!fits.isEmpty())
                    insertPlainText(fits);
                event->accept();
                return;
            }
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MultiLineTextBox::inputMethodEvent(QInputMethodEvent *event)
{
    if (maxLength_ > 0 && !event->commitString().isEmpty()) {
        const QString fits = fitting(event->commitString());
        if (fits.size() < event->commitString().size()) {
            QInputMethodEvent trimmed(event->preeditString(), event->attributes());
            trimmed.setCommitString(fits, event->replacementStart(), event->replacementLength());
            QPlainTextEdit::inputMethodEvent(&trimmed);
            return;
        }
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void MultiLineTextBox::insertFromMimeData(const QMimeData *source)
{
    if (maxLength_ <= 0 || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    const QString fits = fitting(source->text());
    if (!fits.isEmpty() || textCursor().hasSelection())
        insertPlainText(fits);
}

Label::Label(const QString &caption, QWidget *parent) : QLabel(caption, parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    fitToCaption();
}

void Label::setCaption(const QString &caption)
{
    setText(caption);
    fitToCaption();
    update();
}

void Label::setBorderStyle(int style)
{
    if (style == borderStyle_)
        return;
    borderStyle_ = style;
    fitToCaption();
    update();
}

void Label::setAutoSize(bool on)
{
    autoSize_ = on;
    setWordWrap(!on);
    fitToCaption();
}

int Label::lineHeight() const
{
    // One em, as the CJK system fonts that the layout was drawn with measure a line.
    return QFontInfo(font()).pixelSize();
}

int Label::baseline() const
{
    // Centre an ideograph on the em-high line; the font's own ascent and
    // descent are taller than a line here.
    const QRect glyph = QFontMetrics(font()).tightBoundingRect(u"加"_s);
    return (lineHeight() - glyph.top() - glyph.bottom()) / 2;
}

void Label::fitToCaption()
{
    if (!autoSize_)
        return;
    const int border = borderWidth();
    const QFontMetrics metrics(font());
    resize(metrics.horizontalAdvance(text()) + 2 * border, lineHeight() + 2 * border);
}

void Label::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        fitToCaption();
    QLabel::changeEvent(event);
}

void Label::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (isEnabled() && rect().contains(event->position().toPoint()))
        emit Click();
}

void Label::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (autoFillBackground())
        painter.fillRect(rect(), palette().color(backgroundRole()));
    const int border = borderWidth();
    if (border > 0) {
        QPen pen(palette().color(QPalette::Dark), border);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.drawRect(
            QRectF(rect()).adjusted(border / 2.0, border / 2.0, -border / 2.0, -border / 2.0));
    }
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.setFont(font());

    const int line = lineHeight();
    const int baselineInLine = baseline();
    const QRect inner = rect().adjusted(border, border, -border, -border);
    if (autoSize_) {
        painter.drawText(QPoint(inner.left(), inner.top() + baselineInLine), text());
        return;
    }
    QTextLayout layout(text(), font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    int y = inner.top();
    for (QTextLine textLine = layout.createLine(); textLine.isValid();
         textLine = layout.createLine()) {
        textLine.setLineWidth(inner.width());
        textLine.setPosition(QPointF(inner.left(), y + baselineInLine - textLine.ascent()));
        y += line;
    }
    layout.endLayout();
    layout.draw(&painter, QPointF(0, 0));
}

CommandButton::CommandButton(const QString &caption, QWidget *parent) : QPushButton(caption, parent)
{}

void CommandButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(rect().adjusted(2, 1, -2, -1), Qt::AlignCenter | Qt::TextWrapAnywhere, text());
}

CheckBox::CheckBox(const QString &caption, QWidget *parent) : QCheckBox(caption, parent) {}

void CheckBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QStyle &style = *this->style();
    const int boxWidth = style.pixelMetric(QStyle::PM_IndicatorWidth, &option, this);
    const int boxHeight = style.pixelMetric(QStyle::PM_IndicatorHeight, &option, this);
    const int spacing = style.pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, this);

    option.rect = QRect(0, (height() - boxHeight) / 2, boxWidth, boxHeight);
    style.drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, this);

    // Lines of even length ("保护" over "文字"), not a full line and a last character.
    QRect area = rect().adjusted(boxWidth + spacing, 0, 0, 0);
    const int oneLine = painter.fontMetrics().horizontalAdvance(text());
    if (oneLine > area.width() && area.width() > 0) {
        const int lines = (oneLine + area.width() - 1) / area.width();
        area.setWidth(std::min(area.width(), (oneLine + lines - 1) / lines + 1));
    }
    constexpr int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(area, flags, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = painter.fontMetrics().boundingRect(area, flags, text()).adjusted(-1, 0, 1, 0);
        style.drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

Frame::Frame(const QString &caption, QWidget *parent) : QGroupBox(caption, parent) {}

void Frame::paintEvent(QPaintEvent *)
{
    // An etched line with the caption standing on its top edge.
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int top = metrics.height() / 2;
    const QRect box = rect().adjusted(0, top, -2, -2);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(box);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(box.translated(1, 1));
    if (title().isEmpty())
        return;
    const QRect caption(8, 0, metrics.horizontalAdvance(title()) + 4, metrics.height());
    painter.fillRect(caption, palette().color(QPalette::Window));
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(caption, Qt::AlignCenter, title());
}

namespace {

// What a screen reader sees of a decorative outline: an unnamed graphic that
// is not shown, which they pass over.
class DecorativeAccessible final : public QAccessibleWidget
{
public:
    explicit DecorativeAccessible(QWidget *widget) : QAccessibleWidget(widget, QAccessible::Graphic)
    {}
    QString text(QAccessible::Text) const override { return {}; }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.invisible = true;
        state.focusable = false;
        return state;
    }
};

QAccessibleInterface *decorativeShape(const QString &, QObject *object)
{
    auto *shape = qobject_cast<Shape *>(object);
    return shape ? new DecorativeAccessible(shape) : nullptr;
}

} // namespace

Shape::Shape(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    static const bool installed = [] {
        QAccessible::installFactory(decorativeShape);
        return true;
    }();
    Q_UNUSED(installed);
}

void Shape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace veltrin
