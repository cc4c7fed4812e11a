#include "netadapter.h"
#include "glyphs.h"

#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace naxo {

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
    // Fixed pitch, so the padded names line the addresses up.
    ListBox->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
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
