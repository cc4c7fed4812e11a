#include "mainform.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <exception>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    try {
        QApplication::setApplicationName(QStringLiteral("NAXO Updater"));
        naxo::TMainForm form;
        if (form.terminating())
            return 0; // "Close App" at start-up
        // Opens centred on the screen.
        if (const QScreen *screen = form.screen())
            form.move(screen->availableGeometry().center() - form.rect().center());
        form.show();
        QApplication::exec();
    } catch (const std::exception &e) {
        QMessageBox::critical(nullptr, QStringLiteral("NAXO Updater"), QString::fromLocal8Bit(e.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, QStringLiteral("NAXO Updater"), QString());
    }
    return 0;
}
