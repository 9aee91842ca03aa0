// Builds a store at the limits of the file format (65 535 answers, 500
// accounts, 40 blocks of 25 questions) and prints how long the server takes
// to build and encode an expert's DataReply and to take in one batch of 25
// answers, including the rewrite of the answers file.

#include "cliententry.h"
#include "datastore.h"
#include "encoding.h"
#include "message.h"
#include "requesthandler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>

namespace {

const int BlocksPerGroup = 20;
const int QuestionsPerBlock = 25;
const int Runs = 15;

const QStringList Openings = {
    QStringLiteral("Насколько педагог"), QStringLiteral("Как часто учитель"),
    QStringLiteral("В какой мере преподаватель"), QStringLiteral("Оцените, насколько успешно педагог")};
const QStringList Actions = {
    QStringLiteral("ставит перед обучающимися ясные и достижимые цели занятия"),
    QStringLiteral("использует современные образовательные технологии и цифровые ресурсы"),
    QStringLiteral("организует самостоятельную и групповую работу детей на уроке"),
    QStringLiteral("учитывает индивидуальные особенности и темп каждого ученика"),
    QStringLiteral("поддерживает интерес к предмету и мотивацию к дальнейшему обучению"),
    QStringLiteral("даёт понятную обратную связь по результатам выполненных заданий")};
const QStringList Endings = {QStringLiteral("?"), QStringLiteral(" в течение всего занятия?"),
                             QStringLiteral(" с учётом возраста обучающихся?")};
const QStringList Topics = {
    QStringLiteral("Организация учебного занятия"), QStringLiteral("Методическая работа"),
    QStringLiteral("Воспитательная деятельность"), QStringLiteral("Работа с родителями"),
    QStringLiteral("Профессиональное развитие")};
const QStringList Surnames = {QStringLiteral("Иванова"), QStringLiteral("Смирнов"), QStringLiteral("Кузнецова"),
                              QStringLiteral("Попов"), QStringLiteral("Васильева"), QStringLiteral("Соколов"),
                              QStringLiteral("Михайлова"), QStringLiteral("Новиков")};
const QStringList GivenNames = {QStringLiteral("Анна Сергеевна"), QStringLiteral("Дмитрий Иванович"),
                                QStringLiteral("Елена Викторовна"), QStringLiteral("Павел Андреевич"),
                                QStringLiteral("Ольга Николаевна")};

template<typename T>
const T &pick(const QList<T> &list, int n)
{
    return list.at(n % list.size());
}

QuestionStore makeQuestions()
{
    QuestionStore groups(3);
    int questionId = 0;
    for (int g = 0; g < 2; ++g) {
        for (int b = 0; b < BlocksPerGroup; ++b) {
            QuestionBlock block;
            block.id = g * BlocksPerGroup + b;
            block.ordinal = b;
            block.active = true;
            block.group = quint8(g);
            block.name = QStringLiteral("%1. %2, часть %3").arg(b + 1).arg(pick(Topics, b)).arg(g + 1);
            for (int q = 0; q < QuestionsPerBlock; ++q, ++questionId) {
                Question question;
                question.id = questionId;
                question.active = true;
                question.minValue = 0;
                question.maxValue = 5;
                question.text = pick(Openings, q) + QLatin1Char(' ') + pick(Actions, q + b)
                    + pick(Endings, q + g);
                block.questions.append(question);
            }
            groups[g].blocks.append(block);
        }
    }
    return groups;
}

// 200 teachers of each kind, 60 experts and 40 parents.
AccountStore makeAccounts()
{
    const int counts[AccountKindCount] = {200, 60, 40, 200};
    AccountStore accounts(AccountKindCount);
    int id = 0;
    for (int kind = 0; kind < AccountKindCount; ++kind) {
        for (int i = 0; i < counts[kind]; ++i, ++id) {
            Account account;
            account.id = id;
            account.name = pick(Surnames, id) + QLatin1Char(' ') + pick(GivenNames, id / 8)
                + QLatin1Char(' ') + QString::number(id);
            account.password = QByteArray::number(0x100000 + id * 7919, 16);
            account.active = true;
            account.information = QStringLiteral("Стаж работы %1 лет, высшая квалификационная категория").arg(id % 30);
            accounts[kind].append(account);
        }
    }
    return accounts;
}

AnswerStore makeAnswers(const QuestionStore &questions, const AccountStore &accounts, int count)
{
    AnswerStore answers;
    answers.reserve(count);
    const QDate first = QDate::currentDate().addDays(-365);
    for (int i = 0; i < count; ++i) {
        const int group = i % 2;
        const int kind = group == 0 ? TeacherDoKind : SchoolTeacherKind;
        const QuestionBlock &block = questions[group].blocks[(i / QuestionsPerBlock) % BlocksPerGroup];
        const Question &question = block.questions[i % QuestionsPerBlock];
        Answer answer;
        answer.questionId = question.id;
        answer.blockId = block.id;
        answer.group = group;
        answer.date = first.addDays(i % 366);
        answer.value = qint16(i % 6);
        answer.maxValue = question.maxValue;
        answer.minValue = question.minValue;
        answer.authorId = accounts[ExpertKind][(i / 50) % accounts[ExpertKind].size()].id;
        answer.subjectId = accounts[kind][(i / 25) % accounts[kind].size()].id;
        answers.append(answer);
    }
    return answers;
}

// Median of several runs, in milliseconds.
double medianMs(const std::function<void()> &prepare, const std::function<void()> &work)
{
    QVector<double> times;
    for (int run = 0; run < Runs; ++run) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

QByteArray batchOf25(qint32 subject, const QuestionBlock &block)
{
    AnswerBatch batch;
    batch.subject = subject;
    for (const Question &question : block.questions)
        batch.items.append({question.id, block.id, 4});
    return packMessage(Message::single(AnswerBatchSection, encodeAnswerBatch(batch).value())).value();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;

    DataStore store(dir.path());
    store.load();
    store.questions() = makeQuestions();
    store.accounts() = makeAccounts();
    const AnswerStore full = makeAnswers(store.questions(), store.accounts(), DataStore::MaxListCount);
    store.answers() = full;
    store.setSeasonStart(QDate::currentDate().addDays(-90));
    if (!store.writeQuestions() || !store.writeAccounts() || !store.writeAnswers() || !store.writeSettings())
        return 1;

    RequestHandler handler(store);
    const Account &expert = store.accounts()[ExpertKind].first();
    ClientEntry entry;
    entry.state = ClientEntry::LoggedIn;
    entry.roleCode = roleCodeForKind(ExpertKind);
    entry.accountId = expert.id;

    out << "Store: " << store.answers().size() << " answers, 500 accounts, "
        << 2 * BlocksPerGroup << " blocks of " << QuestionsPerBlock << " questions\n";
    out << "Answers file: " << QFileInfo(store.answersPath()).size() << " bytes\n";

    QByteArray reply;
    const double replyMs = medianMs([] {}, [&] { reply = handler.handle(entry, emptyMessageBytes()); });
    out << "Expert DataReply (refresh): build and encode " << QString::number(replyMs, 'f', 1) << " ms, "
        << reply.size() << " bytes\n";

    // Room for exactly one batch of 25 more answers.
    const AnswerStore roomForBatch = full.mid(0, DataStore::MaxListCount - QuestionsPerBlock);
    const QuestionBlock &block = store.questions()[1].blocks.first();
    const QByteArray batch = batchOf25(store.accounts()[SchoolTeacherKind].first().id, block);
    QVector<Answer> items = full.mid(0, QuestionsPerBlock);
    for (Answer &answer : items)
        answer.date = QDate::currentDate();
    const auto reset = [&] { store.answers() = roomForBatch; };

    const double storeMs = medianMs(reset, [&] {
        store.appendAnswers(items);
        store.writeAnswers();
    });
    out << "Batch of 25 answers: append and rewrite the answers file " << QString::number(storeMs, 'f', 1)
        << " ms\n";

    const double intakeMs = medianMs(reset, [&] { reply = handler.handle(entry, batch); });
    out << "Batch of 25 answers from an expert: intake, file rewrite and DataReply "
        << QString::number(intakeMs, 'f', 1) << " ms, reply " << reply.size() << " bytes\n";
    out << "(median of " << Runs << " runs)\n";
    return store.answers().size() == DataStore::MaxListCount ? 0 : 1;
}
