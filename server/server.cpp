#include "server.h"
#include "ui_server.h"

#include "accountlogic.h"
#include "answerarchive.h"
#include "answerhistoryview.h"
#include "backupsdialog.h"
#include "dialoguser.h"
#include "editquestunit.h"
#include "historyfilter.h"
#include "loginlimiter.h"
#include "questioneditor.h"
#include "season.h"
#include "seasonoverviewtab.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QTabBar>
#include <QDebug>
#include <QDir>
#include <QMessageBox>
#include <QPalette>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTime>
#include <QTimer>

#include <algorithm>

namespace {

const char *const SaveStyleClean
    = "QPushButton{\nborder: 1px solid #ACACAC;\nbackground-color: qlineargradient(spread:pad, "
      "x1:0.5, y1:1, x2:0.5, y2:0, stop:0 rgba(240, 240, 240, 255), stop:1 rgba(229, 229, 229, "
      "255))\n}\n";
const char *const SaveStyleChanged
    = "QPushButton{\nborder: 1px solid #ACACAC;\nbackground-color: qlineargradient(spread:pad, "
      "x1:0.5, y1:1, x2:0.5, y2:0, stop:0 rgba(240, 240, 240, 255), stop:1 rgba(226, 158, 158, "
      "255))\n}\n";

// Block names this long are repeated in full under the combo box.
constexpr int LongBlockName = 26;
constexpr int CheckIntervalMs = 50;
// The banner keeps the latest messages only, so it never crowds the tabs out.
constexpr int ShownWarnings = 5;

} // namespace

Server::Server(const DataLocation &location, quint16 port, QWidget *parent)
    : QWidget(parent)
    , m_store(location.folder)
    , m_connections(&m_store, port)
    , ui(new Ui::ServerClass)
{
    ui->setupUi(this);

    m_tabs = {{
        {TeacherDoKind, AdminText::DeleteTeacher, ui->lw_teachere, ui->cb_teacher_activition,
         ui->te_teacher_information, ui->cb_teacher_user, ui->le_teachere_new_password,
         ui->pb_delete_teacher, ui->pb_teacher_generate, ui->pb_run_password_teacher},
        {SchoolTeacherKind, AdminText::DeleteTeacher, ui->lw_teachere_2,
         ui->cb_teacher_activition_2, ui->te_teacher_information_2, ui->cb_teacher_user_2,
         ui->le_teachere_new_password_2, ui->pb_delete_teacher_2, ui->pb_teacher_generate_2,
         ui->pb_run_password_teacher_2},
        {ExpertKind, AdminText::DeleteExpert, ui->lw_expert, ui->cb_expert_activition,
         ui->te_expert_information, ui->cb_expert_user, ui->le_expert_new_password,
         ui->pb_expert_delete, ui->pb_expert_generate, ui->pb_run_password_expert},
    }};

    // The account combo boxes, name and password fields and their buttons are
    // kept in step with the lists but not shown: accounts are edited through
    // DialogUser.
    const QList<QWidget *> hidden = {
        ui->l_block_dublicate,
        ui->label_13,
        ui->cb_teacher_user,
        ui->label_14,
        ui->line_3,
        ui->label_16,
        ui->le_teachere_new,
        ui->pb_run_password_teacher,
        ui->pb_teacher_generate,
        ui->le_teachere_new_password,
        ui->label_6,
        ui->label_20,
        ui->cb_teacher_user_2,
        ui->label_21,
        ui->line_7,
        ui->label_22,
        ui->le_teachere_new_2,
        ui->pb_run_password_teacher_2,
        ui->pb_teacher_generate_2,
        ui->le_teachere_new_password_2,
        ui->label_8,
        ui->label_17,
        ui->cb_expert_user,
        ui->label_18,
        ui->line_5,
        ui->label_19,
        ui->le_expert_new,
        ui->pb_run_password_expert,
        ui->pb_expert_generate,
        ui->le_expert_new_password,
        ui->label_7,
        ui->w_warnings,
    };
    for (QWidget *w : hidden)
        w->hide();
    QPalette alarm = ui->w_warnings->palette();
    alarm.setColor(QPalette::Window, QColor(255, 214, 214));
    alarm.setColor(QPalette::WindowText, QColor(150, 0, 0));
    ui->w_warnings->setPalette(alarm);

    connect(&m_store, &DataStore::warning, this, &Server::sl_showWarning);
    connect(&m_store, &DataStore::answersWritten, this, &Server::sl_answersWritten);
    connect(&m_store, &DataStore::restored, this, &Server::sl_storeRestored);
    connect(m_connections.loginLimiter(), &LoginLimiter::blocked, this, &Server::sl_loginsBlocked);
    connect(&m_connections, &ConnectionServer::warning, this, &Server::sl_showWarning);
    if (!location.refusal.isEmpty())
        m_store.refuseFolder(location.refusal);
    m_store.load();
    if (!location.notice.isEmpty())
        sl_showWarning(location.notice);

    if (!m_store.isFolderUsable()) {
        // The banner says why; without its data folder the server takes no
        // clients.
    } else if (m_connections.listen()) {
        qDebug("Server run!");
    } else {
        const QString reason = m_connections.errorString();
        qDebug().noquote() << QStringLiteral("Unable to start the server: %1.").arg(reason);
        sl_showWarning(tr("Не удалось открыть порт %1 (%2). Клиенты не могут подключиться к "
                          "серверу: закройте программу, занявшую порт, и перезапустите сервер.")
                           .arg(QString::number(port), reason));
    }

    ui->l_data_folder->setText(QDir::toNativeSeparators(m_store.folder()));
    ui->l_begin_season->setText(m_store.seasonStart().toString(Qt::TextDate));
    on_cb_edit_group_currentIndexChanged(0);

    for (int tab : {ExpertTab, TeacherTab, SchoolTeacherTab})
        fillAccountTab(m_tabs[tab]);

    m_history = new AnswerHistoryView(1, true);
    m_history->embedInto(ui->w_for_units_history);
    connect(m_history, &AnswerHistoryView::deleteRequested, this,
            [this](int, qint32 questionId, int number) { sl_delete_history(questionId, number); });
    rebuildHistory();
    updateTeacherFilter();
    ui->tabWidget->addTab(new SeasonOverviewTab(&m_store), tr("Итоги сезона"));
    ui->l_update->setText(tr("Обновите"));
    ui->l_update->hide();
    showStoreFill();

    m_checkTimer = new QTimer(this);
    connect(m_checkTimer, &QTimer::timeout, this, &Server::sl_checkChangeQuestion);
    m_checkTimer->start(CheckIntervalMs);
    restorePlacement();
}

Server::~Server() = default;

bool Server::confirm(AdminText title, AdminText text, AdminText yes, AdminText no)
{
    return confirm(title, adminText(text), yes, no);
}

bool Server::confirm(AdminText title, const QString &text, AdminText yes, AdminText no)
{
    QMessageBox box(QMessageBox::Question, adminText(title), text, QMessageBox::NoButton, this);
    QPushButton *yesButton = box.addButton(adminText(yes), QMessageBox::YesRole);
    QPushButton *noButton = box.addButton(adminText(no), QMessageBox::RejectRole);
    box.setDefaultButton(noButton);
    box.setEscapeButton(noButton);
    box.exec();
    return box.clickedButton() == yesButton;
}

// ---- Question editor -------------------------------------------------------

int Server::currentGroup() const
{
    return ui->cb_edit_group->currentIndex();
}

int Server::currentBlock() const
{
    return ui->cb_edit_block->currentIndex();
}

void Server::setBlockWidgetsEnabled(bool enabled)
{
    const QList<QWidget *> widgets = {ui->pb_add_quest, ui->pb_del_block,
                                      ui->cb_edit_block_activation, ui->pb_save, ui->cb_edit_block};
    for (QWidget *w : widgets)
        w->setEnabled(enabled);
}

void Server::clearBlockEditor()
{
    removeAllRows();
    ui->le_new_block->clear();
    ui->cb_edit_block_activation->setChecked(false);
}

void Server::removeAllRows()
{
    for (EditQuestUnit *row : qAsConst(m_rows)) {
        disconnect(row, &EditQuestUnit::sg_delete, this, &Server::sl_delete_feachere);
        delete row;
    }
    m_rows.clear();
    m_shownBlock = -1;
}

EditQuestUnit *Server::appendRow()
{
    auto *row = new EditQuestUnit(ui->w_for_edit_quest, m_rows.size());
    connect(row, &EditQuestUnit::sg_delete, this, &Server::sl_delete_feachere);
    // The layout ends with a spacer that keeps the rows at the top.
    auto *layout = static_cast<QBoxLayout *>(ui->w_for_edit_quest->layout());
    layout->insertWidget(m_rows.size(), row);
    m_rows.append(row);
    return row;
}

QVector<Question> Server::rowQuestions() const
{
    QVector<Question> questions;
    questions.reserve(m_rows.size());
    for (const EditQuestUnit *row : m_rows)
        questions.append(row->question());
    return questions;
}

bool Server::rowsDiffer()
{
    return QuestionEditor(m_store).differs(m_shownGroup, m_shownBlock, rowQuestions(),
                                           ui->cb_edit_block_activation->isChecked());
}

bool Server::saveRows()
{
    return QuestionEditor(m_store).saveBlock(m_shownGroup, m_shownBlock, rowQuestions(),
                                             ui->cb_edit_block_activation->isChecked());
}

bool Server::settleEdits()
{
    if (!rowsDiffer())
        return true;
    QMessageBox box(QMessageBox::Question, adminText(AdminText::ConfirmTitle),
                    adminText(AdminText::UnsavedEdits), QMessageBox::NoButton, this);
    QPushButton *save = box.addButton(adminText(AdminText::YesButton), QMessageBox::YesRole);
    QPushButton *drop = box.addButton(adminText(AdminText::NoButton), QMessageBox::NoRole);
    QPushButton *stay = box.addButton(adminText(AdminText::DismissButton), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(stay);
    box.exec();
    if (box.clickedButton() == drop) {
        // The block as stored, in case the change that asked is called off
        // later (a block deletion not confirmed).
        showBlock(m_shownGroup, m_shownBlock);
        return true;
    }
    if (box.clickedButton() != save || !saveRows())
        return false;
    sl_checkChangeQuestion();
    rebuildHistory();
    return true;
}

void Server::closeEvent(QCloseEvent *event)
{
    if (settleEdits()) {
        savePlacement();
        QWidget::closeEvent(event);
    } else {
        event->ignore();
    }
}

void Server::restorePlacement()
{
    const QSettings settings(QStringLiteral("School"), QStringLiteral("Server"));
    if (restoreGeometry(settings.value(QStringLiteral("window/geometry")).toByteArray())) {
        // The screen it was on may be gone: the title bar must be on one.
        const QRect title(frameGeometry().topLeft(), QSize(frameGeometry().width(), 40));
        for (const QScreen *screen : QGuiApplication::screens()) {
            if (screen->availableGeometry().intersected(title).width() >= 100)
                return;
        }
    }
    // All the tabs' titles in a row, without scroll arrows, where the screen
    // has the room.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const int tabsWidth = ui->tabWidget->tabBar()->sizeHint().width() + 40;
    const QSize size(qMin(qMax(width(), tabsWidth), screen.width()), qMin(qMax(height(), 640), screen.height()));
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, screen));
}

void Server::savePlacement() const
{
    QSettings(QStringLiteral("School"), QStringLiteral("Server"))
        .setValue(QStringLiteral("window/geometry"), saveGeometry());
}

void Server::on_cb_edit_group_currentIndexChanged(int index)
{
    if (!settleEdits()) {
        const QSignalBlocker blocker(ui->cb_edit_group);
        ui->cb_edit_group->setCurrentIndex(m_shownGroup);
        return;
    }
    m_shownGroup = index;
    clearBlockEditor();
    {
        const QSignalBlocker blocker(ui->cb_edit_block);
        ui->cb_edit_block->clear();
        if (index >= 0 && index < m_store.questions().size()) {
            for (const QuestionBlock &block : m_store.questions().at(index).blocks)
                ui->cb_edit_block->addItem(block.name);
        }
    }
    const bool hasBlocks = ui->cb_edit_block->count() > 0;
    setBlockWidgetsEnabled(hasBlocks);
    if (hasBlocks)
        on_cb_edit_block_currentIndexChanged(0);
    else
        on_cb_edit_block_currentIndexChanged(-1);
}

void Server::on_cb_edit_block_currentIndexChanged(int index)
{
    if (index != m_shownBlock && !settleEdits()) {
        const QSignalBlocker blocker(ui->cb_edit_block);
        ui->cb_edit_block->setCurrentIndex(m_shownBlock);
        return;
    }
    const QString name = ui->cb_edit_block->currentText();
    const bool longName = index >= 0 && name.size() >= LongBlockName;
    ui->l_block_dublicate->setText(longName ? name : QString());
    ui->l_block_dublicate->setVisible(longName);
    if (index < 0)
        return;
    showBlock(currentGroup(), index);
}

void Server::showBlock(int group, int index)
{
    clearBlockEditor();
    const QuestionBlock *block = QuestionEditor(m_store).block(group, index);
    if (!block)
        return;
    ui->cb_edit_block_activation->setChecked(block->active);
    for (const Question &q : block->questions)
        appendRow()->setQuestion(q);
    m_shownBlock = index;
}

void Server::on_cb_edit_block_activation_stateChanged(int)
{
    // Nothing to do at once: the flag is stored by "Сохранить" and watched
    // by the change check.
}

void Server::on_pb_add_block_clicked()
{
    const QString name = ui->le_new_block->text();
    if (name.trimmed().isEmpty())
        return;
    QuestionEditor editor(m_store);
    if (editor.hasBlockNamed(currentGroup(), name)) {
        QMessageBox::warning(this, windowTitle(), adminText(AdminText::DuplicateBlock));
        return;
    }
    if (!settleEdits())
        return;
    const int index = editor.addBlock(currentGroup(), name);
    if (index < 0)
        return;
    {
        const QSignalBlocker blocker(ui->cb_edit_block);
        ui->cb_edit_block->addItem(name);
        ui->cb_edit_block->setCurrentIndex(index);
    }
    setBlockWidgetsEnabled(true);
    on_cb_edit_block_currentIndexChanged(index);
}

void Server::on_pb_del_block_clicked()
{
    if (!settleEdits())
        return;
    if (!confirm(AdminText::ConfirmTitle, AdminText::DeleteBlock, AdminText::DeleteButton,
                 AdminText::CancelButton))
        return;
    const int block = currentBlock();
    if (!QuestionEditor(m_store).deleteBlock(currentGroup(), block))
        return;
    {
        const QSignalBlocker blocker(ui->cb_edit_block);
        ui->cb_edit_block->removeItem(block);
    }
    // The rows showed the deleted block.
    clearBlockEditor();
    if (ui->cb_edit_block->count() == 0) {
        setBlockWidgetsEnabled(false);
        on_cb_edit_block_currentIndexChanged(-1);
    } else {
        on_cb_edit_block_currentIndexChanged(currentBlock());
    }
    rebuildHistory();
}

void Server::on_pb_add_quest_clicked()
{
    if (!QuestionEditor(m_store).block(currentGroup(), currentBlock()))
        return;
    QVector<qint32> openIds;
    for (const EditQuestUnit *row : qAsConst(m_rows))
        openIds.append(row->question().id);
    const Question question = QuestionEditor(m_store).newQuestion(openIds);
    appendRow()->setQuestion(question);
}

void Server::sl_delete_feachere(int index)
{
    if (index < 0 || index >= m_rows.size())
        return;
    EditQuestUnit *row = m_rows.takeAt(index);
    disconnect(row, &EditQuestUnit::sg_delete, this, &Server::sl_delete_feachere);
    // The row's own button is still on the stack.
    row->hide();
    ui->w_for_edit_quest->layout()->removeWidget(row);
    row->deleteLater();
    for (int i = 0; i < m_rows.size(); ++i)
        m_rows.at(i)->setIndex(i);
}

void Server::on_pb_save_clicked()
{
    if (!saveRows())
        return;
    sl_checkChangeQuestion();
    rebuildHistory();
}

void Server::sl_checkChangeQuestion()
{
    const QString style = QString::fromLatin1(rowsDiffer() ? SaveStyleChanged : SaveStyleClean);
    if (ui->pb_save->styleSheet() != style)
        ui->pb_save->setStyleSheet(style);
    ui->pb_add_block->setEnabled(!ui->le_new_block->text().trimmed().isEmpty());
    pollAccountRows();
}

// ---- Account tabs ----------------------------------------------------------

void Server::fillAccountTab(AccountTab &tab)
{
    const QVector<Account> &accounts = m_store.accounts().at(tab.kind);
    const QSignalBlocker blockUser(tab.user);
    for (const Account &account : accounts) {
        tab.user->addItem(account.name);
        tab.list->addItem(account.name);
    }
    // The first account is shown at once, so that the check box and the
    // profile never stand for no account.
    if (!accounts.isEmpty())
        tab.list->setCurrentRow(0);
    refreshAccountTab(tab);
}

void Server::setAccountWidgetsEnabled(AccountTab &tab, bool enabled)
{
    const QList<QWidget *> widgets
        = {tab.user, tab.remove, tab.apply, tab.generate, tab.active, tab.information};
    for (QWidget *w : widgets)
        w->setEnabled(enabled);
}

void Server::showAccount(AccountTab &tab, int row)
{
    if (!AccountLogic(m_store).isValid(tab.kind, row))
        return;
    const Account &account = m_store.accounts().at(tab.kind).at(row);
    tab.active->show();
    {
        // Showing the flag is not a change of it.
        const QSignalBlocker blocker(tab.active);
        tab.active->setCheckState(account.active ? Qt::Checked : Qt::Unchecked);
    }
    tab.information->setPlainText(account.information);
    const QSignalBlocker blocker(tab.user);
    tab.user->setCurrentIndex(row);
}

void Server::refreshAccountTab(AccountTab &tab)
{
    const bool any = !m_store.accounts().at(tab.kind).isEmpty();
    setAccountWidgetsEnabled(tab, any);
    const int row = tab.list->currentRow();
    if (any && row >= 0) {
        showAccount(tab, row);
    } else {
        const QSignalBlocker blocker(tab.active);
        tab.active->setCheckState(Qt::Unchecked);
        tab.information->clear();
    }
    if (tab.kind == TeacherDoKind)
        m_polledTeacherRow = row;
    else if (tab.kind == ExpertKind)
        m_polledExpertRow = row;
}

void Server::addAccount(AccountTab &tab)
{
    DialogUser dialog;
    if (dialog.exec() != QDialog::Accepted)
        return;
    const Account entered = dialog.account();
    if (AccountLogic(m_store).add(tab.kind, entered) < 0)
        return;
    {
        const QSignalBlocker blocker(tab.user);
        tab.user->addItem(entered.name);
    }
    tab.list->addItem(entered.name);
    tab.list->setCurrentRow(0);
    refreshAccountTab(tab);
}

void Server::editAccount(AccountTab &tab)
{
    const int row = tab.list->currentRow();
    AccountLogic logic(m_store);
    if (!logic.isValid(tab.kind, row))
        return;
    const QString oldName = logic.accounts(tab.kind).at(row).name;
    DialogUser dialog;
    dialog.setAccount(logic.accounts(tab.kind).at(row));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const Account entered = dialog.account();
    if (!logic.edit(tab.kind, row, entered))
        return;
    tab.list->item(row)->setText(entered.name);
    tab.user->setItemText(row, entered.name);
    refreshAccountTab(tab);
    renameInTeacherFilter(oldName, entered.name);
    updateTeacherFilter();
    rebuildHistory();
}

// The teacher filter lists a renamed account under its new name, in the
// place of the old one (so a filter set to it follows), unless another
// account still bears the old name.
void Server::renameInTeacherFilter(const QString &oldName, const QString &newName)
{
    QComboBox *filter = ui->cb_filter_teacher;
    const int at = filter->findText(oldName);
    if (oldName == newName || at < 0 || filter->findText(newName) >= 0)
        return;
    for (const QVector<Account> &kind : m_store.accounts()) {
        for (const Account &account : kind) {
            if (account.name == oldName) {
                filter->addItem(newName);
                return;
            }
        }
    }
    filter->setItemText(at, newName);
}

void Server::deleteAccount(AccountTab &tab)
{
    if (!confirm(AdminText::ConfirmTitle, tab.deleteQuestion, AdminText::DeleteButton,
                 AdminText::CancelButton))
        return;
    const int row = tab.list->currentRow();
    if (!AccountLogic(m_store).remove(tab.kind, row))
        return;
    {
        const QSignalBlocker blocker(tab.user);
        tab.user->removeItem(row);
    }
    delete tab.list->takeItem(row);
    refreshAccountTab(tab);
    updateTeacherFilter();
    rebuildHistory();
}

void Server::setAccountActive(AccountTab &tab, int state)
{
    AccountLogic(m_store).setActive(tab.kind, tab.list->currentRow(), state == Qt::Checked);
}

void Server::selectAccountByName(AccountTab &tab, int index)
{
    const bool valid = AccountLogic(m_store).isValid(tab.kind, index);
    setAccountWidgetsEnabled(tab, valid);
    if (!valid)
        return;
    tab.list->setCurrentRow(index);
    refreshAccountTab(tab);
}

void Server::generatePassword(AccountTab &tab)
{
    tab.password->setText(QString::fromLatin1(AccountLogic::generatePassword()));
}

void Server::applyAccount(AccountTab &tab)
{
    if (AccountLogic(m_store).apply(tab.kind, tab.user->currentText(), tab.password->text(),
                                    tab.active->checkState() == Qt::Checked,
                                    tab.information->toPlainText()))
        refreshAccountTab(tab);
}

// The list of the first tab is not reached by its slot's name, so its
// selection is followed here, every 50 ms, together with the experts'.
void Server::pollAccountRows()
{
    const int teacherRow = ui->lw_teachere->currentRow();
    if (teacherRow >= 0 && teacherRow < m_store.accounts().at(TeacherDoKind).size()
        && teacherRow != m_polledTeacherRow) {
        on_lw_teacher_currentRowChanged(teacherRow);
        m_polledTeacherRow = teacherRow;
    }
    const int expertRow = ui->lw_expert->currentRow();
    if (expertRow >= 0 && expertRow < m_store.accounts().at(ExpertKind).size()
        && expertRow != m_polledExpertRow) {
        on_lw_expert_currentRowChanged(expertRow);
        m_polledExpertRow = expertRow;
    }
}

void Server::on_pb_delete_teacher_clicked()
{
    deleteAccount(m_tabs[TeacherTab]);
}
void Server::on_pb_teacher_add_clicked()
{
    addAccount(m_tabs[TeacherTab]);
}
void Server::on_cb_teacher_user_currentIndexChanged(int index)
{
    selectAccountByName(m_tabs[TeacherTab], index);
}
void Server::on_lw_teacher_currentRowChanged(int row)
{
    showAccount(m_tabs[TeacherTab], row);
}
void Server::on_pb_teacher_generate_clicked()
{
    generatePassword(m_tabs[TeacherTab]);
}
void Server::on_pb_run_password_teacher_clicked()
{
    applyAccount(m_tabs[TeacherTab]);
}
void Server::on_cb_teacher_activition_stateChanged(int state)
{
    setAccountActive(m_tabs[TeacherTab], state);
}
void Server::on_pb_teacher_edit_clicked()
{
    editAccount(m_tabs[TeacherTab]);
}

void Server::on_pb_delete_teacher_2_clicked()
{
    deleteAccount(m_tabs[SchoolTeacherTab]);
}
void Server::on_pb_teacher_add_2_clicked()
{
    addAccount(m_tabs[SchoolTeacherTab]);
}
void Server::on_cb_teacher_user_2_currentIndexChanged(int index)
{
    selectAccountByName(m_tabs[SchoolTeacherTab], index);
}
void Server::on_lw_teachere_2_currentRowChanged(int row)
{
    showAccount(m_tabs[SchoolTeacherTab], row);
}
void Server::on_pb_teacher_generate_2_clicked()
{
    generatePassword(m_tabs[SchoolTeacherTab]);
}
void Server::on_pb_run_password_teacher_2_clicked()
{
    applyAccount(m_tabs[SchoolTeacherTab]);
}
void Server::on_cb_teacher_activition_2_stateChanged(int state)
{
    setAccountActive(m_tabs[SchoolTeacherTab], state);
}
void Server::on_pb_teacher_edit_2_clicked()
{
    editAccount(m_tabs[SchoolTeacherTab]);
}

void Server::on_pb_expert_delete_clicked()
{
    deleteAccount(m_tabs[ExpertTab]);
}
void Server::on_pb_expert_add_clicked()
{
    addAccount(m_tabs[ExpertTab]);
}
void Server::on_cb_expert_user_currentIndexChanged(int index)
{
    selectAccountByName(m_tabs[ExpertTab], index);
}
void Server::on_lw_expert_currentRowChanged(int row)
{
    showAccount(m_tabs[ExpertTab], row);
}
void Server::on_pb_expert_generate_clicked()
{
    generatePassword(m_tabs[ExpertTab]);
}
void Server::on_pb_run_password_expert_clicked()
{
    applyAccount(m_tabs[ExpertTab]);
}
void Server::on_cb_expert_activition_stateChanged(int state)
{
    setAccountActive(m_tabs[ExpertTab], state);
}
void Server::on_pb_expert_edit_clicked()
{
    editAccount(m_tabs[ExpertTab]);
}

// ---- History ---------------------------------------------------------------

void Server::rebuildHistory()
{
    ui->l_update->hide();
    HistoryFilter filter;
    if (ui->cb_filter_group_2->checkState() == Qt::Checked)
        filter.authorKind = ui->cb_filter_group->currentIndex();
    if (ui->cb_filter_teacher_2->checkState() == Qt::Checked)
        filter.teacher = ui->cb_filter_teacher->currentText();
    const HistoryList list
        = buildHistory(m_store.questions(), m_store.accounts(), m_store.answers(), filter);
    m_historyIndexes = list.storeIndexes;
    m_historySource = m_store.answers();
    m_history->setAnswers(list.answers);
}

void Server::on_pb_reload_filter_clicked()
{
    rebuildHistory();
}

void Server::sl_delete_history(int questionId, int number)
{
    // The question box blocks the window; this also keeps a click that
    // reaches a card while it is open from asking about a second one.
    if (m_deletingAnswer)
        return;
    const int row = number - 1;
    if (row < 0 || row >= m_historyIndexes.size())
        return;
    const int index = m_historyIndexes.at(row);
    // Answers only ever arrive at the end of the store; anything else that
    // moved the card's answer has rebuilt the cards, so a mismatch here
    // means the card is out of date and removes nothing. Checked again after
    // the question, during which clients were served.
    const auto cardIsCurrent = [&] {
        const AnswerStore &answers = m_store.answers();
        return index < answers.size() && index < m_historySource.size()
            && answers.at(index) == m_historySource.at(index)
            && answers.at(index).questionId == questionId;
    };
    if (cardIsCurrent()) {
        const Answer shown = m_history->answerAt(row);
        const QString text = adminText(AdminText::DeleteAnswer)
                                 .arg(shown.subjectName, shown.blockName, shown.questionText,
                                      shown.date.toString(QStringLiteral("dd.MM.yyyy")),
                                      QString::number(shown.value));
        QMessageBox box(QMessageBox::Question, adminText(AdminText::ConfirmTitle), text, QMessageBox::NoButton,
                        this);
        QPushButton *yesButton = box.addButton(adminText(AdminText::YesButton), QMessageBox::YesRole);
        QPushButton *authorDayButton = box.addButton(tr("Все ответы автора за этот день…"), QMessageBox::ActionRole);
        QPushButton *noButton = box.addButton(adminText(AdminText::NoButton), QMessageBox::RejectRole);
        box.setDefaultButton(noButton);
        box.setEscapeButton(noButton);
        {
            const QScopedValueRollback<bool> deleting(m_deletingAnswer, true);
            box.exec();
        }
        if (box.clickedButton() == authorDayButton)
            deleteAuthorDay(shown);
        else if (box.clickedButton() == yesButton && cardIsCurrent() && m_store.snapshotBefore(tr("Удаление ответа")))
            m_store.removeAnswerAt(index);
        else
            return;
    }
    rebuildHistory();
}

// The way out of a flood of answers from one account: every answer its
// author sent on the card's day, after a question that names how many.
void Server::deleteAuthorDay(const Answer &shown)
{
    const qint32 author = shown.authorId;
    const QDate day = shown.date;
    const QString name = shown.authorName.isEmpty() ? tr("без имени") : shown.authorName;
    const auto count = [&] {
        const AnswerStore &answers = m_store.answers();
        return int(std::count_if(answers.cbegin(), answers.cend(),
                                 [&](const Answer &a) { return a.authorId == author && a.date == day; }));
    };
    const auto question = [&](int n) {
        return tr("Удалить все ответы автора «%1» за %2? Их в хранилище: %3.")
            .arg(name, day.toString(QStringLiteral("dd.MM.yyyy")), QString::number(n));
    };
    const QScopedValueRollback<bool> deleting(m_deletingAnswer, true);
    if (confirmCounted(AdminText::ConfirmTitle, count, question)
        && m_store.snapshotBefore(tr("Удаление ответов автора «%1» за %2")
                                      .arg(name, day.toString(QStringLiteral("dd.MM.yyyy")))))
        m_store.removeAnswersOfAuthorOn(author, day);
}

// Clients are served while a question is open: when the number it named
// has changed by the answer, it is asked again with the new number, so
// that nothing is removed that the administrator was not told of.
bool Server::confirmCounted(AdminText title, const std::function<int()> &count,
                            const std::function<QString(int)> &question)
{
    for (int asked = count();;) {
        if (!confirm(title, question(asked), AdminText::YesButton, AdminText::NoButton))
            return false;
        const int now = count();
        if (now == asked)
            return true;
        asked = now;
    }
}

void Server::updateTeacherFilter(int from)
{
    QComboBox *combo = ui->cb_filter_teacher;
    QStringList held;
    for (int i = 0; i < combo->count(); ++i)
        held.append(combo->itemText(i));
    const AnswerStore &answers = m_store.answers();
    const QStringList items =
        teacherFilterItems(held, m_store.accounts(), from > 0 ? answers.mid(from) : answers);
    m_filterRevision = m_store.revision();
    m_filterAnswers = answers.size();
    if (items == held)
        return;
    const QString current = combo->currentText();
    combo->clear();
    combo->addItems(items);
    const int kept = items.indexOf(current);
    combo->setCurrentIndex(qMax(0, kept));
    // A filter whose teacher is gone would quietly show another teacher's
    // answers; it is turned off instead.
    if (kept < 0 && !current.isEmpty())
        ui->cb_filter_teacher_2->setChecked(false);
}

void Server::sl_answersWritten()
{
    const bool appended = m_filterAnswers >= 0 && m_filterRevision == m_store.revision()
        && m_filterAnswers <= m_store.answers().size();
    updateTeacherFilter(appended ? m_filterAnswers : 0);
    ui->l_update->show();
    showStoreFill();
}

void Server::showStoreFill()
{
    const int count = m_store.answers().size();
    const int percent = storeFillPercent(count);
    const bool nearlyFull = percent >= StoreNearlyFullPercent;
    QString text = tr("Ответов в хранилище: %1 из 65 535").arg(count);
    if (nearlyFull)
        text += tr(" (%1 %)").arg(percent);
    ui->l_store_fill->setText(text);
    ui->l_store_fill->setToolTip(nearlyFull ? tr("Хранилище почти заполнено: перенесите ответы "
                                                 "прошлых сезонов в архив.")
                                            : QString());
    QPalette palette = ui->l_store_fill->palette();
    palette.setColor(QPalette::WindowText, nearlyFull ? QColor(180, 0, 0)
                                                      : ui->label->palette().color(QPalette::WindowText));
    ui->l_store_fill->setPalette(palette);
    QFont font = ui->l_store_fill->font();
    font.setBold(nearlyFull);
    ui->l_store_fill->setFont(font);
    if (nearlyFull && !m_storeNearlyFull) {
        sl_showWarning(tr("Хранилище ответов заполнено на %1 % (%2 из 65 535). Когда оно "
                          "заполнится, новые ответы не будут приниматься: перенесите ответы "
                          "прошлых сезонов в архив (вкладка «Редактор тестов»).")
                           .arg(QString::number(percent), QString::number(count)));
    }
    m_storeNearlyFull = nearlyFull;
}

// ---- Season ----------------------------------------------------------------

void Server::on_pb_begin_season_clicked()
{
    // The day the question names, even when the answer comes after midnight.
    const QDate today = QDate::currentDate();
    const auto count = [&] { return seasonRemovalCount(m_store.answers(), today); };
    const auto question = [](int n) {
        return adminText(AdminText::SeasonQuestion) + QLatin1String("\n\n") + adminText(AdminText::SeasonRemovals).arg(n);
    };
    if (!confirmCounted(AdminText::SeasonTitle, count, question))
        return;
    beginSeason(m_store, today);
    ui->l_begin_season->setText(m_store.seasonStart().toString(Qt::TextDate));
    rebuildHistory();
}

void Server::on_pb_archive_clicked()
{
    AnswerArchive archive(m_store);
    const int count = archive.archivableCount();
    if (count == 0) {
        QMessageBox::information(this, windowTitle(), adminText(AdminText::ArchiveNothing));
        return;
    }
    const QString text = adminText(AdminText::ArchiveQuestion)
                             .arg(m_store.seasonStart().toString(QStringLiteral("dd.MM.yyyy")),
                                  QString::number(count), QDir::toNativeSeparators(archive.folder()));
    if (!confirm(AdminText::ConfirmTitle, text, AdminText::YesButton, AdminText::NoButton))
        return;
    const AnswerArchive::Outcome outcome = archive.archive(QDate::currentDate());
    if (!outcome.error.isEmpty()) {
        sl_showWarning(tr("Ответы прошлых сезонов не перенесены в архив: %1. Хранилище ответов "
                          "не изменилось.")
                           .arg(outcome.error));
        return;
    }
    rebuildHistory();
    QMessageBox::information(this, windowTitle(),
                             adminText(AdminText::ArchiveDone)
                                 .arg(QString::number(outcome.moved),
                                      QDir::toNativeSeparators(outcome.answersFile),
                                      QDir::toNativeSeparators(outcome.csvFile)));
}

// ---- Snapshots -------------------------------------------------------------

void Server::on_pb_backups_clicked()
{
    // A restore replaces the block the editor shows.
    if (!settleEdits())
        return;
    BackupsDialog dialog(m_store, this);
    dialog.exec();
}

void Server::sl_storeRestored()
{
    removeAllRows();
    on_cb_edit_group_currentIndexChanged(currentGroup());
    for (AccountTab &tab : m_tabs) {
        {
            const QSignalBlocker blocker(tab.user);
            tab.user->clear();
        }
        tab.list->clear();
        fillAccountTab(tab);
    }
    ui->l_begin_season->setText(m_store.seasonStart().toString(Qt::TextDate));
    updateTeacherFilter();
    rebuildHistory();
    showStoreFill();
}

// ---- Warnings --------------------------------------------------------------

void Server::sl_showWarning(const QString &text)
{
    m_warnings.append(QTime::currentTime().toString(QStringLiteral("HH:mm")) + QLatin1String("  ")
                      + text);
    while (m_warnings.size() > ShownWarnings)
        m_warnings.removeFirst();
    ui->l_warnings->setText(m_warnings.join(QLatin1Char('\n')));
    ui->w_warnings->show();
}

void Server::sl_loginsBlocked(const QString &address, const QDateTime &until)
{
    const QString text = tr("С адреса %1 за %2 минут было %3 неудачных попыток входа; вход с этого адреса "
                            "закрыт до %4.")
                             .arg(address, QString::number(LoginLimiter::FailureWindowSecs / 60),
                                  QString::number(LoginLimiter::MaxFailures),
                                  until.toLocalTime().toString(QStringLiteral("HH:mm")));
    qWarning().noquote() << text;
    sl_showWarning(text);
}

void Server::on_pb_hide_warnings_clicked()
{
    m_warnings.clear();
    ui->l_warnings->clear();
    ui->w_warnings->hide();
}
