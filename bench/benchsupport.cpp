#include "benchsupport.h"

#include "answertestunit.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

struct PersonNames
{
    QStringList surnames;
    QStringList given;
    QStringList patronymics;
};

// Russian full names, "Фамилия Имя Отчество", each different, men and women
// in turn.
QStringList fullNames(int count, QRandomGenerator &random)
{
    static const PersonNames men = {
        {QStringLiteral("Иванов"), QStringLiteral("Смирнов"), QStringLiteral("Кузнецов"), QStringLiteral("Попов"),
         QStringLiteral("Соколов"), QStringLiteral("Лебедев"), QStringLiteral("Козлов"), QStringLiteral("Новиков"),
         QStringLiteral("Морозов"), QStringLiteral("Волков"), QStringLiteral("Зайцев"), QStringLiteral("Павлов")},
        {QStringLiteral("Александр"), QStringLiteral("Дмитрий"), QStringLiteral("Сергей"), QStringLiteral("Андрей"),
         QStringLiteral("Алексей"), QStringLiteral("Михаил"), QStringLiteral("Николай"), QStringLiteral("Евгений")},
        {QStringLiteral("Александрович"), QStringLiteral("Дмитриевич"), QStringLiteral("Сергеевич"),
         QStringLiteral("Андреевич"), QStringLiteral("Викторович"), QStringLiteral("Николаевич")}};
    static const PersonNames women = {
        {QStringLiteral("Иванова"), QStringLiteral("Смирнова"), QStringLiteral("Кузнецова"), QStringLiteral("Попова"),
         QStringLiteral("Соколова"), QStringLiteral("Лебедева"), QStringLiteral("Козлова"), QStringLiteral("Новикова"),
         QStringLiteral("Морозова"), QStringLiteral("Волкова"), QStringLiteral("Зайцева"), QStringLiteral("Павлова")},
        {QStringLiteral("Елена"), QStringLiteral("Ольга"), QStringLiteral("Татьяна"), QStringLiteral("Наталья"),
         QStringLiteral("Ирина"), QStringLiteral("Светлана"), QStringLiteral("Екатерина"), QStringLiteral("Людмила")},
        {QStringLiteral("Александровна"), QStringLiteral("Дмитриевна"), QStringLiteral("Сергеевна"),
         QStringLiteral("Андреевна"), QStringLiteral("Викторовна"), QStringLiteral("Николаевна")}};
    // No more names can differ (the women's lists are as long as the men's).
    count = std::min(count, int(2 * men.surnames.size() * men.given.size() * men.patronymics.size()));
    QStringList names;
    while (names.size() < count) {
        const PersonNames &kind = names.size() % 2 == 0 ? women : men;
        const QString name = kind.surnames.at(random.bounded(kind.surnames.size())) + QLatin1Char(' ')
            + kind.given.at(random.bounded(kind.given.size())) + QLatin1Char(' ')
            + kind.patronymics.at(random.bounded(kind.patronymics.size()));
        if (!names.contains(name))
            names.append(name);
    }
    return names;
}

// A question of 60 to 200 characters: a subject and an action, then
// circumstances until the wanted length, cut back at a word.
QString questionText(QRandomGenerator &random)
{
    static const QStringList subjects = {
        QStringLiteral("Насколько педагог"), QStringLiteral("Как часто учитель"),
        QStringLiteral("В какой мере преподаватель"), QStringLiteral("Оцените, насколько последовательно педагог"),
        QStringLiteral("Насколько успешно учитель")};
    static const QStringList actions = {
        QStringLiteral("ставит перед обучающимися ясные цели занятия"),
        QStringLiteral("использует современные образовательные технологии"),
        QStringLiteral("организует самостоятельную и групповую работу детей"),
        QStringLiteral("учитывает индивидуальные особенности каждого ученика"),
        QStringLiteral("поддерживает интерес к предмету и мотивацию к учёбе"),
        QStringLiteral("даёт понятную обратную связь по выполненным заданиям"),
        QStringLiteral("привлекает родителей к жизни класса и объединения"),
        QStringLiteral("применяет цифровые ресурсы и электронный журнал")};
    static const QStringList circumstances = {
        QStringLiteral("на уроках и во внеурочной деятельности"),
        QStringLiteral("в течение всего учебного года"),
        QStringLiteral("с учётом требований образовательного стандарта"),
        QStringLiteral("при подготовке обучающихся к конкурсам и олимпиадам"),
        QStringLiteral("и анализирует результаты своей работы вместе с коллегами"),
        QStringLiteral("на открытых занятиях и в повседневной работе")};
    const int wanted = 60 + random.bounded(141);
    QString text = subjects.at(random.bounded(subjects.size())) + QLatin1Char(' ')
        + actions.at(random.bounded(actions.size()));
    while (text.size() < wanted)
        text += QLatin1Char(' ') + circumstances.at(random.bounded(circumstances.size()));
    if (text.size() > 199)
        text.truncate(text.lastIndexOf(QLatin1Char(' '), 199));
    return text + QLatin1Char('?');
}

// Block b of group g: a topic of the group, with a part number once the
// topics run out.
QString blockName(int g, int b)
{
    static const QStringList topics[2] = {
        {QStringLiteral("Организация учебного занятия в объединении"),
         QStringLiteral("Воспитательная деятельность"), QStringLiteral("Работа с родителями"),
         QStringLiteral("Профессиональное развитие педагога"), QStringLiteral("Методическая работа"),
         QStringLiteral("Участие обучающихся в конкурсах и выставках")},
        {QStringLiteral("Организация урока"), QStringLiteral("Методическая работа"),
         QStringLiteral("Использование цифровых образовательных ресурсов"),
         QStringLiteral("Результаты обучающихся"), QStringLiteral("Классное руководство"),
         QStringLiteral("Работа с родителями")}};
    const QStringList &names = topics[g];
    if (b < names.size())
        return names.at(b);
    return QStringLiteral("%1, часть %2").arg(names.at(b % names.size())).arg(b / names.size() + 1);
}

QuestionStore makeQuestions(const SchoolSize &size, QRandomGenerator &random)
{
    QuestionStore groups(3);
    int questionId = 0;
    for (int g = 0; g < 2; ++g) {
        for (int b = 0; b < size.blocksPerGroup; ++b) {
            QuestionBlock block;
            block.id = g * size.blocksPerGroup + b;
            block.ordinal = b;
            block.active = true;
            block.group = quint8(g);
            block.name = blockName(g, b);
            for (int q = 0; q < size.questionsPerBlock; ++q) {
                Question question;
                question.id = questionId++;
                question.active = true;
                question.minValue = q % 3 == 0 ? 1 : 0;
                question.maxValue = q % 3 == 0 ? 5 : 10;
                question.text = questionText(random);
                block.questions.append(question);
            }
            groups[g].blocks.append(block);
        }
    }
    return groups;
}

AccountStore makeAccounts(const SchoolSize &size, QRandomGenerator &random)
{
    int total = 0;
    for (int count : size.accounts)
        total += count;
    const QStringList names = fullNames(total, random);
    AccountStore accounts(AccountKindCount);
    int id = 0;
    const auto add = [&](int kind, const QString &information) {
        Account account;
        account.id = id;
        account.name = names.at(id % names.size());
        account.password = QByteArray::number(100000 + random.bounded(900000));
        account.active = true;
        account.information = information;
        accounts[kind].append(account);
        ++id;
    };
    for (int i = 0; i < size.accounts[ExpertKind]; ++i)
        add(ExpertKind, QStringLiteral("Заместитель директора по учебно-воспитательной работе"));
    for (int i = 0; i < size.accounts[TeacherDoKind]; ++i)
        add(TeacherDoKind, QStringLiteral("Педагог дополнительного образования, стаж %1 лет").arg(2 + i % 30));
    for (int i = 0; i < size.accounts[SchoolTeacherKind]; ++i)
        add(SchoolTeacherKind, QStringLiteral("Учитель, стаж %1 лет, первая категория").arg(2 + i % 30));
    for (int i = 0; i < size.accounts[ParentKind]; ++i)
        add(ParentKind, QStringLiteral("Родитель обучающегося %1 класса").arg(1 + i % 11));
    return accounts;
}

AnswerStore makeAnswers(const SchoolSize &size, const QuestionStore &questions, const AccountStore &accounts,
                        int count, QRandomGenerator &random)
{
    const QVector<Account> &experts = accounts.at(ExpertKind);
    const int sittings = (count + size.questionsPerBlock - 1) / size.questionsPerBlock;
    const QDate today = QDate::currentDate();
    AnswerStore answers;
    answers.reserve(count);
    for (int sitting = 0; answers.size() < count; ++sitting) {
        const int group = random.bounded(2);
        const QVector<Account> &teachers = accounts.at(group == 0 ? TeacherDoKind : SchoolTeacherKind);
        const QuestionBlock &block = questions.at(group).blocks.at(random.bounded(size.blocksPerGroup));
        const qint32 subject = teachers.at(random.bounded(teachers.size())).id;
        const qint32 author = random.bounded(4) == 0 ? subject : experts.at(random.bounded(experts.size())).id;
        const QDate date = today.addDays(qint64(sitting) * 365 / sittings - 365);
        for (int q = 0; q < block.questions.size() && answers.size() < count; ++q) {
            const Question &question = block.questions.at(q);
            Answer answer;
            answer.questionId = question.id;
            answer.blockId = block.id;
            answer.group = group;
            answer.date = date;
            answer.minValue = question.minValue;
            answer.maxValue = question.maxValue;
            answer.value = qint16(question.minValue + random.bounded(question.maxValue - question.minValue + 1));
            answer.authorId = author;
            answer.subjectId = subject;
            answers.append(answer);
        }
    }
    return answers;
}

QString accountName(const AccountStore &accounts, qint32 id)
{
    const AccountLocation at = findAccount(accounts, id);
    return at.isValid() ? accounts.at(at.kind).at(at.index).name : QString();
}

double statusMegabytes(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

// Gives the heap's free pages back to the system, so that resident memory
// counts what is in use.
void trimHeap()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

School makeSchool(const SchoolSize &size, int answers, quint32 seed)
{
    QRandomGenerator random(seed);
    School school;
    school.questions = makeQuestions(size, random);
    school.accounts = makeAccounts(size, random);
    school.answers = makeAnswers(size, school.questions, school.accounts, answers, random);
    return school;
}

QVector<Answer> answersWithTexts(const School &school)
{
    QVector<Answer> answers = school.answers;
    for (Answer &answer : answers) {
        const QuestionLocation at = findQuestion(school.questions, answer.questionId);
        const QuestionBlock &block = school.questions.at(at.group).blocks.at(at.block);
        answer.questionText = block.questions.at(at.question).text;
        answer.blockName = block.name;
        answer.authorName = accountName(school.accounts, answer.authorId);
        answer.subjectName = accountName(school.accounts, answer.subjectId);
    }
    return answers;
}

Span::Span()
{
    trimHeap();
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
    m_resident = statusMegabytes("VmRSS:");
    m_timer.start();
}

double Span::addedMegabytes() const
{
    return statusMegabytes("VmRSS:") - m_resident;
}

double Span::peakMegabytes() const
{
    return statusMegabytes("VmHWM:") - m_resident;
}

double Span::peakResidentMegabytes() const
{
    return statusMegabytes("VmHWM:");
}

double Span::inUseMegabytes() const
{
    trimHeap();
    return statusMegabytes("VmRSS:") - m_resident;
}

QString secondsText(double seconds)
{
    return QString::number(seconds, 'f', 3) + QStringLiteral(" s");
}

QString megabytesText(double megabytes)
{
    // No "-0.0" for a change below what is shown.
    if (std::abs(megabytes) < 0.05)
        megabytes = 0;
    return QString::number(megabytes, 'f', 1) + QStringLiteral(" MB");
}

void waitUntilResponsive(QWidget &window, const std::function<bool()> &ready)
{
    while (!ready() || !window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
}

double timeResponse(QWidget &window, const std::function<void()> &change)
{
    QElapsedTimer timer;
    timer.start();
    change();
    waitUntilResponsive(window);
    return timer.nsecsElapsed() / 1e9;
}

void warmUp()
{
    QWidget window;
    AnswerTestUnit card(&window, 1, true);
    Answer answer;
    answer.blockName = QStringLiteral("Методическая работа");
    answer.questionText = QStringLiteral("Насколько педагог использует современные образовательные технологии?");
    answer.authorName = QStringLiteral("Иванова Елена Сергеевна");
    answer.subjectName = QStringLiteral("Смирнов Андрей Николаевич");
    answer.date = QDate::currentDate();
    card.setAnswer(answer, 1);
    window.show();
    waitUntilResponsive(window);
}
