#pragma once

#include "kit/definition.h"

#include <QPointer>
#include <QWidget>

namespace colorpicker {

class PalettePopup;

// The closed colour picker: a white sunken field with a swatch of the current colour and a
// drop-down arrow. Releasing the left button on it opens the palette.
class PickerWidget : public QWidget {
    Q_OBJECT

public:
    explicit PickerWidget(kit::ColorValue color, QWidget *parent = nullptr);

    kit::ColorValue color() const { return m_color; }
    void setColor(kit::ColorValue color);

    // The open flag, and the palette while it is open.
    bool isOpen() const { return m_open; }
    PalettePopup *palette() const;

    // The parts of the closed look, in widget coordinates.
    QRect arrowRect() const;
    QRect swatchRect() const;
    bool isArrowPushed() const { return m_pressed || m_open; }

    QSize sizeHint() const override;

Q_SIGNALS:
    // After each choice ended with OK.
    void colorAccepted();

protected:
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    void openPalette();
    void paletteFinished(bool ok, kit::ColorValue color);
    int frameWidth() const;
    QPalette systemPalette() const;

    kit::ColorValue m_color;
    kit::ColorValue m_opening = 0;
    bool m_open = false;
    bool m_pressed = false;     // the left button is held on the picker
    bool m_pressStarted = false; // a left press began here; only its release may open
    QPointer<PalettePopup> m_palette;
};

} // namespace colorpicker
