#include "firstmessagew.h"
#include "ui_firstmessagew.h"

#include <QPixmap>

FirstMessageW::FirstMessageW(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::FirstMessageW)
{
    ui->setupUi(this);
    // The picture lies beside the program; without it only the text shows.
    ui->l_pikto->setPixmap(QPixmap(QStringLiteral("pikto_first.png")));
}

FirstMessageW::~FirstMessageW() = default;
