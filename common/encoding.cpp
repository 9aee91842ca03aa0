#include "encoding.h"

#include "bytereader.h"
#include "bytewriter.h"

#include <limits>
#include <type_traits>
#include <utility>

namespace {

// Fields whose C++ type alone does not tell their bytes; `Ref` is const when
// the field is written.
//
// uint16 m, then a 2·m byte area: the m password bytes and m filler bytes.
template<typename Ref>
struct PasswordField
{
    Ref &bytes;
};

// A uint8 that a reader takes only when it is at most 4: a larger byte
// starts the next record.
template<typename Ref>
struct TrailingGroup
{
    Ref &group;
};

template<typename Ref>
PasswordField<Ref> password(Ref &bytes)
{
    return {bytes};
}

template<typename Ref>
TrailingGroup<Ref> trailingGroup(Ref &group)
{
    return {group};
}

template<typename R, typename Record>
using IfRecord = std::enable_if_t<std::is_same_v<std::remove_const_t<R>, Record>, int>;

// The byte layout of each record, written once: its fields in the order of
// their bytes. Writing, sizing and reading all walk these lists, so no two of
// them can disagree about a record. `R` is the record, const when written.

template<typename V, typename R, IfRecord<R, Question> = 0>
void layout(V &v, R &q)
{
    v(q.text, q.id, q.active, q.maxValue, q.minValue, q.reserved);
}

template<typename V, typename R, IfRecord<R, QuestionBlock> = 0>
void layout(V &v, R &b)
{
    v(b.name, b.id, b.ordinal, b.active, b.group, b.questions);
}

template<typename V, typename R, IfRecord<R, QuestionGroup> = 0>
void layout(V &v, R &g)
{
    v(g.name, g.id, g.blocks);
}

template<typename V, typename R, IfRecord<R, Account> = 0>
void layout(V &v, R &a)
{
    v(a.id, a.name, password(a.password), a.kindCode, a.active, a.reserved, a.information, a.note);
}

template<typename V, typename R, IfRecord<R, Answer> = 0>
void layout(V &v, R &a)
{
    v(a.questionId, a.questionText, a.blockId, a.group, a.blockName, a.date, a.value, a.maxValue, a.minValue,
      a.authorId, a.subjectId, a.authorName, a.subjectName);
}

template<typename V, typename R, IfRecord<R, TeacherEntry> = 0>
void layout(V &v, R &t)
{
    v(t.id, t.name, t.extra, t.answeredBlocks, trailingGroup(t.group));
}

// Writes fields; through ByteWriter::counter() it only counts their bytes.
struct Writer
{
    ByteWriter &w;

    template<typename... F>
    void operator()(const F &...fields)
    {
        (field(fields), ...);
    }

    template<typename T>
    void field(const T &value)
    {
        if constexpr (std::is_integral_v<T>)
            w.write(value);
        else
            layout(*this, value);
    }
    void field(const QString &text) { w.writeText(text); }
    void field(const QDate &date) { w.write<qint64>(date.toJulianDay()); }
    void field(const PasswordField<const QByteArray> &p) { w.writePassword(p.bytes); }
    void field(const TrailingGroup<const quint8> &g) { w.write(g.group); }

    template<typename T>
    void field(const QVector<T> &list)
    {
        w.writeCount(list.size());
        for (const T &item : list)
            field(item);
    }
};

struct Reader
{
    ByteReader &r;

    template<typename... F>
    void operator()(F &&...fields)
    {
        (field(fields), ...);
    }

    template<typename T>
    void field(T &value)
    {
        if constexpr (std::is_integral_v<T>)
            value = r.read<T>();
        else
            layout(*this, value);
    }
    void field(QString &text) { text = r.readText(); }
    void field(QDate &date) { date = QDate::fromJulianDay(r.read<qint64>()); }
    void field(PasswordField<QByteArray> &p) { p.bytes = r.readPassword(); }
    void field(TrailingGroup<quint8> &g)
    {
        const int byte = r.peekU8();
        if (byte >= 0 && byte <= 4)
            g.group = r.read<quint8>();
    }

    template<typename T>
    void field(QVector<T> &list)
    {
        const int count = r.read<quint16>();
        // Every element takes at least one byte, so an honest count is never
        // more than the bytes left. Refusing a larger one before reserving
        // keeps a forged count from allocating room for elements that are
        // not there.
        if (count > r.remaining()) {
            r.fail();
            return;
        }
        list.reserve(count);
        for (int i = 0; i < count && r.ok(); ++i) {
            T item{};
            field(item);
            list.append(std::move(item));
        }
    }
};

// Sizes the value with a counting pass, so that the output is allocated once.
template<typename T>
std::optional<QByteArray> encode(const T &value)
{
    ByteWriter counter = ByteWriter::counter();
    Writer{counter}(value);
    if (!counter.ok() || counter.size() > std::numeric_limits<int>::max())
        return std::nullopt;
    ByteWriter w(int(counter.size()));
    Writer{w}(value);
    return w.data();
}

template<typename T>
std::optional<T> decode(ByteReader &r)
{
    T value{};
    Reader{r}(value);
    if (!r.ok())
        return std::nullopt;
    return value;
}

template<typename T>
std::optional<Decoded<T>> decodeOne(const QByteArray &bytes)
{
    ByteReader r(bytes);
    const std::optional<T> value = decode<T>(r);
    if (!value)
        return std::nullopt;
    return Decoded<T>{*value, r.position()};
}

template<typename T>
std::optional<T> decodeAll(const QByteArray &bytes)
{
    ByteReader r(bytes);
    return decode<T>(r);
}

} // namespace

template<typename Record>
void readRecord(ByteReader &r, Record &record)
{
    Reader{r}(record);
}

template void readRecord(ByteReader &, Question &);
template void readRecord(ByteReader &, QuestionBlock &);
template void readRecord(ByteReader &, QuestionGroup &);
template void readRecord(ByteReader &, Account &);
template void readRecord(ByteReader &, Answer &);
template void readRecord(ByteReader &, TeacherEntry &);

std::optional<QByteArray> encodeQuestion(const Question &q)
{
    return encode(q);
}

std::optional<QByteArray> encodeBlock(const QuestionBlock &b)
{
    return encode(b);
}

std::optional<QByteArray> encodeGroup(const QuestionGroup &g)
{
    return encode(g);
}

std::optional<QByteArray> encodeAccount(const Account &a)
{
    return encode(a);
}

std::optional<QByteArray> encodeAnswer(const Answer &a)
{
    return encode(a);
}

std::optional<QByteArray> encodeTeacherEntry(const TeacherEntry &t)
{
    return encode(t);
}

std::optional<Decoded<Question>> decodeQuestion(const QByteArray &bytes)
{
    return decodeOne<Question>(bytes);
}

std::optional<Decoded<QuestionBlock>> decodeBlock(const QByteArray &bytes)
{
    return decodeOne<QuestionBlock>(bytes);
}

std::optional<Decoded<QuestionGroup>> decodeGroup(const QByteArray &bytes)
{
    return decodeOne<QuestionGroup>(bytes);
}

std::optional<Decoded<Account>> decodeAccount(const QByteArray &bytes)
{
    return decodeOne<Account>(bytes);
}

std::optional<Decoded<Answer>> decodeAnswer(const QByteArray &bytes)
{
    return decodeOne<Answer>(bytes);
}

std::optional<Decoded<TeacherEntry>> decodeTeacherEntry(const QByteArray &bytes)
{
    return decodeOne<TeacherEntry>(bytes);
}

std::optional<QByteArray> encodeAnswerList(const QVector<Answer> &answers)
{
    return encode(answers);
}

std::optional<QByteArray> encodeBlockList(const QVector<QuestionBlock> &blocks)
{
    return encode(blocks);
}

std::optional<QByteArray> encodeGroupList(const QVector<QuestionGroup> &groups)
{
    return encode(groups);
}

std::optional<QByteArray> encodeTeacherList(const QVector<TeacherEntry> &teachers)
{
    return encode(teachers);
}

std::optional<QByteArray> encodeAccountTable(const AccountStore &accounts)
{
    // A list of kinds, each a list of accounts.
    return encode(accounts);
}

QByteArray encodeSeasonStart(const QDate &date)
{
    // Eight bytes, which no date can make too long.
    return *encode(date);
}

std::optional<QVector<Answer>> decodeAnswerList(const QByteArray &bytes)
{
    if (bytes.size() < 3)
        return QVector<Answer>();
    TextPool pool;
    ByteReader r(bytes);
    r.setTextPool(&pool);
    return decode<QVector<Answer>>(r);
}

std::optional<QVector<QuestionBlock>> decodeBlockList(const QByteArray &bytes)
{
    return decodeAll<QVector<QuestionBlock>>(bytes);
}

std::optional<QVector<QuestionGroup>> decodeGroupList(const QByteArray &bytes)
{
    return decodeAll<QVector<QuestionGroup>>(bytes);
}

std::optional<QVector<TeacherEntry>> decodeTeacherList(const QByteArray &bytes)
{
    return decodeAll<QVector<TeacherEntry>>(bytes);
}

std::optional<AccountStore> decodeAccountTable(const QByteArray &bytes)
{
    return decodeAll<AccountStore>(bytes);
}

std::optional<QDate> decodeSeasonStart(const QByteArray &bytes)
{
    return decodeAll<QDate>(bytes);
}
