#include "glyphs.h"

#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

static void initNaxoResources()
{
    Q_INIT_RESOURCE(naxo); // the resources live in a static library
}

namespace naxo {

namespace {

QPixmap render(const QString &name, int size)
{
    static bool loaded = (initNaxoResources(), true);
    Q_UNUSED(loaded);
    static QHash<QString, QPixmap> cache;
    const QString key = name + u'@' + QString::number(size);
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/naxo/") + name);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    cache.insert(key, pixmap);
    return pixmap;
}

} // namespace

QPixmap glyph(int code, int size)
{
    static const char *const names[] = {"NAXOcheckDisabled.svg", "NAXOcheck.svg", "NAXORestore.svg",
                                        "NAXOWerkzeug2.svg", "Reset.svg"};
    if (code < 0 || code > 4)
        return QPixmap();
    return render(QString::fromLatin1(names[code]), size);
}

void warmGlyphs(int size)
{
    for (int code = 0; code <= 4; ++code)
        glyph(code, size);
}

QPixmap logo(int size)
{
    return render(QStringLiteral("logo.svg"), size);
}

} // namespace naxo
