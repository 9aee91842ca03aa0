#ifndef SERVER_H
#define SERVER_H

#include "admintexts.h"
#include "message.h"
#include "connectionserver.h"
#include "datalocation.h"
#include "datastore.h"

#include <QList>
#include <QScopedPointer>
#include <QVector>
#include <QWidget>

#include <array>
#include <functional>

class AnswerHistoryView;
class QCloseEvent;
class QDateTime;
class EditQuestUnit;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextEdit;
class QTimer;

namespace Ui {
class ServerClass;
}

// The administrator's window. It owns the data store and the connection
// server, and offers the question editor, the three account tabs, the
// answer history and the start of a new season. Problems the administrator
// must know about (a port that cannot be opened, a data file that cannot be
// written or was found damaged) are shown in a red banner at the top.
class Server : public QWidget
{
    Q_OBJECT

public:
    // Keeps its data files in the location's folder (a folder name will do);
    // `port` 0 takes any free port.
    explicit Server(const DataLocation &location, quint16 port = ServerPort, QWidget *parent = nullptr);
    ~Server() override;

    DataStore &dataStore() { return m_store; }
    const ConnectionServer &connectionServer() const { return m_connections; }

private slots:
    // Question editor.
    void on_pb_add_quest_clicked();
    void on_pb_save_clicked();
    void sl_delete_feachere(int index);
    void on_cb_edit_group_currentIndexChanged(int index);
    void on_cb_edit_block_currentIndexChanged(int index);
    void on_cb_edit_block_activation_stateChanged(int state);
    void on_pb_add_block_clicked();
    void on_pb_del_block_clicked();
    void sl_checkChangeQuestion();

    // Teachers of additional education.
    void on_pb_delete_teacher_clicked();
    void on_pb_teacher_add_clicked();
    void on_cb_teacher_user_currentIndexChanged(int index);
    void on_pb_teacher_generate_clicked();
    void on_pb_run_password_teacher_clicked();
    void on_cb_teacher_activition_stateChanged(int state);
    void on_pb_teacher_edit_clicked();

    // School teachers.
    void on_pb_delete_teacher_2_clicked();
    void on_pb_teacher_add_2_clicked();
    void on_cb_teacher_user_2_currentIndexChanged(int index);
    void on_lw_teachere_2_currentRowChanged(int row);
    void on_pb_teacher_generate_2_clicked();
    void on_pb_run_password_teacher_2_clicked();
    void on_cb_teacher_activition_2_stateChanged(int state);
    void on_pb_teacher_edit_2_clicked();

    // Experts.
    void on_pb_expert_delete_clicked();
    void on_pb_expert_add_clicked();
    void on_cb_expert_user_currentIndexChanged(int index);
    void on_lw_expert_currentRowChanged(int row);
    void on_pb_expert_generate_clicked();
    void on_pb_run_password_expert_clicked();
    void on_cb_expert_activition_stateChanged(int state);
    void on_pb_expert_edit_clicked();

    // History.
    void on_pb_reload_filter_clicked();
    void sl_delete_history(int questionId, int number);

    // Season and archive.
    void on_pb_begin_season_clicked();
    void on_pb_archive_clicked();

    // Snapshots.
    void on_pb_backups_clicked();
    void sl_storeRestored();

    // Warnings and the history's refresh hint.
    void on_pb_hide_warnings_clicked();
    void sl_showWarning(const QString &text);
    void sl_loginsBlocked(const QString &address, const QDateTime &until);
    void sl_answersWritten();

protected:
    // Asks about unsaved question edits first; "Отмена" keeps the window.
    void closeEvent(QCloseEvent *event) override;

private:
    // The widgets of one account tab and the account kind it edits.
    struct AccountTab
    {
        int kind;
        AdminText deleteQuestion;
        QListWidget *list;
        QCheckBox *active;
        QTextEdit *information;
        QComboBox *user;
        QLineEdit *password;
        QPushButton *remove;
        QPushButton *generate;
        QPushButton *apply;
    };
    enum TabIndex { TeacherTab, SchoolTeacherTab, ExpertTab };

    bool confirm(AdminText title, AdminText text, AdminText yes, AdminText no);
    bool confirm(AdminText title, const QString &text, AdminText yes, AdminText no);
    // Asks `question` with the number `count` gives until the answer is "Нет"
    // (false) or the number is unchanged after a "Да" (true).
    bool confirmCounted(AdminText title, const std::function<int()> &count,
                        const std::function<QString(int)> &question);

    // Question editor.
    int currentGroup() const;
    int currentBlock() const;
    void setBlockWidgetsEnabled(bool enabled);
    void clearBlockEditor();
    void removeAllRows();
    // Fills the rows with block `index` of `group` as stored.
    void showBlock(int group, int index);
    EditQuestUnit *appendRow();
    QVector<Question> rowQuestions() const;
    bool rowsDiffer();
    bool saveRows();
    // Before the rows are replaced or the window closes: with unsaved edits,
    // asks whether to save them. "Да" saves, "Нет" drops the edits; false for
    // "Отмена" (or a save that failed), when nothing may change.
    bool settleEdits();

    // Account tabs.
    void fillAccountTab(AccountTab &tab);
    void addAccount(AccountTab &tab);
    void editAccount(AccountTab &tab);
    void deleteAccount(AccountTab &tab);
    void setAccountActive(AccountTab &tab, int state);
    void showAccount(AccountTab &tab, int row);
    void selectAccountByName(AccountTab &tab, int index);
    void generatePassword(AccountTab &tab);
    void applyAccount(AccountTab &tab);
    // Brings the tab's widgets in line with its accounts after a change.
    void refreshAccountTab(AccountTab &tab);
    void setAccountWidgetsEnabled(AccountTab &tab, bool enabled);
    void pollAccountRows();
    // The first tab's row selection. Not a slot: no object of the form bears
    // its name (the list is lw_teachere), so it is reached by the row poll.
    void on_lw_teacher_currentRowChanged(int row);

    // History.
    void rebuildHistory();
    void deleteAuthorDay(const Answer &shown);
    void renameInTeacherFilter(const QString &oldName, const QString &newName);
    // From the answers at `from` of the store on; those before it must have
    // been taken in since the last change of the stores but appends.
    void updateTeacherFilter(int from = 0);

    void showStoreFill();

    // The size and place of the window, kept between starts.
    void restorePlacement();
    void savePlacement() const;

    DataStore m_store;
    ConnectionServer m_connections;
    QScopedPointer<Ui::ServerClass> ui;
    std::array<AccountTab, 3> m_tabs;
    QList<EditQuestUnit *> m_rows;
    // The group whose blocks cb_edit_block lists and the block the rows show
    // (-1 when they show none), which the combo boxes return to when the
    // administrator keeps unsaved edits.
    int m_shownGroup = -1;
    int m_shownBlock = -1;
    AnswerHistoryView *m_history = nullptr;
    // For each card of the history, the index of its answer in the store and
    // the store as it was when the cards were made, so that a delete button
    // never removes another answer than the one its card shows.
    QVector<int> m_historyIndexes;
    AnswerStore m_historySource;
    // While a card's delete question is open: a further delete click is not
    // a second delete.
    bool m_deletingAnswer = false;
    bool m_storeNearlyFull = false;
    QStringList m_warnings;
    QTimer *m_checkTimer = nullptr;
    // Rows last shown by the row poll (teacher and expert tabs).
    int m_polledTeacherRow = -1;
    int m_polledExpertRow = -1;
    // The store's revision and answer count when the teacher filter was
    // last filled: only answers appended since can add a name to it.
    quint64 m_filterRevision = 0;
    int m_filterAnswers = -1;
};

#endif // SERVER_H
