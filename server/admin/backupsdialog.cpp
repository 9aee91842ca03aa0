#include "backupsdialog.h"
#include "ui_backupsdialog.h"

#include "datastore.h"

#include <QDir>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString shownTime(const QDateTime &time)
{
    return time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QTableWidgetItem *cell(const QString &text, bool number = false)
{
    auto *item = new QTableWidgetItem(text);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

BackupsDialog::BackupsDialog(DataStore &store, QWidget *parent)
    : QDialog(parent)
    , m_store(store)
    , ui(new Ui::BackupsDialog)
{
    ui->setupUi(this);
    ui->l_folder->setText(tr("Копии хранятся в папке «%1». Сервер делает копию при запуске, перед "
                             "первым изменением за день и перед каждым удалением; хранятся все копии "
                             "за последние сутки и по одной за каждый из 30 дней до них.")
                              .arg(QDir::toNativeSeparators(m_store.snapshots().folder())));
    refresh();
}

BackupsDialog::~BackupsDialog() = default;

void BackupsDialog::refresh()
{
    m_snapshots = m_store.snapshots().list();
    QTableWidget *table = ui->tbl_backups;
    table->setRowCount(0);
    table->setRowCount(m_snapshots.size());
    for (int row = 0; row < m_snapshots.size(); ++row) {
        const SnapshotInfo &s = m_snapshots.at(row);
        const bool whole = s.damage.isEmpty();
        table->setItem(row, 0, cell(s.time.isValid() ? shownTime(s.time) : s.name));
        table->setItem(row, 1, cell(whole ? s.reason : tr("Повреждена, не восстанавливается: %1").arg(s.damage)));
        table->setItem(row, 2, cell(whole ? QString::number(s.answers) : QString(), true));
        table->setItem(row, 3, cell(whole ? QString::number(s.accounts) : QString(), true));
        table->setItem(row, 4, cell(whole ? QString::number(s.blocks) : QString(), true));
        if (!whole) {
            for (int column = 0; column < table->columnCount(); ++column) {
                table->item(row, column)->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
                table->item(row, column)->setToolTip(s.name + QLatin1String(": ") + s.damage);
            }
        }
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(false);
    table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    ui->l_empty->setVisible(m_snapshots.isEmpty());
    if (!m_snapshots.isEmpty())
        table->selectRow(0);
    on_tbl_backups_itemSelectionChanged();
}

const SnapshotInfo *BackupsDialog::selected() const
{
    const int row = ui->tbl_backups->currentRow();
    if (ui->tbl_backups->selectedItems().isEmpty() || row < 0 || row >= m_snapshots.size())
        return nullptr;
    return &m_snapshots.at(row);
}

void BackupsDialog::on_tbl_backups_itemSelectionChanged()
{
    const SnapshotInfo *snapshot = selected();
    ui->pb_restore->setEnabled(snapshot && snapshot->damage.isEmpty());
}

void BackupsDialog::on_pb_restore_clicked()
{
    const SnapshotInfo *chosen = selected();
    if (!chosen || !chosen->damage.isEmpty())
        return;
    const SnapshotInfo snapshot = *chosen;
    const std::optional<AnswerStore> answers = Snapshots::answersOf(snapshot.path);
    if (!answers) {
        refresh();
        return;
    }
    const AnswerChange change = answerChange(m_store.answers(), *answers);
    QMessageBox box(QMessageBox::Question, tr("Восстановление"),
                    tr("Восстановить данные из резервной копии от %1?\n\n"
                       "Хранилище потеряет ответов: %2, получит ответов: %3. Учётных записей в копии: "
                       "%4, блоков: %5.\n\nНынешние данные сначала будут сохранены в новой резервной копии.")
                        .arg(shownTime(snapshot.time), QString::number(change.lost),
                             QString::number(change.gained), QString::number(snapshot.accounts),
                             QString::number(snapshot.blocks)),
                    QMessageBox::NoButton, this);
    QPushButton *yes = box.addButton(tr("Восстановить"), QMessageBox::AcceptRole);
    QPushButton *no = box.addButton(tr("Отмена"), QMessageBox::RejectRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    if (box.clickedButton() != yes)
        return;
    const QString error = m_store.restore(snapshot.path);
    refresh();
    if (!error.isEmpty()) {
        QMessageBox::warning(this, tr("Восстановление"),
                             tr("Данные не восстановлены: %1. Хранилище не изменилось.").arg(error));
        return;
    }
    QMessageBox::information(this, tr("Восстановление"),
                             tr("Данные восстановлены из резервной копии от %1.").arg(shownTime(snapshot.time)));
}
