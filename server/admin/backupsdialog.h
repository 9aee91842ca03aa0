#ifndef BACKUPSDIALOG_H
#define BACKUPSDIALOG_H

#include "snapshots.h"

#include <QDialog>
#include <QScopedPointer>
#include <QVector>

class DataStore;

namespace Ui {
class BackupsDialog;
}

// "Резервные копии": the snapshots of the data folder, newest first, with
// why each was made and what it holds; "Восстановить" puts the chosen one
// in place after a question that says what the store would lose and gain.
// Damaged entries are listed, greyed, and cannot be restored.
class BackupsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit BackupsDialog(DataStore &store, QWidget *parent = nullptr);
    ~BackupsDialog() override;

    // Reads the folder "backups" again.
    void refresh();

private slots:
    void on_pb_restore_clicked();
    void on_tbl_backups_itemSelectionChanged();

private:
    const SnapshotInfo *selected() const;

    DataStore &m_store;
    QScopedPointer<Ui::BackupsDialog> ui;
    QVector<SnapshotInfo> m_snapshots;
};

#endif // BACKUPSDIALOG_H
