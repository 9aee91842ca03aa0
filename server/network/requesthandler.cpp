#include "requesthandler.h"

#include "datastore.h"
#include "encoding.h"
#include "loginlimiter.h"
#include "storeindex.h"

#include <QSet>
#include <QtEndian>
#include <QtDebug>

#include <algorithm>
#include <utility>

namespace {

const qint32 ExpertRole = roleCodeForKind(ExpertKind);
const qint32 ParentRole = roleCodeForKind(ParentKind);
const qint32 TeacherDoRole = roleCodeForKind(TeacherDoKind);
const qint32 SchoolTeacherRole = roleCodeForKind(SchoolTeacherKind);

// A list that cannot be encoded (more records than its count can say) is
// sent empty rather than cut short.
QByteArray listOrEmpty(const std::optional<QByteArray> &encoded)
{
    if (encoded)
        return *encoded;
    qWarning("A reply list exceeds the format's limits and is sent empty.");
    return QByteArray(2, '\0');
}

ReplyPieces pack(const Message &message)
{
    const std::optional<QByteArray> bytes = packMessage(message);
    return bytes ? ReplyPieces{*bytes} : ReplyPieces();
}

// The bytes of `reply` in three pieces: before the data of its section at
// `shared`, that data itself (shared, not copied) and after it.
ReplyPieces packAround(Message reply, int shared)
{
    const QByteArray data = std::exchange(reply.sections[shared].data, QByteArray());
    const ReplyPieces packed = pack(reply);
    // The section's head ends with its size, which the packer took as 0.
    qint64 head = 2 + 12;
    for (int i = 0; i < shared; ++i)
        head += 12 + reply.sections.at(i).data.size();
    if (packed.isEmpty() || packed.first().size() < head)
        return {};
    QByteArray bytes = packed.first();
    qToLittleEndian(qint32(data.size()), bytes.data() + head - 4);
    return {bytes.left(int(head)), data, bytes.mid(int(head))};
}

bool isTeacherKind(int kind)
{
    return kind == TeacherDoKind || kind == SchoolTeacherKind;
}

bool ratesItself(qint32 roleCode)
{
    return roleCode == TeacherDoRole || roleCode == SchoolTeacherRole;
}

// Whom a batch may be about: experts rate teachers; parents rate a teacher
// or nobody in particular (-1); teachers rate themselves whatever the batch
// names. The official client never names anyone else.
bool subjectAllowed(qint32 roleCode, qint32 subject, const StoreIndex &index)
{
    if (ratesItself(roleCode))
        return true;
    const bool teacher = isTeacherKind(index.kindOf(subject));
    if (roleCode == ExpertRole)
        return teacher;
    return roleCode == ParentRole && (teacher || subject == -1);
}

struct AccountMatch
{
    const Account *account = nullptr;
    int kind = -1;
};

// Compares every stored byte whatever the given ones are, so that the time
// taken tells nothing about where a guess goes wrong.
bool samePassword(const QByteArray &stored, const QByteArray &given)
{
    unsigned difference = stored.size() == given.size() ? 0 : 1;
    for (int i = 0; i < stored.size(); ++i) {
        const char other = i < given.size() ? given.at(i) : 0;
        difference |= static_cast<unsigned char>(stored.at(i) ^ other);
    }
    return difference == 0;
}

// The first account, kinds in order, whose name and password both match;
// it decides the login even when it is inactive.
AccountMatch findLogin(const AccountStore &accounts, const LoginCredentials &credentials)
{
    for (int kind = 0; kind < accounts.size(); ++kind) {
        for (const Account &account : accounts.at(kind)) {
            if (account.name == credentials.login && samePassword(account.password, credentials.password))
                return {&account, kind};
        }
    }
    return {};
}

} // namespace

RequestHandler::RequestHandler(DataStore &store, LoginLimiter *limiter)
    : m_store(store)
    , m_limiter(limiter)
{
}

QByteArray RequestHandler::handle(ClientEntry &entry, const QByteArray &message)
{
    ReplyPieces reply = take(entry, message);
    if (entry.committing)
        reply = settle(entry, m_store.finishIntake(entry.committing));
    QByteArray joined;
    for (const QByteArray &piece : std::as_const(reply))
        joined += piece;
    return joined;
}

ReplyPieces RequestHandler::settle(ClientEntry &entry, bool kept)
{
    entry.committing = 0;
    return kept ? dataReply(entry) : ReplyPieces();
}

ReplyPieces RequestHandler::take(ClientEntry &entry, const QByteArray &message)
{
    const UnpackResult unpacked = unpackMessage(message);
    if (unpacked.status != UnpackResult::Complete)
        return {};
    if (entry.state == ClientEntry::AwaitingLogin)
        return login(entry, unpacked.message);
    return takeAnswers(entry, unpacked.message);
}

void RequestHandler::prepareExpertReply()
{
    // Answers appended since are cheap to add when the reply is built.
    const bool current = m_expertAnswersCovered >= 0 && m_expertAnswersRevision == m_store.revision();
    const AccountStore &accounts = m_store.accounts();
    if (current || accounts.size() <= ExpertKind || accounts.at(ExpertKind).isEmpty())
        return;
    const StoreIndex index(m_store.questions(), m_store.accounts());
    // Every expert gets the same list, whoever they are.
    answerListPayload(Account(), ExpertKind, index);
}

ReplyPieces RequestHandler::login(ClientEntry &entry, const Message &message)
{
    LoginCredentials credentials;
    if (!message.sections.isEmpty() && message.sections.first().type == LoginCredentialsSection)
        credentials = decodeLoginCredentials(message.sections.first().data).value_or(LoginCredentials());

    const bool blocked = m_limiter && m_limiter->isBlocked(entry.address);
    const AccountMatch match = blocked ? AccountMatch() : findLogin(m_store.accounts(), credentials);
    if (match.account && match.account->active) {
        entry.accountId = match.account->id;
        entry.roleCode = roleCodeForKind(match.kind);
        return dataReply(entry);
    }
    // Wrong login, wrong password, an inactive account and a blocked address
    // are refused alike. Refusals count even once the connection's attempts
    // are used up: a right password would still be let in there.
    if (m_limiter)
        m_limiter->recordFailure(entry.address);
    if (entry.attemptsLeft <= 0)
        return {};
    --entry.attemptsLeft;
    return pack(Message::single(AttemptsLeftSection, encodeAttemptsLeft(entry.attemptsLeft)));
}

ReplyPieces RequestHandler::refresh(ClientEntry &entry)
{
    return entry.state == ClientEntry::AwaitingLogin ? ReplyPieces() : dataReply(entry);
}

ReplyPieces RequestHandler::takeAnswers(ClientEntry &entry, const Message &message)
{
    if (!message.sections.isEmpty()) {
        // A reply tells the client that its answers are kept. A batch that
        // cannot be kept whole is kept not at all and gets none: one that
        // does not decode, from a connection whose account has been
        // deleted, about someone its author may not rate, or with an item
        // that does not fit the questions its client was shown. The first
        // section is the batch whatever its type.
        const StoreIndex index(m_store.questions(), m_store.accounts());
        const std::optional<AnswerBatch> batch = decodeAnswerBatch(message.sections.first().data);
        if (!batch || accountKind(entry, index) < 0 || !subjectAllowed(entry.roleCode, batch->subject, index))
            return {};
        const std::optional<QVector<Answer>> answers = answersFrom(entry, *batch, index);
        if (!answers)
            return {};
        entry.state = ClientEntry::StoringAnswers;
        // Nor do answers that a restart would lose: the reply waits for the
        // answers file.
        entry.committing = m_store.queueAnswers(*answers);
        return {};
    }
    return dataReply(entry);
}

// The answers of a batch, dated today; std::nullopt when the batch is not
// one its client could have sent from what it was shown: its items must
// answer questions of one active block of a group its author rates, each
// question once and within its range.
std::optional<QVector<Answer>> RequestHandler::answersFrom(const ClientEntry &entry, const AnswerBatch &batch,
                                                           const StoreIndex &index) const
{
    const QDate today = QDate::currentDate();
    const bool selfRating = ratesItself(entry.roleCode);
    const qint32 subject = selfRating ? entry.accountId : batch.subject;
    qint32 group = 1;
    if (entry.roleCode == TeacherDoRole || (!selfRating && index.kindOf(subject) == TeacherDoKind))
        group = 0;
    // A parent who names no teacher answers the blocks of either group.
    const bool anyGroup = entry.roleCode == ParentRole && subject == -1;
    if (!shownToClient(entry, batch, selfRating ? -1 : subject))
        return std::nullopt;
    // A teacher is not offered a block again in the season it answered it.
    if (selfRating && !batch.items.isEmpty() && blocksAnsweredBy(entry.accountId).contains(batch.items.first().blockId))
        return std::nullopt;

    QVector<Answer> answers;
    answers.reserve(batch.items.size());
    QSet<qint32> answered;
    for (const AnswerItem &item : batch.items) {
        const StoreIndex::QuestionRef *ref = index.question(item.questionId);
        if (!ref || ref->block->id != item.blockId || item.blockId != batch.items.first().blockId
            || !ref->block->active || (ref->group != group && !(anyGroup && ref->group <= 1))
            || item.value < ref->question->minValue || item.value > ref->question->maxValue
            || answered.contains(item.questionId)) {
            return std::nullopt;
        }
        answered.insert(item.questionId);
        Answer answer;
        answer.questionId = item.questionId;
        answer.blockId = item.blockId;
        answer.group = group;
        answer.date = today;
        answer.value = qint16(item.value);
        answer.maxValue = ref->question->maxValue;
        answer.minValue = ref->question->minValue;
        answer.authorId = entry.accountId;
        answer.subjectId = subject;
        answers.append(answer);
    }
    return answers;
}

// False when an account, block or question the batch names has been
// created, deleted or reshaped since the client's last reply: ids are
// reused, so its answers would land on another teacher or question.
bool RequestHandler::shownToClient(const ClientEntry &entry, const AnswerBatch &batch, qint32 subject) const
{
    using Record = DataStore::Record;
    const quint64 shown = entry.shownRevision;
    if (subject >= 0 && m_store.reshapedSince(Record::Account, subject, shown))
        return false;
    return std::none_of(batch.items.cbegin(), batch.items.cend(), [&](const AnswerItem &item) {
        return m_store.reshapedSince(Record::Block, item.blockId, shown)
            || m_store.reshapedSince(Record::Question, item.questionId, shown);
    });
}

ReplyPieces RequestHandler::dataReply(ClientEntry &entry)
{
    entry.state = ClientEntry::LoggedIn;
    entry.shownRevision = m_store.revision();
    const StoreIndex index(m_store.questions(), m_store.accounts());
    const int kind = accountKind(entry, index);

    Message reply;
    if (kind < 0) {
        const QByteArray emptyList(2, '\0');
        reply.sections = {Section{0, BlockListSection, emptyList}, Section{0, AnswerListSection, emptyList}};
        return pack(reply);
    }
    const Account &account = *index.account(entry.accountId);
    reply.sections.append(Section{0, BlockListSection, listOrEmpty(encodeBlockList(blockList(account, kind)))});
    reply.sections.append(Section{0, AnswerListSection, answerListPayload(account, kind, index)});
    if (entry.roleCode == ExpertRole) {
        reply.sections.append(
            Section{0, TeacherProgressSection, listOrEmpty(encodeTeacherList(teacherProgress(account.id)))});
    }
    return packAround(reply, 1);
}

// The kind of the connection's account, or -1 when the account has been
// deleted: the connection is orphaned, or no account of its kind bears its
// id any longer.
int RequestHandler::accountKind(const ClientEntry &entry, const StoreIndex &index)
{
    if (entry.orphaned)
        return -1;
    const int kind = index.kindOf(entry.accountId);
    return roleCodeForKind(kind) == entry.roleCode ? kind : -1;
}

// The blocks `authorId` has answered in the current season, counting the
// answers still being committed.
QSet<qint32> RequestHandler::blocksAnsweredBy(qint32 authorId) const
{
    QSet<qint32> answered;
    const QDate seasonStart = m_store.seasonStart();
    for (const AnswerStore &answers : {m_store.answers(), m_store.answersInIntake()}) {
        for (const Answer &answer : answers) {
            if (answer.authorId == authorId && inCurrentSeason(answer.date, seasonStart))
                answered.insert(answer.blockId);
        }
    }
    return answered;
}

// Teachers of additional education get group 0, school teachers group 1,
// experts and parents both; only active blocks and questions. A teacher no
// longer gets a block it has answered in the current season.
QVector<QuestionBlock> RequestHandler::blockList(const Account &account, int kind) const
{
    const QSet<qint32> answered = isTeacherKind(kind) ? blocksAnsweredBy(account.id) : QSet<qint32>();
    const QuestionStore &groups = m_store.questions();
    QVector<QuestionBlock> blocks;
    for (int g = 0; g < qMin(2, groups.size()); ++g) {
        if ((g == 0 && kind == SchoolTeacherKind) || (g == 1 && kind == TeacherDoKind))
            continue;
        for (const QuestionBlock &block : groups.at(g).blocks) {
            if (!block.active || answered.contains(block.id))
                continue;
            QuestionBlock sent = block;
            sent.questions.clear();
            for (const Question &question : block.questions) {
                if (question.active)
                    sent.questions.append(question);
            }
            blocks.append(sent);
        }
    }
    return blocks;
}

// The expert's list is the kept one, brought up to date: the answers
// appended since are encoded and added to it; any other change of the
// stores has it encoded anew.
QByteArray RequestHandler::answerListPayload(const Account &account, int kind, const StoreIndex &index)
{
    if (kind != ExpertKind)
        return listOrEmpty(encodeAnswerList(answerList(account, kind, index)));

    const int from = qBound(0, m_expertAnswersCovered, m_store.answers().size());
    const bool current = m_expertAnswersCovered == from && m_expertAnswersRevision == m_store.revision();
    // The answers since the kept list, or all of them when it is stale.
    const QVector<Answer> listed = answerList(account, kind, index, current ? from : 0);
    bool kept = current;
    if (kept && !listed.isEmpty()) {
        // No more answers are listed than stored, so the count fits.
        const quint16 count = qFromLittleEndian<quint16>(m_expertAnswers.constData());
        qToLittleEndian(quint16(count + listed.size()), m_expertAnswers.data());
        for (const Answer &answer : listed) {
            const std::optional<QByteArray> bytes = encodeAnswer(answer);
            kept = kept && bytes;
            if (kept)
                m_expertAnswers += *bytes;
        }
    }
    if (!kept) {
        const std::optional<QByteArray> encoded = encodeAnswerList(current ? answerList(account, kind, index) : listed);
        if (!encoded) {
            m_expertAnswersCovered = -1;
            return listOrEmpty(encoded);
        }
        m_expertAnswers = *encoded;
    }
    m_expertAnswersRevision = m_store.revision();
    m_expertAnswersCovered = m_store.answers().size();
    return m_expertAnswers;
}

// Experts see every answer, teachers their self-ratings, parents none; from
// the answer at `from` of the store on. The copies sent carry the current
// texts; the store keeps its own.
QVector<Answer> RequestHandler::answerList(const Account &account, int kind, const StoreIndex &index, int from) const
{
    QVector<Answer> sent;
    if (kind == ParentKind)
        return sent;
    const AnswerStore &stored = m_store.answers();
    sent.reserve(kind == ExpertKind ? stored.size() - from : 0);
    for (auto it = stored.begin() + from; it != stored.end(); ++it) {
        const Answer &answer = *it;
        if (kind != ExpertKind && (answer.authorId != account.id || answer.subjectId != account.id))
            continue;
        // Answers about no account (a parent's about nobody, or one whose
        // account is missing from the accounts file) are not sent; they
        // stay in the store.
        if (!index.account(answer.subjectId))
            continue;
        if (std::optional<Answer> copy = displayCopy(answer, index))
            sent.append(*copy);
    }
    return sent;
}

// One entry per teacher (kind 0, then kind 3) with the blocks this expert has
// answered about that teacher in the current season, each once, in the order
// first met.
QVector<TeacherEntry> RequestHandler::teacherProgress(qint32 expertId) const
{
    const QDate seasonStart = m_store.seasonStart();
    QHash<qint32, QVector<qint32>> answered;
    QSet<QPair<qint32, qint32>> seen;
    for (const Answer &answer : m_store.answers()) {
        if (answer.authorId != expertId || !inCurrentSeason(answer.date, seasonStart))
            continue;
        const QPair<qint32, qint32> key(answer.subjectId, answer.blockId);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        answered[answer.subjectId].append(answer.blockId);
    }

    const AccountStore &accounts = m_store.accounts();
    QVector<TeacherEntry> entries;
    for (int kind : {int(TeacherDoKind), int(SchoolTeacherKind)}) {
        if (kind >= accounts.size())
            continue;
        for (const Account &teacher : accounts.at(kind)) {
            TeacherEntry entry;
            entry.id = teacher.id;
            entry.name = teacher.name;
            entry.answeredBlocks = answered.value(teacher.id);
            entry.group = kind == TeacherDoKind ? 0 : 1;
            entries.append(entry);
        }
    }
    return entries;
}
