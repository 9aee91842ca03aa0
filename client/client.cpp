#include "client.h"
#include "ui_client.h"

#include "addressline.h"
#include "answerhistoryview.h"
#include "clientfiles.h"
#include "clientprotocol.h"
#include "clienttexts.h"
#include "firstmessagew.h"
#include "graphpainter.h"
#include "passwordwindow.h"
#include "questionchanges.h"
#include "questtestunit.h"
#include "resulttab.h"
#include "setshown.h"
#include "widgetlegend.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <utility>

namespace {

// The files the client reads; clientfiles.h says where it looks for them.
const char AddressFile[] = "setting_client.ini";
const char PictureFile[] = "pikto.png";
const char HelpFile[] = "file.pdf";

// The marker of the settings store that asks for the welcome window.
const char WelcomeKey[] = "Temp";

// Marks "Ответить" once the server has confirmed answers.
const char SentStyle[] = "QPushButton\n{background-color: qlineargradient(spread:pad, x1:0.5, y1:1, "
                         "x2:0.5, y2:0, stop:0 rgba(204, 183, 144, 255));\n}\n";

const char MessageTitle[] = "Опросник";

// Said in the status line and on the send buttons while there is no connection.
const char Reconnecting[] = "Нет связи с сервером. Подключение…";
const char NotSentWhileOffline[] = "Нет связи с сервером: ответы сейчас не будут отправлены.";
const char RefusedStatus[] = "Сервер не принял вход. Перезапустите программу.";

QString exportStartFolder()
{
#ifdef Q_OS_WIN
    return clientText(ClientText::ExportFolder);
#else
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
#endif
}

// A control of a chart tab: both tabs use the same names up to `suffix`.
template<typename T>
T *chartWidget(const QWidget *tab, const char *name, const QString &suffix)
{
    return tab->findChild<T *>(QLatin1String(name) + suffix);
}

// Refills `combo` with `records`, each shown by its name with its id as
// item data, without running the window's slots of that combo box. The
// record with `chosenId` stays chosen while it is offered; otherwise the
// first one is chosen.
template<typename Record>
void fillById(QComboBox *combo, const QVector<Record> &records, const QVariant &chosenId)
{
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (const Record &record : records)
        combo->addItem(record.name, record.id);
    const int row = combo->findData(chosenId);
    if (row >= 0)
        combo->setCurrentIndex(row);
}

} // namespace

Client::Client(QWidget *parent)
    : Client(readServerAddress(clientConfigFile(QString::fromLatin1(AddressFile))), ServerPort, parent)
{
}

Client::Client(const QHostAddress &server, quint16 port, QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::ClientClass)
{
    // The window icon is compiled into this static library, and a linker
    // keeps no object file of it that nothing names: register it by name.
    Q_INIT_RESOURCE(client);
    ui->setupUi(this);
    ui->l_connection->hide();
    m_sendToolTip = ui->pb_send->toolTip();
    m_updateToolTip = ui->pb_update_expert->toolTip();
    m_connection = new ServerConnection(server, port, this);

    showWelcomeOnce();

    m_passwordWindow.reset(new PasswordWindow);
    connect(m_passwordWindow.data(), &PasswordWindow::sg_reject, this, &Client::sl_reject);
    connect(m_passwordWindow.data(), &PasswordWindow::sg_accept, this, &Client::sl_accept);
    connect(m_passwordWindow.data(), &PasswordWindow::sg_exit, this, &Client::sl_exit);
    m_passwordWindow->show();

    // main() shows the window; until the server accepts a login only the
    // login window is to be seen.
    m_hideTimer = new QTimer(this);
    connect(m_hideTimer, &QTimer::timeout, this, &Client::sl_window_hide);
    m_hideTimer->start(1);

    // Controls for experts only, shown once the server says who is logged in.
    setShown({ui->label_12, ui->label_9, ui->cb_list_teachere, ui->label_10, ui->cb_type_user,
              ui->pb_update_expert, ui->l_block_notice},
             false);
    ui->pb_send->setEnabled(false);
    ui->w_for_units->layout()->setAlignment(Qt::AlignTop);
    ui->l_pikto->setPixmap(QPixmap(clientDataFile(QString::fromLatin1(PictureFile))));

    m_historyView = new AnswerHistoryView(0, false);
    m_historyView->embedInto(ui->w_for_units_history);

    setUpResultTabs();

    connect(m_connection, &ServerConnection::stateChanged, this, &Client::sl_connectionChanged);
    connect(m_connection, &ServerConnection::busyChanged, this, &Client::updateSendButtons);
    connect(m_connection, &ServerConnection::loginRefused, this, &Client::sl_loginRefused);
    connect(m_connection, &ServerConnection::refusedAgain, this, &Client::sl_refusedAgain);
    connect(m_connection, &ServerConnection::dataArrived, this, &Client::sl_readyReadEnd);
    connect(m_connection, &ServerConnection::unreadable, this, &Client::sl_unreadable);
    connect(m_connection, &ServerConnection::submissionSettled, this, &Client::sl_submissionSettled);
    m_connection->open();
}

Client::~Client()
{
    // The connection may still report its end while this window is half gone.
    m_connection->disconnect(this);
}

void Client::showWelcomeOnce()
{
    QSettings settings(QStringLiteral("School"), QStringLiteral("Client"));
    if (settings.value(QLatin1String(WelcomeKey)).toString() != QLatin1String("0"))
        return;
    // Written before the window opens, so that it is shown once per "0"
    // even if the program is ended meanwhile.
    settings.setValue(QLatin1String(WelcomeKey), QStringLiteral("1"));
    settings.sync();
    FirstMessageW welcome;
    welcome.exec();
}

void Client::setUpResultTabs()
{
    // The labels of the two chart tabs are numbered apart; every other
    // control of the second tab ends in "_2".
    const auto makeTab = [this](int group, const QWidget *tab, const QString &suffix, QWidget *legendBox,
                                QWidget *graphBox, QLabel *teacherLabel, QLabel *availableLabel,
                                QLabel *groupLabel) {
        ResultTabWidgets w;
        w.blocks = chartWidget<QComboBox>(tab, "cb_graph_blocks", suffix);
        w.teacherLabel = teacherLabel;
        w.teacher = chartWidget<QComboBox>(tab, "cb_graph_expert", suffix);
        w.availableLabel = availableLabel;
        w.available = chartWidget<QComboBox>(tab, "cb_graph_write", suffix);
        w.add = chartWidget<QPushButton>(tab, "pb_graph_add", suffix);
        w.groupLabel = groupLabel;
        w.group = chartWidget<QComboBox>(tab, "cb_graph_group", suffix);
        w.remove = chartWidget<QPushButton>(tab, "pb_graph_del", suffix);
        w.begin = chartWidget<QDateEdit>(tab, "de_begin", suffix);
        w.end = chartWidget<QDateEdit>(tab, "de_end", suffix);
        w.groupToggle = chartWidget<QPushButton>(tab, "pb_graph_group", suffix);
        w.notice = chartWidget<QLabel>(tab, "l_graph_notice", suffix);
        w.legend = new WidgetLegend(legendBox);
        legendBox->layout()->addWidget(w.legend);
        w.painter = new GraphPainter(graphBox);
        graphBox->layout()->addWidget(w.painter);

        // Teacher view for experts and group view are switched on later.
        setShown({w.teacherLabel, w.teacher, w.availableLabel, w.available, w.add, w.groupLabel, w.group,
                  w.remove, w.groupToggle, w.notice},
                 false);
        return new ResultTab(group, w, this);
    };
    m_resultTab = makeTab(0, ui->tab_3, QString(), ui->w_legend, ui->w_graph, ui->label_3, ui->label_5, ui->label_6);
    m_resultTab2 = makeTab(1, ui->tab_4, QStringLiteral("_2"), ui->w_legend_2, ui->w_graph_2, ui->label_13, ui->label_14,
                           ui->label_15);
}

void Client::sl_connectionChanged(ServerConnection::State state)
{
    // Until a login is accepted the login window tells; afterwards the
    // status line does, and the window stays usable on what it has.
    if (!m_connection->isLoggedIn()) {
        if (state == ServerConnection::State::Online)
            m_passwordWindow->setConnected();
        else
            m_passwordWindow->setDisconnected();
        return;
    }
    const bool refused = state == ServerConnection::State::Refused;
    ui->l_connection->setText(refused ? tr(RefusedStatus) : tr(Reconnecting));
    ui->l_connection->setVisible(state != ServerConnection::State::Online);
    updateSendButtons();
}

void Client::sl_loginRefused(int attemptsLeft)
{
    if (attemptsLeft == 0)
        emit sg_finished(1);
    else
        m_passwordWindow->showAttemptsLeft(attemptsLeft);
}

void Client::sl_refusedAgain()
{
    updateSendButtons();
    QMessageBox::warning(dialogParent(), tr(MessageTitle),
                         tr("Сервер не принял вход после восстановления связи: учётную запись удалили или "
                            "отключили, сменили её пароль, или вход с этого компьютера временно закрыт.\n"
                            "Результаты, графики и экспорт по-прежнему доступны. Чтобы войти снова, "
                            "перезапустите программу."));
}

void Client::sl_reject()
{
    emit sg_finished(1);
}

void Client::sl_accept()
{
    if (!m_connection->logIn(m_passwordWindow->loginData()) && m_connection->state() != ServerConnection::State::Online)
        notSent();
}

void Client::sl_exit()
{
    emit sg_finished(1);
}

void Client::sl_window_hide()
{
    m_hideTimer->stop();
    hide();
}

void Client::sl_readyReadEnd(const QVector<ServerSection> &sections)
{
    // The block choice depends on the blocks and the teachers; it and the
    // question cards are rebuilt once, after both lists are replaced.
    bool choicesChanged = false;
    for (const ServerSection &section : sections) {
        switch (section.type) {
        case BlockListSection:
            handleBlockList(section.blocks);
            choicesChanged = true;
            break;
        case AnswerListSection:
            handleAnswerList(section.answers);
            break;
        case TeacherProgressSection:
            handleTeacherProgress(section.teachers);
            choicesChanged = true;
            break;
        default:
            break;
        }
        // Anything but a refusal means the login was accepted.
        m_passwordWindow->hide();
        setWindowModality(Qt::NonModal);
        show();
    }
    // The block chosen before stays chosen while it is still open, and
    // its cards stay while its questions do.
    if (choicesChanged)
        showOfferedBlocks(ui->cb_list_block->currentData());
    updateSendButtons();
}

void Client::sl_unreadable()
{
    QMessageBox::warning(dialogParent(), tr(MessageTitle),
                         tr("Ответ сервера не удалось прочитать.\n"
                            "Проверьте соединение с сервером."));
}

void Client::sl_submissionSettled(ServerConnection::Outcome outcome)
{
    using Outcome = ServerConnection::Outcome;
    if (outcome == Outcome::Saved || outcome == Outcome::SavedLate) {
        ui->pb_send->setStyleSheet(QString::fromLatin1(SentStyle));
        // The answers to the changed questions have been given.
        ui->l_block_notice->hide();
        const QString late = tr("Связь с сервером восстановлена.\n");
        QMessageBox::information(dialogParent(), tr(MessageTitle),
                                 (outcome == Outcome::SavedLate ? late : QString())
                                     + clientText(ClientText::AnswersAccepted));
        return;
    }
    QString text;
    switch (outcome) {
    case Outcome::NotSaved:
        text = tr("Ваши ответы не сохранены: сервер ответил без них.\n"
                  "Нажмите «Ответить» ещё раз; если это повторится, сообщите администратору.");
        break;
    case Outcome::NotSavedLate:
        text = tr("Ваши ответы не сохранены: связь с сервером прерывалась, и сервер их не получил.\n"
                  "Ответы остались на месте: нажмите «Ответить» ещё раз.");
        break;
    case Outcome::CannotTell:
        text = tr("Связь с сервером прерывалась, пока ответы отправлялись, и программа не может узнать, "
                  "дошли ли они до сервера.\n"
                  "Ответы остались на месте. Если отправить их ещё раз, сервер может сохранить их дважды.");
        break;
    case Outcome::NoConnection:
        text = tr("Ваши ответы пока не сохранены: связи с сервером нет больше минуты.\n"
                  "Ответы остались на месте. Когда связь восстановится, программа проверит, дошли ли они "
                  "до сервера, и скажет об этом.");
        break;
    default:
        text = tr("Ваши ответы не сохранены: ответ сервера не удалось прочитать.\n"
                  "Проверьте соединение с сервером и нажмите «Ответить» ещё раз.");
        break;
    }
    QMessageBox::warning(dialogParent(), tr(MessageTitle), text);
}

void Client::handleBlockList(const QVector<QuestionBlock> &blocks)
{
    if (!m_titleShown) {
        setWindowTitle(QStringLiteral("%1 (%2: %3)")
                           .arg(windowTitle(), clientText(ClientText::User),
                                m_passwordWindow->loginData().login));
        m_titleShown = true;
    }

    m_data.blocks = blocks;
    const int group = m_data.commonBlockGroup();
    if (group >= 0)
        removeChartTabFor(group);
}

void Client::handleAnswerList(const QVector<Answer> &answers)
{
    m_data.answers = answers;
    if (m_data.blocks.isEmpty()) {
        const int group = m_data.commonAnswerGroup();
        if (group >= 0)
            removeChartTabFor(group);
    }
    m_historyView->setAnswers(answers);
    m_resultTab->rebuild(answers);
    m_resultTab2->rebuild(answers);
}

void Client::handleTeacherProgress(const QVector<TeacherEntry> &teachers)
{
    if (!m_data.expert) {
        m_data.expert = true;
        setShown({ui->cb_list_teachere, ui->label_10, ui->cb_type_user, ui->pb_update_expert, ui->label_3,
                  ui->cb_graph_expert, ui->pb_graph_group, ui->pb_graph_group_2, ui->label_13,
                  ui->cb_graph_expert_2},
                 true);
        showTeacherLabel(ui->cb_type_user->currentIndex());
    }

    // The teacher stays chosen as long as they are offered.
    m_data.teachers = teachers;
    fillById(ui->cb_list_teachere, m_data.teachersOfGroup(ui->cb_type_user->currentIndex()),
             ui->cb_list_teachere->currentData());
}

void Client::removeChartTabFor(int group)
{
    if (ui->tw_main->count() == 4)
        ui->tw_main->removeTab(chartTabToRemove(group));
}

void Client::showTeacherLabel(int kind)
{
    ui->label_12->setVisible(kind == 0);
    ui->label_9->setVisible(kind != 0);
}

void Client::showOfferedBlocks(const QVariant &chosenId)
{
    fillById(ui->cb_list_block,
             m_data.offeredBlocks(ui->cb_type_user->currentIndex(), ui->cb_list_teachere->currentIndex()),
             chosenId);
    // The combo box kept quiet while it was refilled.
    on_cb_list_block_currentIndexChanged(ui->cb_list_block->currentIndex());
}

std::optional<QuestionBlock> Client::chosenBlock() const
{
    const QVariant id = ui->cb_list_block->currentData();
    return id.isValid() ? m_data.blockById(id.toInt()) : std::nullopt;
}

std::optional<qint32> Client::chosenSubject() const
{
    return m_data.subjectId(ui->cb_type_user->currentIndex(), ui->cb_list_teachere->currentIndex());
}

void Client::buildQuestionUnits(const QVector<Question> &questions)
{
    qDeleteAll(m_questionUnits);
    m_questionUnits.clear();
    for (int position = 0; position < questions.size(); ++position) {
        auto *unit = new QuestTestUnit(ui->w_for_units);
        unit->setQuestion(questions.at(position), position);
        ui->w_for_units->layout()->addWidget(unit);
        m_questionUnits.append(unit);
    }
}

void Client::followChangedQuestions(const QuestionBlock &block)
{
    QVector<Question> shown;
    for (const QuestTestUnit *unit : qAsConst(m_questionUnits))
        shown.append(unit->answer());
    const QuestionChanges changes = questionChanges(shown, block.questions);
    if (changes.isEmpty())
        return;

    // The cards of the questions asked as before stay, with what is being
    // typed into them; the others are made anew.
    QHash<qint32, QuestTestUnit *> kept;
    QVector<QuestTestUnit *> dropped;
    std::optional<qint32> focused;
    for (QuestTestUnit *unit : qAsConst(m_questionUnits)) {
        const qint32 id = unit->answer().id;
        if (changes.kept.contains(id)) {
            kept.insert(id, unit);
            continue;
        }
        dropped.append(unit);
        if (unit->isAncestorOf(QApplication::focusWidget()))
            focused = id;
    }
    m_questionUnits.clear();
    for (int position = 0; position < block.questions.size(); ++position) {
        const Question &question = block.questions.at(position);
        QuestTestUnit *unit = kept.value(question.id);
        if (unit) {
            unit->setPosition(position);
            ui->verticalLayout_units->removeWidget(unit);
        } else {
            unit = new QuestTestUnit(ui->w_for_units);
            unit->setQuestion(question, position);
        }
        ui->verticalLayout_units->insertWidget(position, unit);
        m_questionUnits.append(unit);
    }
    // Keys meant for a card made anew go to the new card of its question,
    // or the first card, rather than to a button that would take the focus.
    if (focused && !m_questionUnits.isEmpty()) {
        QuestTestUnit *target = m_questionUnits.first();
        for (QuestTestUnit *unit : qAsConst(m_questionUnits)) {
            if (unit->answer().id == *focused)
                target = unit;
        }
        target->setFocus();
    }
    qDeleteAll(dropped);
    ui->l_block_notice->setText(changes.notice(block.name));
    ui->l_block_notice->show();
}

QWidget *Client::dialogParent()
{
    // Messages appear over whichever of the two windows the user sees.
    return isVisible() ? static_cast<QWidget *>(this) : m_passwordWindow.data();
}

void Client::notSent()
{
    QMessageBox::warning(dialogParent(), tr(MessageTitle), clientText(ClientText::NoConnection));
}

void Client::updateSendButtons()
{
    const bool online = m_connection->state() == ServerConnection::State::Online;
    const bool ready = online && !m_connection->isBusy();
    // A submission whose reply was lost stays "being sent" until settled.
    ui->pb_send->setText(m_connection->pendingSubmission() ? tr("Отправка…") : tr("Ответить"));
    ui->pb_send->setEnabled(ready && chosenBlock() && chosenSubject());
    ui->pb_update_expert->setEnabled(ready);
    ui->pb_send->setToolTip(online ? m_sendToolTip : tr(NotSentWhileOffline));
    ui->pb_update_expert->setToolTip(online ? m_updateToolTip : tr(NotSentWhileOffline));
}

std::optional<AnswerBatch> Client::typedAnswers() const
{
    const auto block = chosenBlock();
    const auto subject = chosenSubject();
    if (!block || !subject)
        return std::nullopt;
    QVector<Question> answered;
    for (const QuestTestUnit *unit : m_questionUnits)
        answered.append(unit->answer());
    return buildAnswerBatch(*subject, block->id, answered);
}

void Client::on_pb_send_clicked()
{
    // "Ответить" is disabled then; nothing to send without a block or
    // without somebody to rate.
    const auto batch = typedAnswers();
    if (!batch)
        return;
    // The user is thanked once the server's reply shows the answers.
    if (!m_connection->submit(*batch) && m_connection->state() != ServerConnection::State::Online)
        notSent();
}

void Client::on_cb_type_user_currentIndexChanged(int index)
{
    showTeacherLabel(index);
    if (index < 0)
        return;
    fillById(ui->cb_list_teachere, m_data.teachersOfGroup(index), QVariant());
    showOfferedBlocks(QVariant());
}

void Client::on_cb_list_teachere_currentIndexChanged(int)
{
    showOfferedBlocks(QVariant());
}

void Client::on_cb_list_block_currentIndexChanged(int)
{
    // A long block name does not fit the combo box; show it in full.
    const QString name = ui->cb_list_block->currentText();
    const bool longName = name.size() > 25;
    ui->l_block_dublicate->setText(longName ? name : QString());
    ui->l_block_dublicate->setVisible(longName);

    updateSendButtons();
    const auto block = chosenBlock();
    const auto subject = chosenSubject();
    // Cards of the same block about the same subject keep what the rater
    // is typing; they change only with the block's questions.
    if (block && subject && m_cardsBlockId == block->id && m_cardsSubject == *subject) {
        followChangedQuestions(*block);
        return;
    }
    ui->l_block_notice->hide();
    buildQuestionUnits(block ? block->questions : QVector<Question>());
    m_cardsBlockId = block ? std::optional<qint32>(block->id) : std::nullopt;
    m_cardsSubject = subject.value_or(-1);
}

void Client::exportResult(ResultTab *tab)
{
    // The dialog adds the extension itself, so that it asks before a file
    // of the name with the extension is replaced.
    QFileDialog dialog(this, clientText(ClientText::ExportTitle), exportStartFolder(), tr("Data Files (*.csv)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString fileName = dialog.selectedFiles().constFirst();
    if (!tab->exportCsv(fileName)) {
        QMessageBox::warning(this, tr("Экспорт в *.csv"),
                             tr("Не удалось записать файл\n%1").arg(QDir::toNativeSeparators(fileName)));
    }
}

void Client::on_cb_graph_blocks_currentIndexChanged(int index)
{
    m_resultTab->blockChosen(index);
}

void Client::on_pb_graph_add_clicked()
{
    m_resultTab->addToGroup();
}

void Client::on_pb_graph_del_clicked()
{
    m_resultTab->removeFromGroup();
}

void Client::on_de_begin_dateChanged()
{
    m_resultTab->beginDateChanged();
}

void Client::on_de_end_dateChanged()
{
    m_resultTab->endDateChanged();
}

void Client::on_pb_graph_group_clicked()
{
    m_resultTab->toggleGroupView();
}

void Client::on_pb_graph_filter_clicked()
{
    m_resultTab->apply();
}

void Client::on_pb_graph_export_clicked()
{
    exportResult(m_resultTab);
}

void Client::on_cb_graph_blocks_2_currentIndexChanged(int index)
{
    m_resultTab2->blockChosen(index);
}

void Client::on_pb_graph_add_2_clicked()
{
    m_resultTab2->addToGroup();
}

void Client::on_pb_graph_del_2_clicked()
{
    m_resultTab2->removeFromGroup();
}

void Client::on_de_begin_2_dateChanged()
{
    m_resultTab2->beginDateChanged();
}

void Client::on_de_end_2_dateChanged()
{
    m_resultTab2->endDateChanged();
}

void Client::on_pb_graph_group_2_clicked()
{
    m_resultTab2->toggleGroupView();
}

void Client::on_pb_graph_filter_2_clicked()
{
    m_resultTab2->apply();
}

void Client::on_pb_graph_export_2_clicked()
{
    exportResult(m_resultTab2);
}

void Client::on_pb_help_clicked()
{
    const QString document = clientDataFile(QString::fromLatin1(HelpFile));
    if (!QFileInfo::exists(document)) {
        QMessageBox::warning(this, tr("Помощь"),
                             tr("Файл справки не найден:\n%1").arg(QDir::toNativeSeparators(document)));
    } else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(document))) {
        QMessageBox::warning(this, tr("Помощь"),
                             tr("Не удалось открыть файл справки:\n%1\n"
                                "Для просмотра нужна программа, открывающая файлы PDF.")
                                 .arg(QDir::toNativeSeparators(document)));
    }
}

void Client::on_pb_update_expert_clicked()
{
    if (!m_connection->refresh() && m_connection->state() != ServerConnection::State::Online)
        notSent();
}
