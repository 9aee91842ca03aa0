#include "seasonoverview.h"

#include "storeindex.h"

#include <QSet>

#include <cmath>

namespace {

const QString DateFormat = QStringLiteral("dd.MM.yyyy");

QString decimal(double value)
{
    return QString::number(value, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','));
}

// "блока" after "из 1", "из 21", ...; "блоков" otherwise.
QString blocksWord(int count)
{
    return count % 10 == 1 && count % 100 != 11 ? QStringLiteral("блока") : QStringLiteral("блоков");
}

} // namespace

OverviewTally::OverviewTally(const QuestionStore &questions, const AccountStore &accounts,
                             const AnswerStore &answers, const QDate &since)
{
    const StoreIndex index(questions, accounts);
    for (const Answer &answer : answers) {
        if (!inCurrentSeason(answer.date, since) || !index.question(answer.questionId))
            continue;
        const quint64 at = key(answer.subjectId, answer.blockId);
        if (answer.authorId == answer.subjectId) {
            m_self.insert(at, true);
            continue;
        }
        if (index.kindOf(answer.authorId) != ExpertKind)
            continue;
        Sum &sum = m_sums[at];
        if (!sum.experts.contains(answer.authorId))
            sum.experts.append(answer.authorId);
        if (answer.maxValue > answer.minValue) {
            sum.shares += double(answer.value - answer.minValue) / (answer.maxValue - answer.minValue);
            ++sum.scaled;
        }
    }
}

quint64 OverviewTally::key(qint32 teacherId, qint32 blockId)
{
    return (quint64(quint32(teacherId)) << 32) | quint32(blockId);
}

OverviewCell OverviewTally::cell(qint32 teacherId, qint32 blockId) const
{
    OverviewCell cell;
    const auto it = m_sums.constFind(key(teacherId, blockId));
    if (it == m_sums.constEnd())
        return cell;
    cell.experts = it->experts.size();
    if (it->scaled > 0)
        cell.meanPercent = 100.0 * it->shares / it->scaled;
    return cell;
}

bool OverviewTally::ratedSelf(qint32 teacherId, qint32 blockId) const
{
    return m_self.contains(key(teacherId, blockId));
}

OverviewLayout overviewLayout(const QuestionStore &questions, const AccountStore &accounts, int group)
{
    OverviewLayout layout;
    const int kinds[] = {TeacherDoKind, SchoolTeacherKind};
    for (int g = 0; g < 2; ++g) {
        if (group >= 0 && group != g)
            continue;
        for (const Account &account : accounts.value(kinds[g]))
            layout.rows.append({account.id, account.name, g});
        for (const QuestionBlock &block : questions.value(g).blocks) {
            if (block.active)
                layout.columns.append({block.id, block.name, g});
        }
    }
    QHash<QString, QSet<int>> groupsOfName;
    for (const OverviewColumn &column : qAsConst(layout.columns))
        groupsOfName[column.title].insert(column.group);
    for (OverviewColumn &column : layout.columns) {
        if (groupsOfName.value(column.title).size() > 1)
            column.title += QStringLiteral(" (%1)").arg(groupName(column.group));
    }
    return layout;
}

QString wrappedTitle(const QString &title)
{
    constexpr int LineLength = 18;
    QString text;
    QString line;
    for (const QString &word : title.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > LineLength) {
            text += line + QLatin1Char('\n');
            line.clear();
        }
        if (!line.isEmpty())
            line += QLatin1Char(' ');
        line += word;
    }
    return text + line;
}

QString groupName(int group)
{
    return group == 0 ? QStringLiteral("Педагог ДО") : QStringLiteral("Учитель");
}

QString cellText(const OverviewCell &cell)
{
    if (cell.experts == 0)
        return QStringLiteral("—");
    QString text = QStringLiteral("%1 эксп.").arg(cell.experts);
    if (cell.meanPercent)
        text += QStringLiteral(" · %1 %").arg(std::lround(*cell.meanPercent));
    return text;
}

SelfRating selfRating(const OverviewLayout &layout, const OverviewTally &tally, int row)
{
    SelfRating rating;
    const qint32 id = layout.rows.at(row).id;
    for (int c = 0; c < layout.columns.size(); ++c) {
        if (!layout.applies(row, c))
            continue;
        ++rating.blocks;
        if (tally.ratedSelf(id, layout.columns.at(c).blockId))
            ++rating.rated;
        else
            rating.missing.append(layout.columns.at(c).title);
    }
    return rating;
}

QString selfRatingText(const SelfRating &rating)
{
    if (rating.blocks == 0)
        return QStringLiteral("нет блоков");
    return QStringLiteral("%1 из %2 %3").arg(rating.rated).arg(rating.blocks).arg(blocksWord(rating.blocks));
}

QString overviewTitle(const QDate &seasonStart, bool wholeStore)
{
    if (!seasonStart.isValid())
        return QStringLiteral("Итоги оценивания (новый сезон ещё не начинался)");
    const QString day = seasonStart.toString(DateFormat);
    if (wholeStore)
        return QStringLiteral("Итоги оценивания за всё время (текущий сезон начат %1)").arg(day);
    return QStringLiteral("Итоги сезона, начатого %1").arg(day);
}

QVector<QStringList> overviewCsv(const OverviewLayout &layout, const OverviewTally &tally)
{
    QVector<QStringList> lines;
    QStringList header{QStringLiteral("Педагог"), QStringLiteral("Группа")};
    for (const OverviewColumn &column : layout.columns)
        header << QStringLiteral("%1: экспертов").arg(column.title) << QStringLiteral("%1: средний %").arg(column.title);
    header << QStringLiteral("Самооценка");
    lines.append(header);
    for (int r = 0; r < layout.rows.size(); ++r) {
        const OverviewRow &row = layout.rows.at(r);
        QStringList line{row.name, groupName(row.group)};
        for (int c = 0; c < layout.columns.size(); ++c) {
            if (!layout.applies(r, c)) {
                line << QString() << QString();
                continue;
            }
            const OverviewCell cell = tally.cell(row.id, layout.columns.at(c).blockId);
            line << QString::number(cell.experts) << (cell.meanPercent ? decimal(*cell.meanPercent) : QString());
        }
        line << selfRatingText(selfRating(layout, tally, r));
        lines.append(line);
    }
    return lines;
}

QString overviewHtml(const OverviewLayout &layout, const OverviewTally &tally, const QString &title)
{
    QString html = QStringLiteral("<html><body><h2>%1</h2>"
                                  "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" width=\"100%\">"
                                  "<tr><th align=\"left\">Педагог</th>")
                       .arg(title.toHtmlEscaped());
    for (const OverviewColumn &column : layout.columns)
        html += QStringLiteral("<th style=\"white-space: nowrap\">%1</th>")
                    .arg(wrappedTitle(column.title).toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")));
    html += QStringLiteral("<th>Самооценка</th></tr>");
    for (int r = 0; r < layout.rows.size(); ++r) {
        const OverviewRow &row = layout.rows.at(r);
        html += QStringLiteral("<tr><td style=\"white-space: nowrap\">%1</td>").arg(row.name.toHtmlEscaped());
        for (int c = 0; c < layout.columns.size(); ++c) {
            if (!layout.applies(r, c)) {
                html += QStringLiteral("<td bgcolor=\"#e6e6e6\"></td>");
                continue;
            }
            const OverviewCell cell = tally.cell(row.id, layout.columns.at(c).blockId);
            html += QStringLiteral("<td align=\"center\" style=\"white-space: nowrap\"%1>%2</td>")
                        .arg(cell.experts == 0 ? QStringLiteral(" bgcolor=\"#f6d0d0\"") : QString(),
                             cellText(cell).toHtmlEscaped());
        }
        const SelfRating self = selfRating(layout, tally, r);
        const char *colour = self.blocks == 0 ? "#ffffff" : self.rated == self.blocks ? "#d6f0d6" : self.rated == 0 ? "#f6d0d0" : "#ffecc4";
        html += QStringLiteral("<td align=\"center\" style=\"white-space: nowrap\" bgcolor=\"%1\">%2</td></tr>")
                    .arg(QLatin1String(colour), selfRatingText(self).toHtmlEscaped());
    }
    return html + QStringLiteral("</table></body></html>");
}
