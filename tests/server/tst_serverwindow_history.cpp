#include "answerhistoryview.h"
#include "answertestunit.h"
#include "server.h"
#include "tst_serverwindowfixtures.h"

#include <QtTest>
#include <QtWidgets>

using namespace serverfixtures;

// The history tab (cards, filters, deletion, refresh hint) and the new
// season, driven through the window's widgets.
class tst_ServerWindowHistory : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void cardsNumberedFromOne();
    void filter_data();
    void filter();
    void deleteCard_data();
    void deleteCard();
    void deleteAtTheEndOfALongList();
    void outdatedCardRemovesNothing();
    void writeRaisesHint();
    void teacherFilterFollowsAccounts();
    void season_data();
    void season();
    void archive_data();
    void archive();
    void storeFill_data();
    void storeFill();

private:
    // Shows the window on the history tab, so that its cards exist.
    static AnswerHistoryView *showHistory(Server &w);
    // Presses a card's delete button and answers its question with
    // `button`; the question's text goes to `seen`.
    static void pressDelete(AnswerHistoryView *history, int row,
                            const QString &button = QStringLiteral("Да"), BoxSeen *seen = nullptr);

    // A data folder of the test's own, never the server's real one.
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_folder;
};

void tst_ServerWindowHistory::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_folder = m_dir->filePath(QStringLiteral("School"));
}

AnswerHistoryView *tst_ServerWindowHistory::showHistory(Server &w)
{
    child<QTabWidget>(&w, "tabWidget")->setCurrentIndex(4);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        return nullptr;
    return child<AnswerHistoryView>(&w, nullptr);
}

void tst_ServerWindowHistory::pressDelete(AnswerHistoryView *history, int row,
                                          const QString &button, BoxSeen *seen)
{
    history->scrollToRow(row);
    QTRY_VERIFY(history->cardAt(row));
    auto *pb = child<QPushButton>(history->cardAt(row), "pb_delete");
    QVERIFY(pb && pb->isVisible());
    const ModalAnswer box(pressInBox(button, seen));
    pb->click();
    QVERIFY(box.done());
}

void tst_ServerWindowHistory::cardsNumberedFromOne()
{
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    Server w(m_folder, 0);
    AnswerHistoryView *history = showHistory(w);
    QVERIFY(history);
    QVERIFY(history->isDeletable());
    QCOMPARE(history->count(), 5);
    for (int row = 0; row < history->count(); ++row)
        QCOMPARE(history->numberAt(row), row + 1);
    QTRY_VERIFY(history->cardAt(0));
    QCOMPARE(child<QGroupBox>(history->cardAt(0), "groupBox")->title(), QStringLiteral("1"));
    QCOMPARE(child<QLabel>(history->cardAt(0), "l_question_2")->text(),
             QStringLiteral("Цель занятия ясна"));
}

void tst_ServerWindowHistory::filter_data()
{
    QTest::addColumn<int>("group"); // -1: group filter off
    QTest::addColumn<QString>("teacher"); // empty: teacher filter off
    QTest::addColumn<QVector<int>>("shown"); // indexes into schoolAnswers()

    QTest::newRow("no filter") << -1 << QString() << QVector<int> {0, 1, 2, 3, 5};
    QTest::newRow("Иванова") << -1 << QStringLiteral("Иванова") << QVector<int> {0, 1, 5};
    QTest::newRow("Петров") << -1 << QStringLiteral("Петров") << QVector<int> {3};
    QTest::newRow("Педагог") << 0 << QString() << QVector<int> {1};
    QTest::newRow("Эксперт") << 1 << QString() << QVector<int> {0, 3, 5};
    QTest::newRow("Родитель") << 2 << QString() << QVector<int> {2};
    QTest::newRow("Эксперт and Иванова") << 1 << QStringLiteral("Иванова") << QVector<int> {0, 5};
}

void tst_ServerWindowHistory::filter()
{
    QFETCH(int, group);
    QFETCH(QString, teacher);
    QFETCH(QVector<int>, shown);
    const QDate today = QDate::currentDate();
    QVERIFY(writeAnsweredSchool(m_folder, today));
    Server w(m_folder, 0);
    auto *history = child<AnswerHistoryView>(&w, nullptr);
    QCOMPARE(child<QComboBox>(&w, "cb_filter_group")->count(), 3);

    if (group >= 0) {
        child<QComboBox>(&w, "cb_filter_group")->setCurrentIndex(group);
        child<QCheckBox>(&w, "cb_filter_group_2")->setChecked(true);
    }
    if (!teacher.isEmpty()) {
        auto *teachers = child<QComboBox>(&w, "cb_filter_teacher");
        teachers->setCurrentIndex(teachers->findText(teacher));
        QCOMPARE(teachers->currentText(), teacher);
        child<QCheckBox>(&w, "cb_filter_teacher_2")->setChecked(true);
    }
    // The filters act on "Обновить" only.
    QCOMPARE(history->count(), 5);
    child<QPushButton>(&w, "pb_reload_filter")->click();

    const QVector<Answer> all = schoolAnswers(today);
    QCOMPARE(history->count(), shown.size());
    for (int row = 0; row < shown.size(); ++row) {
        QCOMPARE(history->numberAt(row), row + 1);
        QCOMPARE(history->answerAt(row).value, all.at(shown.at(row)).value);
        QCOMPARE(history->answerAt(row).authorId, all.at(shown.at(row)).authorId);
    }
}

void tst_ServerWindowHistory::deleteCard_data()
{
    QTest::addColumn<bool>("teacherFilter");
    QTest::addColumn<int>("row");
    QTest::addColumn<QVector<int>>("removed"); // indexes into schoolAnswers(), descending
    QTest::addColumn<QString>("button"); // answer to the question, empty: Escape
    // A further delete click while the question is open, as the second
    // click of a double click on the button that slid under the pointer.
    QTest::addColumn<bool>("clickAgain");

    QTest::newRow("card 1") << false << 0 << QVector<int>{0} << "Да" << false;
    QTest::newRow("card 3 of 5") << false << 2 << QVector<int>{2} << "Да" << false;
    QTest::newRow("card 5, after the lost question's answer") << false << 4 << QVector<int>{5} << "Да" << false;
    QTest::newRow("card 2 under the teacher filter") << true << 1 << QVector<int>{1} << "Да" << false;
    QTest::newRow("card 3 under the teacher filter") << true << 2 << QVector<int>{5} << "Да" << false;
    QTest::newRow("Нет") << false << 2 << QVector<int>{} << "Нет" << false;
    QTest::newRow("Escape") << false << 2 << QVector<int>{} << QString() << false;
    QTest::newRow("clicked again while asked") << false << 2 << QVector<int>{2} << "Да" << true;
    // After a question naming how many; also the answer no card shows.
    QTest::newRow("all of the author's that day") << false << 0 << QVector<int>{4, 3, 0} << "Все ответы автора за этот день…" << false;
}

void tst_ServerWindowHistory::deleteCard()
{
    QFETCH(bool, teacherFilter);
    QFETCH(int, row);
    QFETCH(QVector<int>, removed);
    QFETCH(QString, button);
    QFETCH(bool, clickAgain);
    const QDate today = QDate::currentDate();
    QVERIFY(writeAnsweredSchool(m_folder, today));
    Server w(m_folder, 0);
    AnswerHistoryView *history = showHistory(w);
    QVERIFY(history);
    if (teacherFilter) {
        child<QComboBox>(&w, "cb_filter_teacher")->setCurrentIndex(0); // Иванова
        child<QCheckBox>(&w, "cb_filter_teacher_2")->setChecked(true);
        child<QPushButton>(&w, "pb_reload_filter")->click();
    }
    const int cards = history->count();
    const QByteArray questionsFile = fileBytes(w.dataStore().questionsPath());
    const QByteArray answersFile = fileBytes(w.dataStore().answersPath());
    const Answer shown = history->answerAt(row);
    history->scrollToRow(row);
    QTRY_VERIFY(history->cardAt(row) && (!clickAgain || history->cardAt(row + 1)));
    QPushButton *again = clickAgain ? child<QPushButton>(history->cardAt(row + 1), "pb_delete") : nullptr;

    BoxSeen seen, counted;
    bool secondBox = false;
    std::unique_ptr<ModalAnswer> authorDay;
    const ModalAnswer box([&](QWidget *modal) {
        if (removed.size() > 1)
            authorDay = std::make_unique<ModalAnswer>(pressInBox(QStringLiteral("Да"), &counted));
        if (clickAgain) {
            // A second question would be answered "Да" too.
            const ModalAnswer nested([&](QWidget *second) {
                secondBox = second != modal;
                pressInBox(QStringLiteral("Да"))(second);
            });
            again->click();
        }
        pressInBox(button, &seen)(modal);
    });
    child<QPushButton>(history->cardAt(row), "pb_delete")->click();

    QVERIFY(box.done());
    QVERIFY(!secondBox);
    QCOMPARE(seen.title, QStringLiteral("Ожидание подтверждения"));
    QCOMPARE(seen.text, QStringLiteral("Удалить этот ответ?\n\nПедагог: %1\nБлок: %2\nВопрос: %3\n"
                                       "Дата: %4\nОценка: %5")
                            .arg(shown.subjectName, shown.blockName, shown.questionText,
                                 shown.date.toString(QStringLiteral("dd.MM.yyyy")),
                                 QString::number(shown.value)));
    QCOMPARE(seen.buttons, QStringList({QStringLiteral("Да"), QStringLiteral("Все ответы автора за этот день…"),
                                        QStringLiteral("Нет")}));
    if (authorDay)
        QCOMPARE(counted.text, QStringLiteral("Удалить все ответы автора «%1» за %2? Их в хранилище: %3.")
                                   .arg(shown.authorName, shown.date.toString(QStringLiteral("dd.MM.yyyy")))
                                   .arg(removed.size()));
    QVector<Answer> expected = schoolAnswers(today);
    if (removed.isEmpty()) {
        QCOMPARE(w.dataStore().answers(), expected);
        QCOMPARE(fileBytes(w.dataStore().answersPath()), answersFile);
        QCOMPARE(history->count(), cards);
        return;
    }
    for (int index : removed)
        expected.remove(index);
    QCOMPARE(w.dataStore().answers(), expected);
    QCOMPARE(fileBytes(w.dataStore().answersPath()), expectedAnswersFile(w.dataStore()));
    QCOMPARE(fileBytes(w.dataStore().questionsPath()), questionsFile);
    // The lost question's answer (index 4) has no card.
    QCOMPARE(history->count(), cards - removed.size() + int(removed.contains(4)));
    for (int r = 0; r < history->count(); ++r)
        QCOMPARE(history->numberAt(r), r + 1);
    QVERIFY(!child<QLabel>(&w, "l_update")->isVisible());
}

void tst_ServerWindowHistory::deleteAtTheEndOfALongList()
{
    const QDate today = QDate::currentDate();
    {
        AnswerStore answers;
        for (int i = 0; i < 3000; ++i)
            answers.append(makeAnswer(GoalQuestion, LessonBlock, Expert, TeacherDo, today, qint16(i % 6)));
        answers[2998].value = 42;
        DataStore store(m_folder);
        QVERIFY(loadSchool(store));
        QVERIFY(store.appendAnswers(answers));
    }
    Server w(m_folder, 0);
    AnswerHistoryView *history = showHistory(w);
    QVERIFY(history);
    QCOMPARE(history->count(), 3000);
    QCOMPARE(history->numberAt(2999), 3000);

    pressDelete(history, 2998);

    QCOMPARE(w.dataStore().answers().size(), 2999);
    for (const Answer &a : w.dataStore().answers())
        QVERIFY(a.value != 42);
    QCOMPARE(history->count(), 2999);
    QCOMPARE(history->numberAt(2998), 2999);
}

// Cards made before answers were removed elsewhere must not remove another
// answer than the one they show.
void tst_ServerWindowHistory::outdatedCardRemovesNothing()
{
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    Server w(m_folder, 0);
    AnswerHistoryView *history = showHistory(w);
    QVERIFY(history);
    history->scrollToRow(0);
    QTRY_VERIFY(history->cardAt(1));
    auto *button = child<QPushButton>(history->cardAt(1), "pb_delete");
    // The store changes behind the cards' back.
    QVERIFY(w.dataStore().removeAnswerAt(0));
    const AnswerStore before = w.dataStore().answers();

    button->click();

    QCOMPARE(w.dataStore().answers(), before);
    QCOMPARE(history->count(), buildHistoryCount(w.dataStore()));
}

void tst_ServerWindowHistory::writeRaisesHint()
{
    const QDate today = QDate::currentDate();
    QVERIFY(writeAnsweredSchool(m_folder, today));
    Server w(m_folder, 0);
    AnswerHistoryView *history = showHistory(w);
    QVERIFY(history);
    auto *hint = child<QLabel>(&w, "l_update");
    auto *teachers = child<QComboBox>(&w, "cb_filter_teacher");
    QVERIFY(!hint->isVisible());
    QCOMPARE(teachers->count(), 2);

    // Answers arrive as they do from a client: appended, then written.
    DataStore &store = w.dataStore();
    const qint32 newTeacher = 30;
    QVERIFY(store.addAccount(SchoolTeacherKind, makeAccount(newTeacher, QStringLiteral("Сидорова"), "s")));
    QVERIFY(
        store.appendAnswers({makeAnswer(PlanQuestion, ClassBlock, Expert, newTeacher, today, 2, 1)}));

    QVERIFY(hint->isVisible());
    QCOMPARE(hint->text(), QStringLiteral("Обновите"));
    QCOMPARE(history->count(), 5); // the cards stay until "Обновить"
    QCOMPARE(teachers->count(), 3);
    QCOMPARE(teachers->itemText(2), QStringLiteral("Сидорова"));

    // A second write lists no name twice.
    QVERIFY(store.appendAnswers({}));
    QCOMPARE(teachers->count(), 3);

    child<QPushButton>(&w, "pb_reload_filter")->click();
    QVERIFY(!hint->isVisible());
    QCOMPARE(history->count(), 6);
}

namespace {

QStringList itemTexts(const QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts.append(combo->itemText(i));
    return texts;
}

} // namespace

// The teacher filter lists each subject once, keeps its choice while that
// account exists, follows a rename and never names a deleted account.
void tst_ServerWindowHistory::teacherFilterFollowsAccounts()
{
    const QDate today = QDate::currentDate();
    QVERIFY(writeAnsweredSchool(m_folder, today));
    Server w(m_folder, 0);
    DataStore &store = w.dataStore();
    auto *teachers = child<QComboBox>(&w, "cb_filter_teacher");
    auto *filterOn = child<QCheckBox>(&w, "cb_filter_teacher_2");
    auto *history = child<AnswerHistoryView>(&w, nullptr);
    const QString ivanova = QStringLiteral("Иванова");
    const QString petrov = QStringLiteral("Петров");
    QCOMPARE(itemTexts(teachers), QStringList({ivanova, petrov}));
    teachers->setCurrentIndex(1);

    // Petrov's only answer goes; Petrov stays to filter by, still chosen.
    QVERIFY(store.removeAnswerAt(3));
    QCOMPARE(itemTexts(teachers), QStringList({ivanova, petrov}));
    QCOMPARE(teachers->currentText(), petrov);

    // Renaming him keeps him listed, in his place, and chosen.
    const QString petrovRenamed = QStringLiteral("Петров-Новый");
    const ModalAnswer editPetrov(fillAccountDialog(petrovRenamed, QString(), QString()));
    child<QPushButton>(&w, "pb_teacher_edit_2")->click();
    QVERIFY(editPetrov.done());
    QCOMPARE(itemTexts(teachers), QStringList({ivanova, petrovRenamed}));
    QCOMPARE(teachers->currentText(), petrovRenamed);

    // With the filter on Ivanova, renaming her keeps her answers shown at
    // once, under the new name.
    teachers->setCurrentIndex(0);
    filterOn->setChecked(true);
    child<QPushButton>(&w, "pb_reload_filter")->click();
    QCOMPARE(history->count(), 3);
    const QString renamed = QStringLiteral("Иванова-Орлова");
    const ModalAnswer edit(fillAccountDialog(renamed, QString(), QString()));
    child<QPushButton>(&w, "pb_teacher_edit")->click();
    QVERIFY(edit.done());
    QCOMPARE(store.accounts().at(TeacherDoKind).at(0).name, renamed);
    QCOMPARE(itemTexts(teachers), QStringList({renamed, petrovRenamed}));
    QCOMPARE(teachers->currentText(), renamed);
    QCOMPARE(history->count(), 3);
    QCOMPARE(history->answerAt(0).subjectName, renamed);

    // Deleting another teacher keeps the choice; his name goes.
    const ModalAnswer box(pressInBox(QStringLiteral("Удалить")));
    child<QPushButton>(&w, "pb_delete_teacher_2")->click();
    QVERIFY(box.done());
    QVERIFY(store.accounts().at(SchoolTeacherKind).isEmpty());
    QCOMPARE(itemTexts(teachers), QStringList({renamed}));
    QCOMPARE(teachers->currentText(), renamed);
    QCOMPARE(history->count(), 3);

    // Deleting the chosen teacher turns the filter off rather than showing
    // someone else's answers.
    const ModalAnswer last(pressInBox(QStringLiteral("Удалить")));
    child<QPushButton>(&w, "pb_delete_teacher")->click();
    QVERIFY(last.done());
    QVERIFY(!filterOn->isChecked());
    const int shown = history->count();
    child<QPushButton>(&w, "pb_reload_filter")->click();
    QCOMPARE(history->count(), shown);
}

void tst_ServerWindowHistory::season_data()
{
    QTest::addColumn<QString>("button"); // empty: Escape
    QTest::addColumn<bool>("begun");
    // An answer of today arrives while asked: the number named changes, so
    // the question is asked again; what goes is what it named.
    QTest::addColumn<bool>("arrives");
    QTest::newRow("Да") << QStringLiteral("Да") << true << false;
    QTest::newRow("Да, asked again after an answer arrived") << QStringLiteral("Да") << true << true;
    QTest::newRow("Нет") << QStringLiteral("Нет") << false << false;
    QTest::newRow("Escape") << QString() << false << false;
}

void tst_ServerWindowHistory::season()
{
    QFETCH(QString, button);
    QFETCH(bool, begun);
    QFETCH(bool, arrives);
    const QDate today = QDate::currentDate();
    QVERIFY(writeAnsweredSchool(m_folder, today));
    Server w(m_folder, 0);
    AnswerHistoryView *history = showHistory(w);
    QVERIFY(history);
    DataStore &store = w.dataStore();
    const QByteArray settingsFile = fileBytes(store.settingsPath());
    const QByteArray answersFile = fileBytes(store.answersPath());
    const QByteArray questionsFile = fileBytes(store.questionsPath());
    const QByteArray accountsFile = fileBytes(store.accountsPath());
    auto *label = child<QLabel>(&w, "l_begin_season");
    QCOMPARE(label->text(), QString());

    BoxSeen seen, again;
    std::unique_ptr<ModalAnswer> askedAgain;
    const ModalAnswer box([&](QWidget *modal) {
        if (arrives) {
            QVERIFY(store.appendAnswers({makeAnswer(PlanQuestion, ClassBlock, Expert, SchoolTeacher, today, 1, 1)}));
            askedAgain = std::make_unique<ModalAnswer>(pressInBox(button, &again));
        }
        pressInBox(button, &seen)(modal);
    });
    child<QPushButton>(&w, "pb_begin_season")->click();

    QVERIFY(box.done());
    QCOMPARE(seen.title, QStringLiteral("Ожидание ответа"));
    // Three of the answers are dated today.
    QCOMPARE(seen.text, QStringLiteral("Вы уверены что хотите начать\nтестирование заново?\n\n"
                                       "Будут удалены ответы, полученные сегодня: 3.\n"
                                       "Ответы прошлых дней останутся."));
    QCOMPARE(seen.buttons, QStringList({QStringLiteral("Да"), QStringLiteral("Нет")}));
    QCOMPARE(again.text.contains(QStringLiteral("сегодня: 4.")), arrives);
    if (begun) {
        QCOMPARE(store.seasonStart(), today);
        QCOMPARE(label->text(), today.toString(Qt::TextDate));
        // Yesterday's answers stay, today's are gone, in memory and on disk.
        const QVector<Answer> all = schoolAnswers(today);
        QCOMPARE(store.answers(), QVector<Answer>({all.at(0), all.at(3), all.at(4)}));
        QCOMPARE(fileBytes(store.settingsPath()), encodeSeasonStart(today));
        QCOMPARE(fileBytes(store.answersPath()), expectedAnswersFile(store));
        QCOMPARE(history->count(), 2);
    } else {
        QVERIFY(store.seasonStart().isNull());
        QCOMPARE(label->text(), QString());
        QCOMPARE(store.answers(), schoolAnswers(today));
        QCOMPARE(fileBytes(store.settingsPath()), settingsFile);
        QCOMPARE(fileBytes(store.answersPath()), answersFile);
        QCOMPARE(history->count(), 5);
    }
    QCOMPARE(fileBytes(store.questionsPath()), questionsFile);
    QCOMPARE(fileBytes(store.accountsPath()), accountsFile);
}

void tst_ServerWindowHistory::archive_data()
{
    QTest::addColumn<QString>("button"); // empty: Escape
    QTest::addColumn<bool>("archived");
    QTest::newRow("Да") << QStringLiteral("Да") << true;
    QTest::newRow("Нет") << QStringLiteral("Нет") << false;
    QTest::newRow("Escape") << QString() << false;
}

void tst_ServerWindowHistory::archive()
{
    QFETCH(QString, button);
    QFETCH(bool, archived);
    const QDate today = QDate::currentDate();
    QVERIFY(writeAnsweredSchool(m_folder, today));
    {
        DataStore store(m_folder);
        store.load();
        QVERIFY(store.setSeasonStart(today));
    }
    Server w(m_folder, 0);
    AnswerHistoryView *history = showHistory(w);
    QVERIFY(history);
    DataStore &store = w.dataStore();
    const QByteArray answersFile = fileBytes(store.answersPath());
    auto *fill = child<QLabel>(&w, "l_store_fill");
    QCOMPARE(fill->text(), QStringLiteral("Ответов в хранилище: 6 из 65 535"));

    BoxSeen seen, done;
    std::unique_ptr<ModalAnswer> report;
    const ModalAnswer box([&](QWidget *modal) {
        if (archived)
            report = std::make_unique<ModalAnswer>(pressInBox(QStringLiteral("OK"), &done));
        pressInBox(button, &seen)(modal);
    });
    child<QPushButton>(&w, "pb_archive")->click();

    QVERIFY(box.done());
    QCOMPARE(seen.title, QStringLiteral("Ожидание подтверждения"));
    // Three of the answers are dated yesterday, before the season.
    QCOMPARE(seen.text, QStringLiteral("Перенести в архив ответы прошлых сезонов\n(полученные до %1): 3?\n"
                                       "Они будут удалены из хранилища и сохранены в папке\n%2")
                            .arg(today.toString(QStringLiteral("dd.MM.yyyy")),
                                 QDir::toNativeSeparators(m_folder + QStringLiteral("/archive"))));
    QCOMPARE(seen.buttons, QStringList({QStringLiteral("Да"), QStringLiteral("Нет")}));
    const QVector<Answer> all = schoolAnswers(today);
    if (!archived) {
        QCOMPARE(store.answers(), all);
        QCOMPARE(fileBytes(store.answersPath()), answersFile);
        QVERIFY(!QFileInfo::exists(m_folder + QStringLiteral("/archive")));
        QCOMPARE(history->count(), 5);
        return;
    }
    QVERIFY(report && report->done());
    const QString stem = QDir::toNativeSeparators(m_folder + QStringLiteral("/archive/answers-")
                                                  + today.toString(Qt::ISODate));
    QCOMPARE(done.text, QStringLiteral("В архив перенесено ответов: 3.\nФайлы архива:\n%1.bin\n%1.csv")
                            .arg(stem));
    QCOMPARE(store.answers(), QVector<Answer>({all.at(1), all.at(2), all.at(5)}));
    QCOMPARE(fileBytes(store.answersPath()), expectedAnswersFile(store));
    // The history follows at once.
    QCOMPARE(history->count(), 3);
    QCOMPARE(fill->text(), QStringLiteral("Ответов в хранилище: 3 из 65 535"));
}

void tst_ServerWindowHistory::storeFill_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("warned");
    QTest::newRow("89 %") << 58981 << QStringLiteral("Ответов в хранилище: 58981 из 65 535") << false;
    QTest::newRow("90 %") << 58982
                          << QStringLiteral("Ответов в хранилище: 58982 из 65 535 (90 %)")
                          << true;
}

void tst_ServerWindowHistory::storeFill()
{
    QFETCH(int, count);
    QFETCH(QString, text);
    QFETCH(bool, warned);
    {
        DataStore store(m_folder);
        QVERIFY(loadSchool(store));
        const std::optional<QByteArray> answers = encodeAnswerList(QVector<Answer>(
            count, makeAnswer(GoalQuestion, LessonBlock, Expert, TeacherDo, QDate::currentDate())));
        QVERIFY(answers && putFile(store.answersPath(), *answers));
    }
    Server w(m_folder, 0);
    auto *fill = child<QLabel>(&w, "l_store_fill");
    QCOMPARE(fill->text(), text);
    QCOMPARE(fill->font().bold(), warned);
    QCOMPARE(child<QFrame>(&w, "w_warnings")->isVisibleTo(&w), warned);
    if (warned)
        QVERIFY(child<QLabel>(&w, "l_warnings")->text().contains(QStringLiteral("заполнено на 90 %")));
}

QTEST_MAIN(tst_ServerWindowHistory)
#include "tst_serverwindow_history.moc"
