#pragma once

// What the colour picker's palette knows, without drawing anything: its 32 named colours, the
// place of every item, which item is hot and which is selected, the pending colour and how an
// open palette ends.

#include "kit/definition.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>
#include <optional>

namespace colorpicker {

struct NamedColor {
    const char *name; // UTF-8
    kit::ColorValue value;
};

inline constexpr int CellCount = 32;
inline constexpr int Columns = 7;
inline constexpr int Rows = 5;
inline constexpr int CellSize = 18;

const std::array<NamedColor, CellCount> &namedColors();

// An item of the palette: a cell index 0..31, the custom entry "其它颜色...", or none.
inline constexpr int NoItem = -1;
inline constexpr int CustomItem = CellCount;

enum class Arrow { Left, Right, Up, Down };

class PaletteModel {
public:
    // The frame around everything, the room between frame and grid, the separator's band.
    static constexpr int Edge = 2;
    static constexpr int Margin = 4;
    static constexpr int SeparatorGap = 3;
    static constexpr int SeparatorLine = 2;
    static constexpr int DefaultCustomHeight = 22;

    enum class State { Open, AskingColor, Accepted, Cancelled };

    // The custom entry's height follows the font it is written in.
    explicit PaletteModel(kit::ColorValue opening, int customHeight = DefaultCustomHeight);

    // Geometry, in the palette's own coordinates.
    QSize size() const;
    QRect gridRect() const;
    QRect cellRect(int index) const;
    QRect separatorRect() const;
    QRect customRect() const;
    QRect itemRect(int item) const;
    // The item under the point: a cell, the custom entry, or NoItem (frame, margins, separator,
    // the empty end of the last row).
    int itemAt(QPoint pos) const;

    kit::ColorValue opening() const { return m_opening; }
    kit::ColorValue pending() const { return m_pending; }
    int selected() const { return m_selected; }
    int hot() const { return m_hot; }
    State state() const { return m_state; }

    // Makes the item hot; a cell also becomes the pending colour. NoItem leaves everything as it
    // is (the pointer over a margin keeps the hot item). Returns whether the hot item changed.
    bool setHot(int item);
    // Walks the hot item with an arrow key; with no hot item the selected one becomes hot first.
    bool move(Arrow arrow);

    // An OK ending: accepted at once, or with the custom entry hot, first the colour dialog.
    State accept();
    // A cancel ending: the pending colour goes back to the opening colour.
    void cancel();
    // The colour dialog was confirmed with this colour.
    void colorChosen(kit::ColorValue color);

    // The colour the dialog starts with: the opening colour unless it is black.
    std::optional<kit::ColorValue> dialogInitial() const;

    // The cell standing for the colour (the first equal one), else the custom entry.
    static int itemFor(kit::ColorValue color);

private:
    kit::ColorValue m_opening;
    kit::ColorValue m_pending;
    int m_customHeight;
    int m_selected;
    int m_hot = NoItem;
    int m_column = 0; // where Up and Down from the custom entry go back into the grid
    State m_state = State::Open;
};

// Where a palette of this size opens when its top-left corner would be at topLeft: moved left
// where it passes the screen's right edge, then right where it passes the left edge, then up
// where it passes the bottom edge.
QPoint placePalette(QPoint topLeft, QSize size, const QRect &screen);

} // namespace colorpicker
