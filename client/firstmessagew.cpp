#include "firstmessagew.h"
#include "ui_firstmessagew.h"

#include "clientfiles.h"

#include <QPixmap>

FirstMessageW::FirstMessageW(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::FirstMessageW)
{
    ui->setupUi(this);
    // Without the picture only the text shows.
    ui->l_pikto->setPixmap(QPixmap(clientDataFile(QStringLiteral("pikto_first.png"))));
}

FirstMessageW::~FirstMessageW() = default;
