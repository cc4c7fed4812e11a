#pragma once

#include <QHash>
#include <QRect>
#include <QWidget>

namespace naxo {

// ScaledLayout1: children are placed in design coordinates of an original
// size and scaled with the widget, so the window's content scales with it.
class TScaledLayout : public QWidget {
    Q_OBJECT
public:
    TScaledLayout(int originalWidth, int originalHeight, QWidget *parent = nullptr);

    void place(QWidget *child, const QRect &designRect);
    QRect designRect(QWidget *child) const { return m_design.value(child); }
    void setDesignRect(QWidget *child, const QRect &rect);
    void setOriginalWidth(int width);
    int originalWidth() const { return m_originalWidth; }
    int originalHeight() const { return m_originalHeight; }
    QSize sizeHint() const override { return {m_originalWidth, m_originalHeight}; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void apply(QWidget *child);
    int m_originalWidth, m_originalHeight;
    QHash<QWidget *, QRect> m_design;
};

} // namespace naxo
