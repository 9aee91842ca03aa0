#ifndef RESULTTAB_H
#define RESULTTAB_H

#include "chartresult.h"
#include "records.h"

#include <QObject>

class GraphPainter;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class WidgetLegend;

// The widgets of one result tab of the client window.
struct ResultTabWidgets
{
    QComboBox *blocks = nullptr;       // cb_graph_blocks
    QLabel *teacherLabel = nullptr;    // label_3 / label_13
    QComboBox *teacher = nullptr;      // cb_graph_expert
    QLabel *availableLabel = nullptr;  // label_5
    QComboBox *available = nullptr;    // cb_graph_write
    QPushButton *add = nullptr;        // pb_graph_add
    QLabel *groupLabel = nullptr;      // label_6
    QComboBox *group = nullptr;        // cb_graph_group
    QPushButton *remove = nullptr;     // pb_graph_del
    QDateEdit *begin = nullptr;        // de_begin
    QDateEdit *end = nullptr;          // de_end
    QPushButton *groupToggle = nullptr; // pb_graph_group
    QLabel *notice = nullptr;          // l_graph_notice: says what left the choices
    WidgetLegend *legend = nullptr;
    GraphPainter *painter = nullptr;
};

// Drives one result tab: the block, teacher and group choices, the date
// range, the chart and legend, and the CSV export. `group` is 0 for the tab
// about teachers of additional education, 1 for school teachers. The window
// forwards its slots of that tab to the methods below.
//
// Blocks and teachers are those of the latest answer list, under the names
// it gives them, and are chosen by id. The group is a set of teacher ids: a
// member stays a member across block changes and new answer lists while
// answers about them are left, and the group combo box shows the members
// among the teachers of the chosen block. The constructor sets both dates
// to today, which is also their latest allowed date; it shows or hides no
// widget (the window decides what each account sees).
class ResultTab : public QObject
{
    Q_OBJECT

public:
    ResultTab(int group, const ResultTabWidgets &widgets, QObject *parent = nullptr);
    ~ResultTab() override;

    // After every received answer list: lists its blocks and teachers,
    // keeps what was chosen while it is listed (the notice says what is
    // gone), offers the dates of the answers and shows the result.
    void rebuild(const QVector<Answer> &answers);

    // `index` is the block combo box's new current index, chosen by the
    // user. The teacher chosen before stays chosen when the new block has
    // answers about them.
    void blockChosen(int index);
    void addToGroup();
    void removeFromGroup();
    void beginDateChanged();
    void endDateChanged();
    void toggleGroupView();
    // Shows the result of the current choice ("Применить").
    void apply();

    ChartResult computeResult() const;
    // Applies the current selection and writes its result, so that the file
    // holds what the chart shows; false when the file cannot be written.
    bool exportCsv(const QString &fileName);

    bool isGroupView() const;

    QVector<ChartBlock> chartBlocks() const;
    // One flag per teacher of the chosen block: true for a group member.
    QVector<bool> groupMembers() const;
    // The names of the teachers of the chosen block, in block order.
    QStringList teacherNames() const;

private:
    void offerDatesOf(const QVector<Answer> &answers);
    void fillCombos(const ChartChoice &choice);
    void tellGone(const FollowedChoice &followed);
    void clearNotice();
    // Shows `result` in the legend and the chart.
    void showResult(const ChartResult &result);

    class Private;
    Private *d;
};

#endif // RESULTTAB_H
