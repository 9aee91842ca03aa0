#include "admintexts.h"
#include "answerhistoryview.h"
#include "editquestunit.h"
#include "server.h"
#include "tst_serverwindowfixtures.h"

#include <QtTest>
#include <QtWidgets>

using namespace serverfixtures;

namespace {

const QString SaveClean = QStringLiteral(
    "QPushButton{\nborder: 1px solid #ACACAC;\nbackground-color: qlineargradient(spread:pad, x1:0.5, "
    "y1:1, x2:0.5, y2:0, stop:0 rgba(240, 240, 240, 255), stop:1 rgba(229, 229, 229, 255))\n}\n");
const QString SaveChanged = QStringLiteral(
    "QPushButton{\nborder: 1px solid #ACACAC;\nbackground-color: qlineargradient(spread:pad, x1:0.5, "
    "y1:1, x2:0.5, y2:0, stop:0 rgba(240, 240, 240, 255), stop:1 rgba(226, 158, 158, 255))\n}\n");

// The question rows in display order.
QList<EditQuestUnit *> rows(const Server &w)
{
    QList<EditQuestUnit *> shown;
    for (EditQuestUnit *row : w.findChildren<EditQuestUnit *>()) {
        if (!row->isHidden())
            shown.append(row);
    }
    std::sort(shown.begin(), shown.end(),
              [](EditQuestUnit *a, EditQuestUnit *b) { return a->index() < b->index(); });
    return shown;
}

struct Files
{
    QByteArray questions, accounts, answers, settings;

    static Files read(const DataStore &store)
    {
        return {fileBytes(store.questionsPath()), fileBytes(store.accountsPath()),
                fileBytes(store.answersPath()), fileBytes(store.settingsPath())};
    }
};

} // namespace

// The question editor tab, driven through its widgets.
class tst_ServerWindowEditor : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void emptyStoreDisablesBlockWidgets();
    void addBlock_data();
    void addBlock();
    void addBlockNeedsAName_data();
    void addBlockNeedsAName();
    void longBlockNameIsRepeated_data();
    void longBlockNameIsRepeated();
    void newQuestionTurnsSaveRed();
    void editAndSave_data();
    void editAndSave();
    void deleteRowAndSave();
    void spinBoxesBoundEachOther();
    void unsavedEdits_data();
    void unsavedEdits();
    void deleteBlock_data();
    void deleteBlock();
    void deleteLastBlockDisablesWidgets();
    void fileOfOneGroup();
    void overlongQuestionTextRefused();

private:
    // A data folder of the test's own, never the server's real one.
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_folder;
};

void tst_ServerWindowEditor::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_folder = m_dir->filePath(QStringLiteral("School"));
}

void tst_ServerWindowEditor::emptyStoreDisablesBlockWidgets()
{
    Server w(m_folder, 0);
    for (const char *name :
         {"pb_add_quest", "pb_del_block", "cb_edit_block_activation", "pb_save", "cb_edit_block"})
        QVERIFY2(!child<QWidget>(&w, name)->isEnabled(), name);
    QVERIFY(!child<QPushButton>(&w, "pb_add_block")->isEnabled());

    child<QLineEdit>(&w, "le_new_block")->setText(QStringLiteral("A"));
    QTRY_VERIFY(child<QPushButton>(&w, "pb_add_block")->isEnabled());
    child<QPushButton>(&w, "pb_add_block")->click();

    const QuestionBlock &added = w.dataStore().questions().at(0).blocks.at(0);
    QCOMPARE(added.id, 0);
    QCOMPARE(added.ordinal, 0);
    QCOMPARE(added.active, false);
    for (const char *name :
         {"pb_add_quest", "pb_del_block", "cb_edit_block_activation", "pb_save", "cb_edit_block"})
        QVERIFY2(child<QWidget>(&w, name)->isEnabled(), name);
    QCOMPARE(fileBytes(w.dataStore().questionsPath()), expectedQuestionsFile(w.dataStore()));
}

void tst_ServerWindowEditor::addBlock_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("new name") << 0 << QStringLiteral("Воспитательная работа") << true;
    QTest::newRow("name taken in the group") << 0 << QStringLiteral("Черновик") << false;
    QTest::newRow("name taken in the other group") << 1 << QStringLiteral("Занятие") << true;
}

void tst_ServerWindowEditor::addBlock()
{
    QFETCH(int, group);
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    Server w(m_folder, 0);
    const Files before = Files::read(w.dataStore());
    const QuestionStore questionsBefore = w.dataStore().questions();
    auto *blocks = child<QComboBox>(&w, "cb_edit_block");
    child<QComboBox>(&w, "cb_edit_group")->setCurrentIndex(group);
    const int count = blocks->count();

    child<QLineEdit>(&w, "le_new_block")->setText(name);
    QTRY_VERIFY(child<QPushButton>(&w, "pb_add_block")->isEnabled());
    BoxSeen seen;
    const ModalAnswer box(pressInBox(QString(), &seen));
    child<QPushButton>(&w, "pb_add_block")->click();

    const Files after = Files::read(w.dataStore());
    if (accepted) {
        QVERIFY(!box.done());
        QCOMPARE(blocks->count(), count + 1);
        QCOMPARE(blocks->currentIndex(), count);
        QCOMPARE(blocks->currentText(), name);
        QCOMPARE(w.dataStore().questions().at(group).blocks.last().name, name);
        QCOMPARE(child<QLineEdit>(&w, "le_new_block")->text(), QString());
        QVERIFY(rows(w).isEmpty());
        QCOMPARE(after.questions, expectedQuestionsFile(w.dataStore()));
        QVERIFY(after.questions != before.questions);
    } else {
        QVERIFY(box.done());
        QCOMPARE(seen.text, adminText(AdminText::DuplicateBlock));
        QCOMPARE(seen.text,
                 QStringLiteral("Имя такого блока уже существует.\nПожалуйста, введите новое."));
        QCOMPARE(blocks->count(), count);
        QCOMPARE(w.dataStore().questions(), questionsBefore);
        QCOMPARE(child<QLineEdit>(&w, "le_new_block")->text(), name);
        QCOMPARE(after.questions, before.questions);
    }
    QCOMPARE(after.accounts, before.accounts);
    QCOMPARE(after.answers, before.answers);
    QCOMPARE(after.settings, before.settings);
}

void tst_ServerWindowEditor::addBlockNeedsAName_data()
{
    QTest::addColumn<QString>("blank");
    QTest::newRow("name cleared") << QString();
    QTest::newRow("spaces only") << QStringLiteral("   ");
}

// The button follows the name field through the poll, both ways.
void tst_ServerWindowEditor::addBlockNeedsAName()
{
    QFETCH(QString, blank);
    Server w(m_folder, 0);
    auto *add = child<QPushButton>(&w, "pb_add_block");
    auto *name = child<QLineEdit>(&w, "le_new_block");
    name->setText(QStringLiteral("Воспитательная работа"));
    QTRY_VERIFY(add->isEnabled());
    name->setText(blank);
    QTRY_VERIFY(!add->isEnabled());
    add->click();
    QVERIFY(w.dataStore().questions().at(0).blocks.isEmpty());
}

void tst_ServerWindowEditor::longBlockNameIsRepeated_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("repeated");
    QTest::newRow("25 characters") << 25 << false;
    QTest::newRow("26 characters") << 26 << true;
}

void tst_ServerWindowEditor::longBlockNameIsRepeated()
{
    QFETCH(int, length);
    QFETCH(bool, repeated);
    Server w(m_folder, 0);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QString name = QString(length, QChar(0x0416)); // Ж
    child<QLineEdit>(&w, "le_new_block")->setText(name);
    QTRY_VERIFY(child<QPushButton>(&w, "pb_add_block")->isEnabled());
    child<QPushButton>(&w, "pb_add_block")->click();

    auto *label = child<QLabel>(&w, "l_block_dublicate");
    QCOMPARE(label->isVisible(), repeated);
    QCOMPARE(label->text(), repeated ? name : QString());
}

void tst_ServerWindowEditor::newQuestionTurnsSaveRed()
{
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    Server w(m_folder, 0);
    auto *save = child<QPushButton>(&w, "pb_save");
    QTRY_COMPARE(save->styleSheet(), SaveClean);

    child<QPushButton>(&w, "pb_add_quest")->click();

    QCOMPARE(rows(w).size(), 3);
    EditQuestUnit *added = rows(w).last();
    // Question ids in use: 100, 101, 102, 200.
    QCOMPARE(added->question().id, 0);
    QCOMPARE(added->question().text, QStringLiteral("0"));
    QCOMPARE(added->question().minValue, qint16(0));
    QCOMPARE(added->question().maxValue, qint16(0));
    QCOMPARE(child<QGroupBox>(added, "gb_main")->title(), QStringLiteral("3"));
    QTRY_COMPARE(save->styleSheet(), SaveChanged);
    const QByteArray questionsBefore = fileBytes(w.dataStore().questionsPath());
    QCOMPARE(questionsBefore, expectedQuestionsFile(w.dataStore()));

    // A second new row takes the next free id.
    child<QPushButton>(&w, "pb_add_quest")->click();
    QCOMPARE(rows(w).last()->question().id, 1);

    save->click();
    QTRY_COMPARE(save->styleSheet(), SaveClean);
    const QVector<Question> &stored = w.dataStore().questions().at(0).blocks.at(0).questions;
    QCOMPARE(stored.size(), 4);
    QCOMPARE(stored.at(2).id, 0);
    QCOMPARE(stored.at(3).id, 1);
    QCOMPARE(fileBytes(w.dataStore().questionsPath()), expectedQuestionsFile(w.dataStore()));
}

void tst_ServerWindowEditor::editAndSave_data()
{
    QTest::addColumn<int>("what");
    QTest::newRow("question text") << 0;
    QTest::newRow("minimum") << 1;
    QTest::newRow("maximum") << 2;
    QTest::newRow("question active flag") << 3;
    QTest::newRow("block active flag") << 4;
}

void tst_ServerWindowEditor::editAndSave()
{
    QFETCH(int, what);
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    Server w(m_folder, 0);
    auto *save = child<QPushButton>(&w, "pb_save");
    EditQuestUnit *first = rows(w).first();
    const AnswerStore answers = w.dataStore().answers();
    QuestionBlock expected = w.dataStore().questions().at(0).blocks.at(0);

    switch (what) {
    case 0:
        child<QTextEdit>(first, "te_quest")->setPlainText(QStringLiteral("Цель занятия понятна"));
        expected.questions[0].text = QStringLiteral("Цель занятия понятна");
        break;
    case 1:
        child<QSpinBox>(first, "sb_min_count")->setValue(-3);
        expected.questions[0].minValue = -3;
        break;
    case 2:
        child<QSpinBox>(first, "sb_max_count")->setValue(10);
        expected.questions[0].maxValue = 10;
        break;
    case 3:
        child<QCheckBox>(first, "cb_activity")->setChecked(false);
        expected.questions[0].active = false;
        break;
    default:
        child<QCheckBox>(&w, "cb_edit_block_activation")->setChecked(false);
        expected.active = false;
        break;
    }
    QTRY_COMPARE(save->styleSheet(), SaveChanged);
    QCOMPARE(fileBytes(w.dataStore().questionsPath()), expectedQuestionsFile(w.dataStore()));

    save->click();

    QTRY_COMPARE(save->styleSheet(), SaveClean);
    QCOMPARE(w.dataStore().questions().at(0).blocks.at(0), expected);
    QCOMPARE(w.dataStore().answers(), answers);
    QCOMPARE(fileBytes(w.dataStore().questionsPath()), expectedQuestionsFile(w.dataStore()));
}

void tst_ServerWindowEditor::deleteRowAndSave()
{
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    Server w(m_folder, 0);
    child<QPushButton>(&w, "pb_add_quest")->click();
    QCOMPARE(rows(w).size(), 3);

    child<QPushButton>(rows(w).first(), "pb_delete")->click();

    QCOMPARE(rows(w).size(), 2);
    QCOMPARE(child<QGroupBox>(rows(w).at(0), "gb_main")->title(), QStringLiteral("1"));
    QCOMPARE(child<QGroupBox>(rows(w).at(1), "gb_main")->title(), QStringLiteral("2"));
    QCOMPARE(rows(w).at(0)->question().id, qint32(PaceQuestion));
    // Nothing is stored before "Сохранить".
    QCOMPARE(w.dataStore().questions().at(0).blocks.at(0).questions.size(), 2);

    child<QPushButton>(&w, "pb_save")->click();

    const QVector<Question> &stored = w.dataStore().questions().at(0).blocks.at(0).questions;
    QCOMPARE(stored.size(), 2);
    QCOMPARE(stored.at(0).id, qint32(PaceQuestion));
    QCOMPARE(stored.at(1).id, 0);
    // The answers to the removed question stay, but the history hides them.
    QCOMPARE(w.dataStore().answers().size(), 6);
    QCOMPARE(child<AnswerHistoryView>(&w, nullptr)->count(), 2);
    QCOMPARE(fileBytes(w.dataStore().questionsPath()), expectedQuestionsFile(w.dataStore()));
    QTRY_VERIFY(w.findChildren<EditQuestUnit *>().size() == 2);
}

void tst_ServerWindowEditor::spinBoxesBoundEachOther()
{
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    Server w(m_folder, 0);
    EditQuestUnit *first = rows(w).first(); // range 0..5
    auto *minimum = child<QSpinBox>(first, "sb_min_count");
    auto *maximum = child<QSpinBox>(first, "sb_max_count");
    QCOMPARE(minimum->maximum(), 5);

    minimum->setValue(5);
    QCOMPARE(maximum->minimum(), 5);
    maximum->setValue(2);
    QCOMPARE(maximum->value(), 5);

    // Lowering the maximum below the minimum takes the minimum down with it.
    maximum->setMinimum(-100);
    maximum->setValue(-3);
    QCOMPARE(minimum->value(), -3);
    QCOMPARE(maximum->minimum(), -3);
    QCOMPARE(first->question().minValue, qint16(-3));
    QCOMPARE(first->question().maxValue, qint16(-3));
}

void tst_ServerWindowEditor::unsavedEdits_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("button"); // empty: Escape
    QTest::addColumn<QString>("then"); // answer to a question that follows, if any

    const QString answers[] = {QStringLiteral("Да"), QStringLiteral("Нет"), QStringLiteral("Отмена")};
    for (const QString &button : answers) {
        QTest::addRow("switch block, %s", qPrintable(button)) << "block" << button << QString();
        QTest::addRow("close, %s", qPrintable(button)) << "close" << button << QString();
    }
    QTest::newRow("switch group, Нет") << "group" << "Нет" << QString();
    QTest::newRow("switch group, Отмена") << "group" << "Отмена" << QString();
    QTest::newRow("switch block, Escape") << "block" << QString() << QString();
    QTest::newRow("add block, Отмена") << "add block" << "Отмена" << QString();
    QTest::newRow("delete block, Отмена") << "delete block" << "Отмена" << QString();
    // The block stays, as stored.
    QTest::newRow("delete block, Нет, then not deleted") << "delete block" << "Нет" << "Отменить";
}

void tst_ServerWindowEditor::unsavedEdits()
{
    QFETCH(QString, action);
    QFETCH(QString, button);
    QFETCH(QString, then);
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    Server w(m_folder, 0);
    if (action == QLatin1String("close")) {
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }
    const QuestionStore before = w.dataStore().questions();
    auto *groups = child<QComboBox>(&w, "cb_edit_group");
    auto *blocks = child<QComboBox>(&w, "cb_edit_block");
    auto *save = child<QPushButton>(&w, "pb_save");
    child<QPushButton>(&w, "pb_add_quest")->click();
    QTRY_COMPARE(save->styleSheet(), SaveChanged);

    BoxSeen seen;
    std::unique_ptr<ModalAnswer> next;
    const ModalAnswer box([&](QWidget *modal) {
        if (!then.isEmpty())
            next = std::make_unique<ModalAnswer>(pressInBox(then));
        pressInBox(button, &seen)(modal);
    });
    if (action == QLatin1String("block")) {
        blocks->setCurrentIndex(1);
    } else if (action == QLatin1String("group")) {
        groups->setCurrentIndex(1);
    } else if (action == QLatin1String("add block")) {
        child<QLineEdit>(&w, "le_new_block")->setText(QStringLiteral("Новый"));
        QTRY_VERIFY(child<QPushButton>(&w, "pb_add_block")->isEnabled());
        child<QPushButton>(&w, "pb_add_block")->click();
    } else if (action == QLatin1String("delete block")) {
        child<QPushButton>(&w, "pb_del_block")->click();
    } else {
        w.close();
    }

    QVERIFY(box.done());
    QCOMPARE(seen.title, QStringLiteral("Ожидание подтверждения"));
    QCOMPARE(seen.text, QStringLiteral("Изменения вопросов блока не сохранены.\nСохранить их?"));
    QCOMPARE(seen.buttons.size(), 3);
    for (const char *text : {"Да", "Нет", "Отмена"})
        QVERIFY(seen.buttons.contains(QString::fromUtf8(text)));
    if (button == QStringLiteral("Да")) {
        const QVector<Question> &stored = w.dataStore().questions().at(0).blocks.at(0).questions;
        QCOMPARE(stored.size(), 3);
        QCOMPARE(stored.last().id, 0);
        QCOMPARE(fileBytes(w.dataStore().questionsPath()), expectedQuestionsFile(w.dataStore()));
    } else {
        QCOMPARE(w.dataStore().questions(), before);
    }
    if (button == QStringLiteral("Отмена") || button.isEmpty()) {
        // Everything stays as it was, edits and selection alike.
        QCOMPARE(w.isVisible(), action == QLatin1String("close"));
        QCOMPARE(groups->currentIndex(), 0);
        QCOMPARE(blocks->currentIndex(), 0);
        QCOMPARE(blocks->count(), 2);
        QCOMPARE(rows(w).size(), 3);
        QCOMPARE(rows(w).last()->question().id, 0);
        QTRY_COMPARE(save->styleSheet(), SaveChanged);
    } else if (action == QLatin1String("close")) {
        QVERIFY(!w.isVisible());
    } else if (action == QLatin1String("delete block")) {
        QVERIFY(next && next->done());
        QCOMPARE(blocks->count(), 2);
        QCOMPARE(rows(w).size(), 2);
        QTRY_COMPARE(save->styleSheet(), SaveClean);
    } else if (action == QLatin1String("block")) {
        QCOMPARE(blocks->currentIndex(), 1);
        QCOMPARE(rows(w).size(), 1);
        QCOMPARE(rows(w).first()->question().id, qint32(HiddenQuestion));
        QVERIFY(!child<QCheckBox>(&w, "cb_edit_block_activation")->isChecked());
        QTRY_COMPARE(save->styleSheet(), SaveClean);
    } else {
        QCOMPARE(blocks->count(), 1);
        QCOMPARE(rows(w).first()->question().id, qint32(PlanQuestion));
    }
}

void tst_ServerWindowEditor::deleteBlock_data()
{
    QTest::addColumn<QString>("button"); // empty: Escape
    QTest::addColumn<bool>("deleted");
    QTest::newRow("Удалить") << QStringLiteral("Удалить") << true;
    QTest::newRow("Отменить") << QStringLiteral("Отменить") << false;
    QTest::newRow("Escape") << QString() << false;
}

void tst_ServerWindowEditor::deleteBlock()
{
    QFETCH(QString, button);
    QFETCH(bool, deleted);
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    Server w(m_folder, 0);
    const Files before = Files::read(w.dataStore());
    const QuestionStore questions = w.dataStore().questions();
    const AnswerStore answers = w.dataStore().answers();
    auto *history = child<AnswerHistoryView>(&w, nullptr);
    QCOMPARE(history->count(), 5);

    BoxSeen seen;
    const ModalAnswer box(pressInBox(button, &seen));
    child<QPushButton>(&w, "pb_del_block")->click();

    QVERIFY(box.done());
    QCOMPARE(seen.title, QStringLiteral("Ожидание подтверждения"));
    QCOMPARE(
        seen.text,
        QStringLiteral(
            "С удалением данного блока вопросов\nудалятся и связанные с ним ответы\nПродолжить?"));
    QCOMPARE(seen.buttons, QStringList({QStringLiteral("Удалить"), QStringLiteral("Отменить")}));
    const Files after = Files::read(w.dataStore());
    auto *blocks = child<QComboBox>(&w, "cb_edit_block");
    if (deleted) {
        QCOMPARE(blocks->count(), 1);
        QCOMPARE(blocks->currentText(), QStringLiteral("Черновик"));
        QCOMPARE(rows(w).size(), 1);
        QCOMPARE(w.dataStore().questions().at(0).blocks.size(), 1);
        QCOMPARE(w.dataStore().answers().size(), 1); // only the school teacher's
        QCOMPARE(history->count(), 1);
        QCOMPARE(after.questions, expectedQuestionsFile(w.dataStore()));
        QCOMPARE(after.answers, expectedAnswersFile(w.dataStore()));
        QVERIFY(after.questions != before.questions);
        QVERIFY(after.answers != before.answers);
    } else {
        QCOMPARE(blocks->count(), 2);
        QCOMPARE(w.dataStore().questions(), questions);
        QCOMPARE(w.dataStore().answers(), answers);
        QCOMPARE(history->count(), 5);
        QCOMPARE(after.questions, before.questions);
        QCOMPARE(after.answers, before.answers);
    }
    QCOMPARE(after.accounts, before.accounts);
    QCOMPARE(after.settings, before.settings);
}

void tst_ServerWindowEditor::deleteLastBlockDisablesWidgets()
{
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    Server w(m_folder, 0);
    child<QComboBox>(&w, "cb_edit_group")->setCurrentIndex(1);
    child<QLineEdit>(&w, "le_new_block")->setText(QStringLiteral("Черновик урока"));

    const ModalAnswer box(pressInBox(QStringLiteral("Удалить")));
    child<QPushButton>(&w, "pb_del_block")->click();
    QVERIFY(box.done());

    QCOMPARE(child<QComboBox>(&w, "cb_edit_block")->count(), 0);
    QVERIFY(rows(w).isEmpty());
    QCOMPARE(child<QLineEdit>(&w, "le_new_block")->text(), QString());
    QVERIFY(!child<QCheckBox>(&w, "cb_edit_block_activation")->isChecked());
    for (const char *name :
         {"pb_add_quest", "pb_del_block", "cb_edit_block_activation", "pb_save", "cb_edit_block"})
        QVERIFY2(!child<QWidget>(&w, name)->isEnabled(), name);
    QVERIFY(w.dataStore().questions().at(1).blocks.isEmpty());
    QTRY_COMPARE(child<QPushButton>(&w, "pb_save")->styleSheet(), SaveClean);

    // Nothing left to delete or add questions to: the buttons do nothing.
    child<QPushButton>(&w, "pb_add_quest")->click();
    QVERIFY(rows(w).isEmpty());
}

// A questions file of one group (hand-made or from an older program): the
// editor still offers both groups and takes blocks for the second.
void tst_ServerWindowEditor::fileOfOneGroup()
{
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    const QuestionGroup first = schoolQuestions().at(0);
    QVERIFY(putFile(m_folder + QStringLiteral("/questions_file.bin"),
                    encodeGroupList({first}).value()));
    Server w(m_folder, 0);
    QCOMPARE(w.dataStore().questions().size(), 3);
    QCOMPARE(w.dataStore().questions().at(0), first);

    child<QComboBox>(&w, "cb_edit_group")->setCurrentIndex(1);
    QCOMPARE(child<QComboBox>(&w, "cb_edit_group")->currentText(), QStringLiteral("Учитель"));
    QCOMPARE(child<QComboBox>(&w, "cb_edit_block")->count(), 0);
    child<QLineEdit>(&w, "le_new_block")->setText(QStringLiteral("Урок"));
    QTRY_VERIFY(child<QPushButton>(&w, "pb_add_block")->isEnabled());
    child<QPushButton>(&w, "pb_add_block")->click();

    QCOMPARE(w.dataStore().questions().at(1).blocks.size(), 1);
    QCOMPARE(w.dataStore().questions().at(1).blocks.at(0).name, QStringLiteral("Урок"));
    QCOMPARE(child<QComboBox>(&w, "cb_edit_block")->currentText(), QStringLiteral("Урок"));
    QCOMPARE(w.dataStore().questions().at(0), first);
    QCOMPARE(fileBytes(w.dataStore().questionsPath()), expectedQuestionsFile(w.dataStore()));
    QCOMPARE(decodeGroupList(fileBytes(w.dataStore().questionsPath())).value().size(), 3);
}

void tst_ServerWindowEditor::overlongQuestionTextRefused()
{
    QVERIFY(writeAnsweredSchool(m_folder, QDate::currentDate()));
    Server w(m_folder, 0);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *save = child<QPushButton>(&w, "pb_save");
    const QuestionStore before = w.dataStore().questions();
    const QByteArray questionsFile = fileBytes(w.dataStore().questionsPath());
    QVERIFY(child<QLineEdit>(&w, "le_new_block")->maxLength() <= DataStore::MaxListCount);

    child<QTextEdit>(rows(w).first(), "te_quest")->setPlainText(overlongText());
    save->click();

    QCOMPARE(w.dataStore().questions(), before);
    QCOMPARE(fileBytes(w.dataStore().questionsPath()), questionsFile);
    QVERIFY(child<QWidget>(&w, "w_warnings")->isVisible());
    QVERIFY(child<QLabel>(&w, "l_warnings")->text().contains(QStringLiteral("знаков в тексте вопроса")));
    // The edit stays in its row, still unsaved.
    QTRY_COMPARE(save->styleSheet(), SaveChanged);
    QCOMPARE(rows(w).first()->question().text, overlongText());
}

QTEST_MAIN(tst_ServerWindowEditor)
#include "tst_serverwindow_editor.moc"
