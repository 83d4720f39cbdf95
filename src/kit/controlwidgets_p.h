#pragma once

// Pieces shared by the kit's control widgets.

#include "definition.h"

#include <QMouseEvent>
#include <QString>

#include <string>

namespace kit {

inline QString fromUtf8(const std::string &s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

inline std::string toUtf8(const QString &s)
{
    const QByteArray bytes = s.toUtf8();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

inline Qt::Alignment alignment(HAlign h, VAlign v)
{
    Qt::Alignment a;
    a |= h == HAlign::Left ? Qt::AlignLeft : h == HAlign::Right ? Qt::AlignRight : Qt::AlignHCenter;
    a |= v == VAlign::Top ? Qt::AlignTop : v == VAlign::Bottom ? Qt::AlignBottom : Qt::AlignVCenter;
    return a;
}

// A surface that keeps every press it gets, so none travels on to the control beneath.
template <class Base> class PressKeeper : public Base {
public:
    using Base::Base;

protected:
    void mousePressEvent(QMouseEvent *e) override { e->accept(); }
    void mouseReleaseEvent(QMouseEvent *e) override { e->accept(); }
    void mouseDoubleClickEvent(QMouseEvent *e) override { e->accept(); }
};

} // namespace kit
