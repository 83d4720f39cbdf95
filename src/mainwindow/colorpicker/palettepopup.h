#pragma once

#include "palettemodel.h"

#include <QWidget>

namespace colorpicker {

// The open palette: a borderless pop-up under the picker with 32 colour cells and the custom
// entry. While it is open it has the pointer and the keyboard; it ends once, with OK or cancel,
// reports the ending through finished() and then closes.
class PalettePopup : public QWidget {
    Q_OBJECT

public:
    // The dialog behind the custom entry is modal over dialogParent's window.
    PalettePopup(kit::ColorValue opening, QWidget *dialogParent);

    // Shows the palette with its top-left corner at the given screen point, or as near to it as
    // keeps it on the screen.
    void popup(QPoint topLeft);

    const PaletteModel &model() const { return m_model; }

Q_SIGNALS:
    void finished(bool ok, kit::ColorValue color);

protected:
    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void end(bool ok);
    void finish();
    void stayVisibleBehindDialog();
    void setHot(int item);
    void paintItemEdge(QPainter &p, const QRect &r, int item);

    PaletteModel m_model;
    QWidget *m_dialogParent;
    bool m_pressedInside = false;
    bool m_finished = false;
};

} // namespace colorpicker
