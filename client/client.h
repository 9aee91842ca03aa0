#ifndef CLIENT_H
#define CLIENT_H

#include "clientdata.h"
#include "clientprotocol.h"

#include <QHostAddress>
#include <QScopedPointer>
#include <QVariant>
#include <QVector>
#include <QWidget>

#include <optional>

class AnswerHistoryView;
class MessageAssembler;
class PasswordWindow;
class QTcpSocket;
class QTimer;
class QuestTestUnit;
class ResultTab;
struct ServerSection;

namespace Ui {
class ClientClass;
}

// The main window of the client: logs in through the login window, shows
// the questionnaire, the history of answers and the result charts, and
// keeps the one connection to the server.
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
    // How long a request waits for its reply (ReplyTimeoutMs at start).
    void setReplyTimeout(int milliseconds);

signals:
    // The program is to end with `exitCode`: the user cancelled the login,
    // or the server refused the last login attempt.
    void sg_finished(int exitCode);

private slots:
    void sl_server_connect();
    void sl_server_disconnect();
    void sl_readyRead();
    void sl_reject();
    void sl_accept();
    void sl_exit();
    void sl_window_hide();
    void sl_readyReadEnd(const QByteArray &message);
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
    void sl_replyDropped();
    void sl_replyTimedOut();

private:
    // The request of the main window whose reply has not arrived yet. One
    // at a time: the server takes two messages that come close together
    // for one.
    struct AwaitedReply
    {
        std::optional<AnswerBatch> submission; // nothing for a refresh
        // The wait has ended and the user has been told that the answers
        // were not saved; a reply that still comes may show them after all.
        bool late = false;
    };

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
    // Writes one whole message; false (after telling the user) when the
    // connection is not open.
    bool sendToServer(const QByteArray &message);
    // Writes a request whose reply the window then waits for.
    bool sendRequest(const QByteArray &message, const std::optional<AnswerBatch> &submission);
    // The request that a message just received answers; nothing for the
    // reply to a login.
    std::optional<AwaitedReply> replyArrived();
    void replyUnreadable(const std::optional<AwaitedReply> &request);
    void confirmSubmission(const AwaitedReply &request, const ClientData &before);
    // "Ответить" sends when a block and somebody to rate are chosen and no
    // reply is awaited; "Обновить" when no reply is awaited.
    void updateSendButtons();
    // The values of the question cards, as the batch they would be sent in.
    std::optional<AnswerBatch> typedAnswers() const;
    void exportResult(ResultTab *tab);

    const QScopedPointer<Ui::ClientClass> ui;
    QTcpSocket *m_socket = nullptr;
    QScopedPointer<PasswordWindow> m_passwordWindow;
    ResultTab *m_resultTab = nullptr;
    ResultTab *m_resultTab2 = nullptr;
    AnswerHistoryView *m_historyView = nullptr;
    QVector<QuestTestUnit *> m_questionUnits;
    // The block and the subject that the question cards are about.
    std::optional<qint32> m_cardsBlockId;
    qint32 m_cardsSubject = -1;
    ClientData m_data;
    MessageAssembler *m_assembler = nullptr;
    QTimer *m_hideTimer = nullptr;
    QTimer *m_replyTimer = nullptr;
    std::optional<AwaitedReply> m_awaited;
    bool m_titleShown = false;
    // The message being collected, decoded as soon as it was whole (see
    // sl_readyRead()); its sections, or nothing when they did not decode.
    bool m_messageDecoded = false;
    std::optional<QVector<ServerSection>> m_decodedSections;
};

#endif // CLIENT_H
