#include "netadapter.h"
#include "glyphs.h"

#include <QApplication>
#include <QStyledItemDelegate>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace naxo {

namespace {

// Shows a list line's name under "Name" and the part after its tab under
// "Address:", whatever tab stops the platform would use.
class AdapterLineDelegate : public QStyledItemDelegate {
public:
    AdapterLineDelegate(int addressColumn, QObject *parent)
        : QStyledItemDelegate(parent), m_addressColumn(addressColumn) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        const QString line = opt.text;
        opt.text.clear();
        const QWidget *widget = opt.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        const qsizetype tab = line.indexOf(u'\t');
        const QRect text = opt.rect.adjusted(4, 0, -4, 0);
        const QRect name(text.left(), text.top(), m_addressColumn - text.left() - 4, text.height());
        const QRect address(m_addressColumn, text.top(), text.right() - m_addressColumn, text.height());
        painter->save();
        painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(name, Qt::AlignLeft | Qt::AlignVCenter,
                          opt.fontMetrics.elidedText(line.left(tab).trimmed(), Qt::ElideRight, name.width()));
        painter->drawText(address, Qt::AlignLeft | Qt::AlignVCenter, line.mid(tab + 1));
        painter->restore();
    }

private:
    int m_addressColumn;
};

} // namespace

QString TFormNetAdapter::ListLine(const Adapter &adapter)
{
    return adapter.description.leftJustified(40, u' ', true) + u'\t' + adapter.address;
}

TFormNetAdapter::TFormNetAdapter(const QList<Adapter> &adapters, QWidget *owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Select Network Adapter"));
    // Tool window without title-bar buttons; only the rounded content shows.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(433, 226);

    auto label = [this](const QString &text, int x, int y, int fontSize = 0) {
        auto *l = new QLabel(text, this);
        l->setStyleSheet(QStringLiteral("color: white;"));
        if (fontSize) {
            QFont f = l->font();
            f.setPixelSize(fontSize);
            l->setFont(f);
        }
        l->move(x, y);
        l->adjustSize();
        return l;
    };
    label(QStringLiteral("Select Network Adapter"), 88, 8, 15);
    auto *image = new QLabel(this);
    image->setPixmap(logo(48));
    image->setGeometry(376, 16, 48, 48);
    label(QStringLiteral("Available Network Adapters:"), 8, 30);
    label(QStringLiteral("Name"), 8, 48);
    label(QStringLiteral("Address:"), 255, 48);

    ListBox = new QListWidget(this);
    ListBox->setGeometry(8, 72, 417, 113);
    // The address column lines up with the "Address:" heading at 255.
    ListBox->setItemDelegate(new AdapterLineDelegate(255 - 8, ListBox));
    connect(ListBox, &QListWidget::itemDoubleClicked, this, [this] { UseSelectedAdapter(); });

    Button1 = new QPushButton(QStringLiteral("Use only Selected"), this);
    Button1->setGeometry(16, 195, 113, 22);
    connect(Button1, &QPushButton::clicked, this, [this] { UseSelectedAdapter(); });
    ButtonAll = new QPushButton(QStringLiteral("Use All"), this);
    ButtonAll->setGeometry(176, 195, 80, 22);
    connect(ButtonAll, &QPushButton::clicked, this, [this] { done(ResultYes); });
    ButtonCloseApp = new QPushButton(QStringLiteral("Close App"), this);
    ButtonCloseApp->setGeometry(337, 195, 80, 22);
    connect(ButtonCloseApp, &QPushButton::clicked, this, [this] { done(ResultCancel); });

    // Entry k (from 1) holds the k-th listed adapter; entry 0 stays empty.
    for (const Adapter &a : adapters) {
        if (ListBox->count() >= kMaxAdapters)
            break; // room for 19; further adapters are not offered
        ListBox->addItem(ListLine(a));
        const int k = ListBox->count();
        FAdapterAddress[size_t(k)] = a.address;
        FAdapterName[size_t(k)] = a.description;
    }
    if (ListBox->count() > 0)
        ListBox->setCurrentRow(0);
}

void TFormNetAdapter::UseSelectedAdapter()
{
    const int i = ListBox->currentRow(); // -1 without a selection: entry 0, empty
    FSelectedAddress = FAdapterAddress[size_t(i + 1)];
    FSelectedName = FAdapterName[size_t(i + 1)];
    done(ResultOK);
}

void TFormNetAdapter::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, height(), 0, 0); // black at the bottom, grey at the top
    gradient.setColorAt(0, Qt::black);
    gradient.setColorAt(1, QColor(0x5C, 0x5C, 0x5C));
    QPainterPath path;
    path.addRoundedRect(rect(), 10, 10);
    p.fillPath(path, gradient);
}

} // namespace naxo
