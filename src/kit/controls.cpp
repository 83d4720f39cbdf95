#include "controls.h"

#include "controlwidgets_p.h"
#include "picture.h"
#include "window.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <cmath>
#include <stdexcept>

namespace kit {

QColor faceColor() { return QApplication::palette().color(QPalette::Active, QPalette::Button); }

QColor toQColor(ColorValue value)
{
    if (value == DefaultColor)
        return faceColor();
    return QColor(redOf(value), greenOf(value), blueOf(value));
}

ColorValue fromQColor(const QColor &color) { return rgb(color.red(), color.green(), color.blue()); }

namespace {

void setColorRole(QWidget *w, QPalette::ColorRole role, ColorValue value)
{
    QPalette p = w->palette();
    p.setColor(role, toQColor(value));
    w->setPalette(p);
}

class ShapeBoxWidget : public PressKeeper<QWidget> {
public:
    ShapeBoxWidget(const ShapeBoxSettings &s, QWidget *parent)
        : PressKeeper<QWidget>(parent)
        , m_settings(s)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *e) override
    {
        QPainter p(this);
        p.fillRect(e->rect(), toQColor(m_settings.background));
        if (m_settings.fillColor != DefaultColor)
            p.fillRect(rect(), toQColor(m_settings.fillColor));
        if (m_settings.drawLine && m_settings.lineWidth > 0) {
            QPen pen(toQColor(m_settings.lineColor), m_settings.lineWidth);
            pen.setJoinStyle(Qt::MiterJoin);
            p.setPen(pen);
            const int half = m_settings.lineWidth / 2;
            p.drawRect(rect().adjusted(half, half, -half - 1, -half - 1));
        }
    }

private:
    ShapeBoxSettings m_settings;
};

class PicBoxWidget : public PressKeeper<QWidget> {
public:
    PicBoxWidget(const PicBoxSettings &s, QWidget *parent)
        : PressKeeper<QWidget>(parent)
        , m_background(s.background)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        if (!s.picture.empty()) {
            QImage decoded = decodePng(s.picture);
            if (decoded.isNull())
                throw std::runtime_error("picture cannot be decoded");
            m_picture = blendOver(decoded, toQColor(s.background));
        }
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), toQColor(m_background));
        if (m_picture.isNull())
            return;
        const QRect target = fitRect(m_picture.size(), size());
        if (target.size() != m_scaled.size()) {
            // Smooth reduction needs more than 16 bits per pixel to show; below that pixels are dropped.
            const Qt::TransformationMode mode = depth() > 16 ? Qt::SmoothTransformation : Qt::FastTransformation;
            m_scaled = target.size() == m_picture.size() ? m_picture
                                                          : m_picture.scaled(target.size(), Qt::IgnoreAspectRatio, mode);
        }
        p.drawImage(target.topLeft(), m_scaled);
    }

private:
    ColorValue m_background;
    QImage m_picture;
    QImage m_scaled;
};

// A plain etched frame with the caption set into its top edge at the left, on the face colour.
// The style's own group box shades its inside, which would set the panel off from the surface.
class GroupBoxWidget : public QGroupBox {
public:
    GroupBoxWidget(const QString &caption, QColor captionColor, QColor background, QWidget *parent)
        : QGroupBox(caption, parent)
        , m_captionColor(captionColor)
        , m_background(background)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), m_background);
        const QFontMetrics fm(font());
        const int top = fm.height() / 2;
        const QRect frame = rect().adjusted(0, top, -2, -2);
        const QPalette &pal = QApplication::palette();
        p.setPen(pal.color(QPalette::Dark));
        p.drawRect(frame.adjusted(0, 0, -1, -1));
        p.setPen(pal.color(QPalette::Light));
        p.drawRect(frame.adjusted(1, 1, 0, 0));
        if (title().isEmpty())
            return;
        const QRect caption(8, 0, fm.horizontalAdvance(title()) + 4, fm.height());
        p.fillRect(caption, m_background);
        p.setPen(isEnabled() ? m_captionColor : pal.color(QPalette::Disabled, QPalette::WindowText));
        p.drawText(caption.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title());
    }

private:
    QColor m_captionColor;
    QColor m_background;
};

class LabelWidget : public PressKeeper<QLabel> {
public:
    using PressKeeper<QLabel>::PressKeeper;
};

} // namespace

ShapeBox::ShapeBox(const ControlDef &def, Window &window, QWidget *parent)
    : Control(def, window)
{
    setWidget(new ShapeBoxWidget(std::get<ShapeBoxSettings>(def.settings), parent));
}

PicBox::PicBox(const ControlDef &def, Window &window, QWidget *parent)
    : Control(def, window)
{
    setWidget(new PicBoxWidget(std::get<PicBoxSettings>(def.settings), parent));
}

EditBox::EditBox(const ControlDef &def, Window &window, QWidget *parent)
    : Control(def, window)
{
    const auto &s = std::get<EditBoxSettings>(def.settings);
    auto *edit = new QLineEdit(fromUtf8(s.text), parent);
    edit->setFrame(true);
    edit->setAttribute(Qt::WA_InputMethodEnabled);
    setColorRole(edit, QPalette::Base, s.background);
    setColorRole(edit, QPalette::Text, s.textColor);
    // The selection is not shown while the box has no focus: Qt drops it when the focus moves
    // inside the window, and an inactive window draws it as plain text.
    QPalette p = edit->palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, toQColor(s.background));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, toQColor(s.textColor));
    edit->setPalette(p);
    edit->setCursorPosition(0);
    setWidget(edit);
}

std::string EditBox::text() const
{
    auto *edit = static_cast<QLineEdit *>(widget());
    return edit ? toUtf8(edit->text()) : std::string();
}

std::size_t EditBox::textBytes() const
{
    auto *edit = static_cast<QLineEdit *>(widget());
    if (!edit)
        return 0;
    const QString text = edit->text(); // shares the data, copies nothing
    std::size_t bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < 0x80)
            bytes += 1;
        else if (u < 0x800)
            bytes += 2;
        else if (QChar::isHighSurrogate(u) && i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            bytes += 4;
            ++i;
        } else
            bytes += 3;
    }
    return bytes;
}

void EditBox::setText(const std::string &text)
{
    if (auto *edit = static_cast<QLineEdit *>(widget()))
        edit->setText(fromUtf8(text));
}

GroupBox::GroupBox(const ControlDef &def, Window &window, QWidget *parent)
    : Control(def, window)
{
    const auto &s = std::get<GroupBoxSettings>(def.settings);
    auto *box = new GroupBoxWidget(fromUtf8(s.caption), toQColor(s.captionColor), toQColor(s.background), parent);
    // The pointer follows what lies beneath (see PressRouter), so the box needs every move.
    box->setMouseTracking(true);
    setWidget(box);
}

Label::Label(const ControlDef &def, Window &window, QWidget *parent)
    : Control(def, window)
{
    const auto &s = std::get<LabelSettings>(def.settings);
    auto *label = new LabelWidget(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(fromUtf8(s.text));
    label->setAlignment(alignment(s.hAlign, s.vAlign));
    label->setWordWrap(s.wordWrap);
    label->setAutoFillBackground(true);
    setColorRole(label, QPalette::Window, s.background);
    setColorRole(label, QPalette::WindowText, s.textColor);
    setWidget(label);
}

std::string Label::text() const
{
    auto *label = static_cast<QLabel *>(widget());
    return label ? toUtf8(label->text()) : std::string();
}

Button::Button(const ControlDef &def, Window &window, QWidget *parent)
    : Control(def, window)
{
    const auto &s = std::get<ButtonSettings>(def.settings);
    auto *button = new QPushButton(fromUtf8(s.caption), parent);
    // An ordinary push button: Enter never presses it.
    button->setAutoDefault(false);
    button->setDefault(false);
    QObject::connect(button, &QPushButton::clicked, button, [this] { raise(Event::Clicked); });
    setWidget(button);
}

} // namespace kit
