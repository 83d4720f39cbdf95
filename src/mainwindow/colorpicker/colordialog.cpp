#include "colordialog.h"

#include "kit/controls.h"

#include <QColorDialog>
#include <QPointer>
#include <QSettings>

namespace colorpicker {

namespace {

// Qt keeps the dialog's custom colours in the user's "QtProject" settings: it reads them when
// the dialog is first used and writes them back whenever a dialog goes away. This program keeps
// nothing between runs, so before the first dialog the user-scope settings of the native format
// are pointed at a place that can be neither read nor created (a path below /dev/null), and all
// 16 custom colours start white.
void startSessionColors()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, Qt::white);
}

} // namespace

std::optional<kit::ColorValue> askColor(QWidget *parent, std::optional<kit::ColorValue> initial)
{
    startSessionColors();

    QPointer<QColorDialog> dialog = new QColorDialog(parent);
    dialog->setOptions(QColorDialog::DontUseNativeDialog);
    if (initial)
        dialog->setCurrentColor(kit::toQColor(*initial));
    dialog->setWindowModality(Qt::ApplicationModal);

    const int result = dialog->exec();
    std::optional<kit::ColorValue> chosen;
    if (dialog && result == QDialog::Accepted && dialog->selectedColor().isValid())
        chosen = kit::fromQColor(dialog->selectedColor());
    delete dialog;
    return chosen;
}

} // namespace colorpicker
