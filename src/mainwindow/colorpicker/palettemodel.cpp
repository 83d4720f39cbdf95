#include "palettemodel.h"

namespace colorpicker {

const std::array<NamedColor, CellCount> &namedColors()
{
    using kit::rgb;
    static constexpr std::array<NamedColor, CellCount> colors = {{
        {"黑色", rgb(0, 0, 0)},       {"藏青", rgb(0, 0, 128)},     {"墨绿", rgb(0, 128, 0)},
        {"深青", rgb(0, 128, 128)},   {"红褐", rgb(128, 0, 0)},     {"紫红", rgb(128, 0, 128)},
        {"褐绿", rgb(128, 128, 0)},   {"浅灰", rgb(192, 192, 192)}, {"灰色", rgb(128, 128, 128)},
        {"蓝色", rgb(0, 0, 255)},     {"绿色", rgb(0, 255, 0)},     {"艳青", rgb(0, 255, 255)},
        {"红色", rgb(255, 0, 0)},     {"品红", rgb(255, 0, 255)},   {"黄色", rgb(255, 255, 0)},
        {"白色", rgb(255, 255, 255)}, {"蓝灰", rgb(128, 128, 255)}, {"藏蓝", rgb(88, 48, 224)},
        {"嫩绿", rgb(128, 224, 0)},   {"青绿", rgb(0, 224, 128)},   {"黄褐", rgb(192, 96, 0)},
        {"粉红", rgb(255, 168, 255)}, {"嫩黄", rgb(216, 216, 0)},   {"银白", rgb(236, 236, 236)},
        {"紫色", rgb(144, 0, 255)},   {"天蓝", rgb(0, 136, 255)},   {"灰绿", rgb(128, 160, 128)},
        {"青蓝", rgb(0, 96, 192)},    {"橙黄", rgb(255, 128, 0)},   {"桃红", rgb(255, 80, 128)},
        {"芙红", rgb(255, 128, 192)}, {"深灰", rgb(96, 96, 96)},
    }};
    return colors;
}

namespace {

constexpr int inset = PaletteModel::Edge + PaletteModel::Margin;

constexpr int lastCellIn(int column)
{
    const int lastRowStart = (Rows - 1) * Columns;
    return lastRowStart + column < CellCount ? lastRowStart + column : lastRowStart - Columns + column;
}

} // namespace

PaletteModel::PaletteModel(kit::ColorValue opening, int customHeight)
    : m_opening(opening)
    , m_pending(opening)
    , m_customHeight(customHeight > 0 ? customHeight : DefaultCustomHeight)
    , m_selected(itemFor(opening))
{
    if (m_selected != CustomItem)
        m_column = m_selected % Columns;
}

int PaletteModel::itemFor(kit::ColorValue color)
{
    const auto &colors = namedColors();
    for (int i = 0; i < CellCount; ++i) {
        if (colors[i].value == color)
            return i;
    }
    return CustomItem;
}

QRect PaletteModel::gridRect() const
{
    return QRect(inset, inset, Columns * CellSize, Rows * CellSize);
}

QRect PaletteModel::cellRect(int index) const
{
    if (index < 0 || index >= CellCount)
        return QRect();
    return QRect(inset + (index % Columns) * CellSize, inset + (index / Columns) * CellSize, CellSize, CellSize);
}

QRect PaletteModel::separatorRect() const
{
    const QRect grid = gridRect();
    return QRect(grid.left(), grid.bottom() + 1 + SeparatorGap, grid.width(), SeparatorLine);
}

QRect PaletteModel::customRect() const
{
    const QRect grid = gridRect();
    return QRect(grid.left(), separatorRect().bottom() + 1 + SeparatorGap, grid.width(), m_customHeight);
}

QRect PaletteModel::itemRect(int item) const
{
    return item == CustomItem ? customRect() : cellRect(item);
}

QSize PaletteModel::size() const
{
    const QRect custom = customRect();
    return QSize(custom.right() + 1 + inset, custom.bottom() + 1 + inset);
}

int PaletteModel::itemAt(QPoint pos) const
{
    if (gridRect().contains(pos)) {
        const int index = (pos.y() - inset) / CellSize * Columns + (pos.x() - inset) / CellSize;
        return index < CellCount ? index : NoItem;
    }
    return customRect().contains(pos) ? CustomItem : NoItem;
}

bool PaletteModel::setHot(int item)
{
    if (m_state != State::Open || item < 0 || item > CustomItem || item == m_hot)
        return false;
    m_hot = item;
    if (item != CustomItem) {
        m_pending = namedColors()[item].value;
        m_column = item % Columns;
    }
    return true;
}

bool PaletteModel::move(Arrow arrow)
{
    if (m_state != State::Open)
        return false;
    if (m_hot == NoItem)
        return setHot(m_selected);

    // Left and Right walk all items in reading order, the custom entry last, round the ring;
    // Up and Down walk a column and pass through the custom entry at its ends.
    int next = m_hot;
    switch (arrow) {
    case Arrow::Left:
        next = m_hot == 0 ? CustomItem : m_hot - 1;
        break;
    case Arrow::Right:
        next = m_hot == CustomItem ? 0 : m_hot + 1;
        break;
    case Arrow::Up:
        if (m_hot == CustomItem)
            next = lastCellIn(m_column);
        else
            next = m_hot >= Columns ? m_hot - Columns : CustomItem;
        break;
    case Arrow::Down:
        if (m_hot == CustomItem)
            next = m_column;
        else
            next = m_hot + Columns < CellCount ? m_hot + Columns : CustomItem;
        break;
    }
    return setHot(next);
}

PaletteModel::State PaletteModel::accept()
{
    if (m_state == State::Open)
        m_state = m_hot == CustomItem ? State::AskingColor : State::Accepted;
    return m_state;
}

void PaletteModel::cancel()
{
    if (m_state != State::Open && m_state != State::AskingColor)
        return;
    m_pending = m_opening;
    m_state = State::Cancelled;
}

void PaletteModel::colorChosen(kit::ColorValue color)
{
    if (m_state != State::AskingColor)
        return;
    m_pending = color;
    m_state = State::Accepted;
}

QPoint placePalette(QPoint topLeft, QSize size, const QRect &screen)
{
    QPoint pos = topLeft;
    const int screenRight = screen.x() + screen.width();
    const int screenBottom = screen.y() + screen.height();
    if (pos.x() + size.width() > screenRight)
        pos.rx() -= pos.x() + size.width() - screenRight;
    if (pos.x() < screen.x())
        pos.setX(screen.x());
    if (pos.y() + size.height() > screenBottom)
        pos.ry() -= pos.y() + size.height() - screenBottom;
    return pos;
}

std::optional<kit::ColorValue> PaletteModel::dialogInitial() const
{
    if (m_opening == kit::rgb(0, 0, 0))
        return std::nullopt;
    return m_opening;
}

} // namespace colorpicker
