#ifndef FIRSTMESSAGEW_H
#define FIRSTMESSAGEW_H

#include <QDialog>
#include <QScopedPointer>

namespace Ui {
class FirstMessageW;
}

// The greeting shown once, before the first login on this computer.
class FirstMessageW : public QDialog
{
    Q_OBJECT

public:
    explicit FirstMessageW(QWidget *parent = nullptr);
    ~FirstMessageW() override;

private:
    const QScopedPointer<Ui::FirstMessageW> ui;
};

#endif // FIRSTMESSAGEW_H
