// Builds a store at the limits of the file format (65 535 answers, 500
// accounts, 40 blocks of 25 questions) and prints how long the server takes
// to build and encode an expert's DataReply and to take in one batch of 25
// answers, including the rewrite of the answers file.

#include "benchstore.h"
#include "benchsupport.h"
#include "cliententry.h"
#include "datastore.h"
#include "encoding.h"
#include "message.h"
#include "requesthandler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>

namespace {

// 40 blocks of 25 questions; 200 teachers of each kind, 60 experts and 40
// parents.
const SchoolSize Size = {20, 25, {200, 60, 40, 200}};
const int Runs = 15;

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
    School school = makeSchool(Size, DataStore::MaxListCount);
    // The answers file with room for exactly one batch of 25 more answers,
    // kept aside: each batch below starts from it.
    const AnswerStore full = school.answers;
    school.answers = full.mid(0, DataStore::MaxListCount - Size.questionsPerBlock);
    const QDate seasonStart = QDate::currentDate().addDays(-90);
    const QString roomForBatch = dir.filePath(QStringLiteral("room-for-batch.bin"));
    if (!loadSchool(store, school, seasonStart) || !QFile::copy(store.answersPath(), roomForBatch))
        return 1;
    school.answers = full;
    if (!loadSchool(store, school, seasonStart))
        return 1;

    RequestHandler handler(store);
    const Account &expert = store.accounts().at(ExpertKind).first();
    ClientEntry entry;
    entry.state = ClientEntry::LoggedIn;
    entry.roleCode = roleCodeForKind(ExpertKind);
    entry.accountId = expert.id;

    out << "Store: " << store.answers().size() << " answers, 500 accounts, "
        << 2 * Size.blocksPerGroup << " blocks of " << Size.questionsPerBlock << " questions\n";
    out << "Answers file: " << QFileInfo(store.answersPath()).size() << " bytes\n";

    QByteArray reply;
    const double replyMs = medianMs([] {}, [&] { reply = handler.handle(entry, emptyMessageBytes()); });
    out << "Expert DataReply (refresh): build and encode " << QString::number(replyMs, 'f', 1) << " ms, "
        << reply.size() << " bytes\n";

    const QuestionBlock &block = store.questions().at(1).blocks.first();
    const QByteArray batch = batchOf25(store.accounts().at(SchoolTeacherKind).first().id, block);
    QVector<Answer> items = full.mid(0, Size.questionsPerBlock);
    for (Answer &answer : items)
        answer.date = QDate::currentDate();
    const auto reset = [&] {
        QFile::remove(store.answersPath());
        QFile::copy(roomForBatch, store.answersPath());
        store.load();
    };

    const double storeMs = medianMs(reset, [&] { store.appendAnswers(items); });
    out << "Batch of 25 answers: append and rewrite the answers file " << QString::number(storeMs, 'f', 1)
        << " ms\n";

    const double intakeMs = medianMs(reset, [&] { reply = handler.handle(entry, batch); });
    out << "Batch of 25 answers from an expert: intake, file rewrite and DataReply "
        << QString::number(intakeMs, 'f', 1) << " ms, reply " << reply.size() << " bytes\n";
    out << "(median of " << Runs << " runs)\n";
    return store.answers().size() == DataStore::MaxListCount ? 0 : 1;
}
