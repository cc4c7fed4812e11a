#include "scaledlayout.h"

#include <cmath>

namespace naxo {

TScaledLayout::TScaledLayout(int originalWidth, int originalHeight, QWidget *parent)
    : QWidget(parent), m_originalWidth(originalWidth), m_originalHeight(originalHeight)
{
}

void TScaledLayout::place(QWidget *child, const QRect &designRect)
{
    child->setParent(this);
    m_design.insert(child, designRect);
    apply(child);
}

void TScaledLayout::setDesignRect(QWidget *child, const QRect &rect)
{
    m_design.insert(child, rect);
    apply(child);
}

void TScaledLayout::setOriginalWidth(int width)
{
    m_originalWidth = width;
    for (auto it = m_design.cbegin(); it != m_design.cend(); ++it)
        apply(it.key());
}

void TScaledLayout::apply(QWidget *child)
{
    const QRect d = m_design.value(child);
    const double sx = m_originalWidth > 0 ? double(width()) / m_originalWidth : 1.0;
    const double sy = m_originalHeight > 0 ? double(height()) / m_originalHeight : 1.0;
    child->setGeometry(int(std::lround(d.x() * sx)), int(std::lround(d.y() * sy)),
                       int(std::lround(d.width() * sx)), int(std::lround(d.height() * sy)));
}

void TScaledLayout::resizeEvent(QResizeEvent *)
{
    for (auto it = m_design.cbegin(); it != m_design.cend(); ++it)
        apply(it.key());
}

} // namespace naxo
