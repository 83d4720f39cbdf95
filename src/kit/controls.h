#pragma once

// The control kinds. Each is a handle over a small Qt widget that draws the kind as its settings say.

#include "control.h"

#include <QColor>
#include <QFont>
#include <QImage>

namespace kit {

// The system's face colour, and a colour value as Qt sees it (the default colour gives the face).
QColor faceColor();
QColor toQColor(ColorValue value);
ColorValue fromQColor(const QColor &color);

class ShapeBox : public Control {
public:
    ShapeBox(const ControlDef &def, Window &window, QWidget *parent);
};

class TransLabel : public Control {
public:
    TransLabel(const ControlDef &def, Window &window, QWidget *parent);

    std::string text() const;
    void setText(const std::string &text);
    ColorValue textColor() const;
    void setTextColor(ColorValue color);
    // Points; a negative size is stored as 0, which means the font's default height.
    int fontSize() const;
    void setFontSize(int points);
    // The font it draws with.
    QFont font() const;
};

class PicBox : public Control {
public:
    // Throws std::runtime_error when the picture cannot be decoded.
    PicBox(const ControlDef &def, Window &window, QWidget *parent);
};

class EditBox : public Control {
public:
    EditBox(const ControlDef &def, Window &window, QWidget *parent);
    std::string text() const;
    // Length of the text in UTF-8 bytes, found without copying it.
    std::size_t textBytes() const;
    void setText(const std::string &text);
};

class GroupBox : public Control {
public:
    GroupBox(const ControlDef &def, Window &window, QWidget *parent);
    bool takesPresses() const override { return false; }
};

class Label : public Control {
public:
    Label(const ControlDef &def, Window &window, QWidget *parent);
    std::string text() const;
};

class Button : public Control {
public:
    Button(const ControlDef &def, Window &window, QWidget *parent);
};

// The colour picker's interface; its widget comes from the program (see Builder::Factories).
class ColorPicker : public Control {
public:
    using Control::Control;
    virtual ColorValue color() const = 0;
    virtual void setColor(ColorValue color) = 0;
};

} // namespace kit
