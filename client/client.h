#ifndef CLIENT_H
#define CLIENT_H

#include "clientdata.h"
#include "clientprotocol.h"
#include "serverconnection.h"

#include <QHostAddress>
#include <QScopedPointer>
#include <QVariant>
#include <QVector>
#include <QWidget>

#include <optional>

class AnswerHistoryView;
class PasswordWindow;
class QTimer;
class QuestTestUnit;
class ResultTab;

namespace Ui {
class ClientClass;
}

// The main window of the client: logs in through the login window, shows
// the questionnaire, the history of answers and the result charts, and
// shows the state of the connection to the server.
class Client : public QWidget
{
    Q_OBJECT

public:
    // Connects to the address named in "setting_client.ini" (found as
    // clientfiles.h says), on the server's port.
    explicit Client(QWidget *parent = nullptr);
    Client(const QHostAddress &server, quint16 port, QWidget *parent = nullptr);
    ~Client() override;

    PasswordWindow *loginWindow() const { return m_passwordWindow.data(); }
    const ClientData &receivedData() const { return m_data; }

signals:
    // The program is to end with `exitCode`: the user cancelled the login,
    // or the server refused the last login attempt.
    void sg_finished(int exitCode);

private slots:
    void sl_connectionChanged(ServerConnection::State state);
    void sl_loginRefused(int attemptsLeft);
    void sl_refusedAgain();
    void sl_submissionSettled(ServerConnection::Outcome outcome);
    void sl_unreadable();
    void sl_reject();
    void sl_accept();
    void sl_exit();
    void sl_window_hide();
    void sl_readyReadEnd(const QVector<ServerSection> &sections);
    void on_pb_send_clicked();
    void on_cb_type_user_currentIndexChanged(int index);
    void on_cb_list_teachere_currentIndexChanged(int index);
    void on_cb_list_block_currentIndexChanged(int index);
    void on_cb_graph_blocks_currentIndexChanged(int index);
    void on_pb_graph_add_clicked();
    void on_pb_graph_del_clicked();
    void on_de_begin_dateChanged();
    void on_de_end_dateChanged();
    void on_pb_graph_group_clicked();
    void on_pb_graph_filter_clicked();
    void on_pb_graph_export_clicked();
    void on_cb_graph_blocks_2_currentIndexChanged(int index);
    void on_pb_graph_add_2_clicked();
    void on_pb_graph_del_2_clicked();
    void on_de_begin_2_dateChanged();
    void on_de_end_2_dateChanged();
    void on_pb_graph_group_2_clicked();
    void on_pb_graph_filter_2_clicked();
    void on_pb_graph_export_2_clicked();
    void on_pb_help_clicked();
    void on_pb_update_expert_clicked();

private:
    void showWelcomeOnce();
    void setUpResultTabs();
    void handleBlockList(const QVector<QuestionBlock> &blocks);
    void handleAnswerList(const QVector<Answer> &answers);
    void handleTeacherProgress(const QVector<TeacherEntry> &teachers);
    void removeChartTabFor(int group);
    // Names the teacher choice after the kind of teacher chosen.
    void showTeacherLabel(int kind);
    // Offers the blocks of ClientData::offeredBlocks() for the chosen kind
    // and teacher, the block with `chosenId` staying chosen while it is
    // offered (the first one otherwise), and shows its questions.
    void showOfferedBlocks(const QVariant &chosenId);
    std::optional<QuestionBlock> chosenBlock() const;
    std::optional<qint32> chosenSubject() const;
    // Replaces the question cards with one card per question.
    void buildQuestionUnits(const QVector<Question> &questions);
    // The cards show `block` already, about the same subject: they stay as
    // they are while its questions do. When they changed, the cards of the
    // changed questions are made anew and the rater is told which changed.
    void followChangedQuestions(const QuestionBlock &block);
    QWidget *dialogParent();
    // Tells the user that nothing was sent: there is no connection.
    void notSent();
    // "Ответить" sends when a block and somebody to rate are chosen, the
    // connection stands and no reply is awaited; "Обновить" when the
    // connection stands and no reply is awaited.
    void updateSendButtons();
    // The values of the question cards, as the batch they would be sent in.
    std::optional<AnswerBatch> typedAnswers() const;
    void exportResult(ResultTab *tab);

    const QScopedPointer<Ui::ClientClass> ui;
    ServerConnection *m_connection = nullptr;
    QScopedPointer<PasswordWindow> m_passwordWindow;
    ResultTab *m_resultTab = nullptr;
    ResultTab *m_resultTab2 = nullptr;
    AnswerHistoryView *m_historyView = nullptr;
    QVector<QuestTestUnit *> m_questionUnits;
    // The block and the subject that the question cards are about.
    std::optional<qint32> m_cardsBlockId;
    qint32 m_cardsSubject = -1;
    ClientData m_data;
    QTimer *m_hideTimer = nullptr;
    bool m_titleShown = false;
    // The tooltips of the send buttons while the connection stands.
    QString m_sendToolTip;
    QString m_updateToolTip;
};

#endif // CLIENT_H
