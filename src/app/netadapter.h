#pragma once

#include "adapterlist.h"

#include <QDialog>
#include <array>

class QLabel;
class QListWidget;
class QPushButton;

namespace naxo {

// Dialog results, as the window reads them.
enum AdapterDialogResult { ResultOK = 1, ResultCancel = 2, ResultYes = 6 };

// The adapter choice: a small rounded dark dialog listing the Ethernet
// adapters as "<description padded or cut to 40>\t<address>".
class TFormNetAdapter : public QDialog {
    Q_OBJECT
public:
    TFormNetAdapter(const QList<Adapter> &adapters, QWidget *owner);

    static QString ListLine(const Adapter &adapter);
    static constexpr int kMaxAdapters = 19;

    QString selectedAddress() const { return FSelectedAddress; }
    QString selectedName() const { return FSelectedName; }

    QListWidget *ListBox;
    QPushButton *Button1;
    QPushButton *ButtonAll;
    QPushButton *ButtonCloseApp;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void UseSelectedAdapter();

    std::array<QString, 20> FAdapterAddress;
    std::array<QString, 20> FAdapterName;
    QString FSelectedAddress;
    QString FSelectedName;
};

} // namespace naxo
