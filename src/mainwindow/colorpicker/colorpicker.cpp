#include "colorpicker.h"

#include "pickerwidget.h"

namespace colorpicker {

ColorPicker::ColorPicker(const kit::ControlDef &def, kit::Window &window, QWidget *parent)
    : kit::ColorPicker(def, window)
{
    const auto &settings = std::get<kit::ColorPickerSettings>(def.settings);
    auto *w = new PickerWidget(settings.color, parent);
    setWidget(w);
    m_accepted = QObject::connect(w, &PickerWidget::colorAccepted, w, [this] { raise(kit::Event::ColorChanged); });
}

ColorPicker::~ColorPicker() { QObject::disconnect(m_accepted); }

PickerWidget *ColorPicker::pickerWidget() const { return static_cast<PickerWidget *>(widget()); }

kit::ColorValue ColorPicker::color() const
{
    const PickerWidget *w = pickerWidget();
    return w ? w->color() : 0;
}

void ColorPicker::setColor(kit::ColorValue color)
{
    if (PickerWidget *w = pickerWidget())
        w->setColor(color);
}

std::unique_ptr<kit::Control> create(const kit::ControlDef &def, kit::Window &window, QWidget *parent)
{
    return std::make_unique<ColorPicker>(def, window, parent);
}

} // namespace colorpicker
