#include "resulttab.h"

#include "csvtransform.h"
#include "graphpainter.h"
#include "setshown.h"
#include "widgetlegend.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

namespace {

// The teacher id of the combo box's current entry; -1 (no account) when
// there is none.
qint32 currentTeacherId(const QComboBox *combo)
{
    return combo->currentIndex() < 0 ? -1 : combo->currentData().toInt();
}

// Refills `combo` with `teachers` (the id as item data). The teacher with
// `currentId` becomes current; without one, the row `fallbackRow`, or the
// last row when there are fewer; with a negative `fallbackRow`, none.
void fillTeacherCombo(QComboBox *combo, const QVector<ChartTeacher> &teachers, qint32 currentId,
                      int fallbackRow)
{
    combo->clear();
    int current = -1;
    for (const ChartTeacher &teacher : teachers) {
        if (teacher.id == currentId)
            current = combo->count();
        combo->addItem(teacher.name, teacher.id);
    }
    if (current < 0 && fallbackRow >= 0 && combo->count() > 0)
        current = qMin(fallbackRow, combo->count() - 1);
    combo->setCurrentIndex(current);
}

} // namespace

class ResultTab::Private
{
public:
    QVector<ChartTeacher> chosenTeachers() const;
    void refreshGroupCombos(qint32 availableId, int availableRow, qint32 memberId, int memberRow);

    int group = 0;
    ResultTabWidgets w;
    QVector<Answer> answers;
    QVector<ChartBlock> blocks;
    int block = -1;
    // Members in the order they joined; members without answers in the
    // chosen block stay members but are not shown.
    QVector<qint32> groupIds;
    bool groupView = false;
};

QVector<ChartTeacher> ResultTab::Private::chosenTeachers() const
{
    return block >= 0 && block < blocks.size() ? blocks.at(block).teachers : QVector<ChartTeacher>();
}

void ResultTab::Private::refreshGroupCombos(qint32 availableId, int availableRow, qint32 memberId,
                                            int memberRow)
{
    const QVector<ChartTeacher> teachers = chosenTeachers();
    QVector<ChartTeacher> available;
    for (const ChartTeacher &teacher : teachers) {
        if (!groupIds.contains(teacher.id))
            available.append(teacher);
    }
    QVector<ChartTeacher> members;
    for (qint32 id : qAsConst(groupIds)) {
        for (const ChartTeacher &teacher : teachers) {
            if (teacher.id == id)
                members.append(teacher);
        }
    }
    fillTeacherCombo(w.available, available, availableId, availableRow);
    fillTeacherCombo(w.group, members, memberId, memberRow);
}

ResultTab::ResultTab(int group, const ResultTabWidgets &widgets, QObject *parent)
    : QObject(parent)
    , d(new Private)
{
    d->group = group;
    d->w = widgets;
    // The window may forward date changes to this tab; none must arrive
    // before the tab exists.
    const QDate today = QDate::currentDate();
    for (QDateEdit *edit : {d->w.begin, d->w.end}) {
        const QSignalBlocker blocker(edit);
        edit->setMaximumDate(today);
        edit->setDate(today);
    }
}

ResultTab::~ResultTab()
{
    delete d;
}

void ResultTab::rebuild(const QVector<Answer> &answers)
{
    ChartChoice chosen;
    chosen.blockId = d->block >= 0 && d->block < d->blocks.size() ? d->blocks.at(d->block).blockId : -1;
    chosen.teacherId = currentTeacherId(d->w.teacher);
    chosen.groupIds = d->groupIds;
    const QVector<ChartBlock> now = collectChartBlocks(d->group, answers);
    const FollowedChoice followed = followChoice(d->blocks, now, chosen);

    d->answers = answers;
    d->blocks = now;
    d->groupIds = followed.choice.groupIds;
    fillCombos(followed.choice);
    tellGone(followed);
    offerDatesOf(answers);
    showResult(computeResult());
}

void ResultTab::fillCombos(const ChartChoice &choice)
{
    QComboBox *combo = d->w.blocks;
    {
        const QSignalBlocker blocker(combo);
        combo->clear();
        for (const ChartBlock &block : qAsConst(d->blocks))
            combo->addItem(block.name, block.blockId);
        combo->setCurrentIndex(combo->findData(choice.blockId));
    }
    d->block = combo->currentIndex();
    fillTeacherCombo(d->w.teacher, d->chosenTeachers(), choice.teacherId, -1);
    d->refreshGroupCombos(currentTeacherId(d->w.available), 0, currentTeacherId(d->w.group), 0);
}

// Said until the user chooses again, even if later replies take nothing.
void ResultTab::tellGone(const FollowedChoice &followed)
{
    QStringList lines;
    if (followed.goneBlock)
        lines.append(tr("Блока «%1» больше нет в списке: ответов по нему не осталось.").arg(*followed.goneBlock));
    if (followed.goneTeacher) {
        lines.append(tr("«%1» больше нет в списке оцениваемых этого блока: ответов не осталось.")
                         .arg(*followed.goneTeacher));
    }
    for (const QString &member : followed.goneMembers)
        lines.append(tr("«%1» больше нет в группе: ответов не осталось.").arg(member));
    if (lines.isEmpty() || !d->w.notice)
        return;
    d->w.notice->setText(lines.join(QLatin1Char('\n')));
    d->w.notice->show();
}

// The date fields end at the day the client started, but answers may be
// dated later: the client was left open overnight, or its clock is behind
// the server's. The last day offered moves on so that they can be counted;
// a range that ended on the last day offered goes on ending there.
void ResultTab::offerDatesOf(const QVector<Answer> &answers)
{
    QDate latest = QDate::currentDate();
    for (const Answer &answer : answers)
        latest = qMax(latest, answer.date);
    QDateEdit *end = d->w.end;
    const QDate offered = end->maximumDate();
    if (latest <= offered)
        return;
    {
        const QSignalBlocker blocker(end);
        const bool endedOnLastDay = end->date() == offered;
        end->setMaximumDate(latest);
        if (endedOnLastDay)
            end->setDate(latest);
    }
    d->w.begin->setMaximumDate(end->date());
}

void ResultTab::blockChosen(int index)
{
    clearNotice();
    d->block = index;
    fillTeacherCombo(d->w.teacher, d->chosenTeachers(), currentTeacherId(d->w.teacher), 0);
    d->refreshGroupCombos(currentTeacherId(d->w.available), 0, currentTeacherId(d->w.group), 0);
}

void ResultTab::addToGroup()
{
    const int row = d->w.available->currentIndex();
    if (row < 0)
        return;
    const qint32 id = currentTeacherId(d->w.available);
    d->groupIds.append(id);
    d->refreshGroupCombos(-1, row, id, 0);
}

void ResultTab::removeFromGroup()
{
    const int row = d->w.group->currentIndex();
    if (row < 0)
        return;
    const qint32 id = currentTeacherId(d->w.group);
    d->groupIds.removeAll(id);
    d->refreshGroupCombos(id, 0, -1, row);
}

void ResultTab::beginDateChanged()
{
    d->w.end->setMinimumDate(d->w.begin->date());
}

void ResultTab::endDateChanged()
{
    d->w.begin->setMaximumDate(d->w.end->date());
}

void ResultTab::toggleGroupView()
{
    d->groupView = !d->groupView;
    d->w.groupToggle->setText(d->groupView ? tr("Включить режим просмотра педагога")
                                           : tr("Включить режим просмотра группы"));
    setShown({d->w.teacherLabel, d->w.teacher}, !d->groupView);
    setShown({d->w.availableLabel, d->w.available, d->w.add, d->w.groupLabel, d->w.group, d->w.remove},
             d->groupView);
}

void ResultTab::apply()
{
    clearNotice();
    showResult(computeResult());
}

void ResultTab::clearNotice()
{
    if (d->w.notice)
        d->w.notice->hide();
}

void ResultTab::showResult(const ChartResult &result)
{
    if (d->w.legend)
        d->w.legend->setEntries(legendEntries(result.authorNames));
    if (d->w.painter)
        d->w.painter->setResult(result);
}

ChartResult ResultTab::computeResult() const
{
    ChartSelection selection;
    selection.block = d->block;
    selection.teacher = d->w.teacher->currentIndex();
    selection.groupView = d->groupView;
    selection.groupMembers = groupMembers();
    selection.first = d->w.begin->date();
    selection.last = d->w.end->date();
    return computeChartResult(d->answers, d->blocks, selection);
}

bool ResultTab::exportCsv(const QString &fileName)
{
    const ChartResult result = computeResult();
    showResult(result);
    return exportChartResult(result, fileName);
}

bool ResultTab::isGroupView() const
{
    return d->groupView;
}

QVector<ChartBlock> ResultTab::chartBlocks() const
{
    return d->blocks;
}

QVector<bool> ResultTab::groupMembers() const
{
    QVector<bool> members;
    for (const ChartTeacher &teacher : d->chosenTeachers())
        members.append(d->groupIds.contains(teacher.id));
    return members;
}

QStringList ResultTab::teacherNames() const
{
    QStringList names;
    for (const ChartTeacher &teacher : d->chosenTeachers())
        names.append(teacher.name);
    return names;
}
