#pragma once

// The colour picker control: the kit's handle over PickerWidget.

#include "kit/controls.h"

#include <QMetaObject>

#include <memory>

namespace colorpicker {

class PickerWidget;

class ColorPicker : public kit::ColorPicker {
public:
    ColorPicker(const kit::ControlDef &def, kit::Window &window, QWidget *parent);
    ~ColorPicker() override;

    kit::ColorValue color() const override;
    void setColor(kit::ColorValue color) override;

    PickerWidget *pickerWidget() const;

private:
    QMetaObject::Connection m_accepted;
};

// The factory the kit builds colour pickers with.
std::unique_ptr<kit::Control> create(const kit::ControlDef &def, kit::Window &window, QWidget *parent);

} // namespace colorpicker
