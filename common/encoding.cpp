#include "encoding.h"

#include "bytereader.h"
#include "bytewriter.h"

namespace {

// Encodes one value with `write` into an array allocated once at its size.
template<typename T, typename Write>
std::optional<QByteArray> encodeWith(const T &value, int size, Write write)
{
    ByteWriter w(size);
    write(w, value);
    if (!w.ok())
        return std::nullopt;
    return w.data();
}

template<typename T, typename Write>
std::optional<QByteArray> encodeList(const QVector<T> &list, Write write)
{
    int size = 2;
    for (const T &item : list)
        size += encodedSize(item);
    ByteWriter w(size);
    w.writeCount(list.size());
    if (!w.ok())
        return std::nullopt;
    for (const T &item : list)
        write(w, item);
    if (!w.ok())
        return std::nullopt;
    return w.data();
}

template<typename T, typename Read>
QVector<T> readList(ByteReader &r, Read read)
{
    const int count = r.readU16();
    QVector<T> list;
    // Every record takes at least one byte, so the count cannot honestly
    // exceed what is left; reserving only that much keeps a forged count
    // from allocating memory for records that are not there.
    list.reserve(qMin(count, r.remaining()));
    for (int i = 0; i < count && r.ok(); ++i)
        list.append(read(r));
    return list;
}

template<typename T, typename Read>
std::optional<Decoded<T>> decodeOne(const QByteArray &bytes, Read read)
{
    ByteReader r(bytes);
    T value = read(r);
    if (!r.ok())
        return std::nullopt;
    return Decoded<T>{value, r.position()};
}

template<typename T, typename Read>
std::optional<QVector<T>> decodeList(const QByteArray &bytes, Read read)
{
    ByteReader r(bytes);
    QVector<T> list = readList<T>(r, read);
    if (!r.ok())
        return std::nullopt;
    return list;
}

} // namespace

int encodedSize(const Question &q)
{
    return 13 + 2 * q.text.size();
}

int encodedSize(const QuestionBlock &b)
{
    int size = 14 + 2 * b.name.size();
    for (const Question &q : b.questions)
        size += encodedSize(q);
    return size;
}

int encodedSize(const QuestionGroup &g)
{
    int size = 8 + 2 * g.name.size();
    for (const QuestionBlock &b : g.blocks)
        size += encodedSize(b);
    return size;
}

int encodedSize(const Account &a)
{
    return 21 + 2 * (a.name.size() + a.password.size() + a.information.size() + a.note.size());
}

int encodedSize(const Answer &a)
{
    return 42 + 2 * (a.questionText.size() + a.blockName.size() + a.authorName.size() + a.subjectName.size());
}

int encodedSize(const TeacherEntry &t)
{
    return 11 + 2 * (t.name.size() + t.extra.size()) + 4 * t.answeredBlocks.size();
}

void writeDate(ByteWriter &w, const QDate &date)
{
    w.writeI64(date.toJulianDay());
}

QDate readDate(ByteReader &r)
{
    return QDate::fromJulianDay(r.readI64());
}

void writeQuestion(ByteWriter &w, const Question &q)
{
    w.writeText(q.text);
    w.writeI32(q.id);
    w.writeBool(q.active);
    w.writeI16(q.maxValue);
    w.writeI16(q.minValue);
    w.writeI16(q.reserved);
}

Question readQuestion(ByteReader &r)
{
    Question q;
    q.text = r.readText();
    q.id = r.readI32();
    q.active = r.readBool();
    q.maxValue = r.readI16();
    q.minValue = r.readI16();
    q.reserved = r.readI16();
    return q;
}

void writeBlock(ByteWriter &w, const QuestionBlock &b)
{
    w.writeText(b.name);
    w.writeI32(b.id);
    w.writeI32(b.ordinal);
    w.writeBool(b.active);
    w.writeU8(b.group);
    w.writeCount(b.questions.size());
    for (const Question &q : b.questions)
        writeQuestion(w, q);
}

QuestionBlock readBlock(ByteReader &r)
{
    QuestionBlock b;
    b.name = r.readText();
    b.id = r.readI32();
    b.ordinal = r.readI32();
    b.active = r.readBool();
    b.group = r.readU8();
    b.questions = readList<Question>(r, readQuestion);
    return b;
}

void writeGroup(ByteWriter &w, const QuestionGroup &g)
{
    w.writeText(g.name);
    w.writeI32(g.id);
    w.writeCount(g.blocks.size());
    for (const QuestionBlock &b : g.blocks)
        writeBlock(w, b);
}

QuestionGroup readGroup(ByteReader &r)
{
    QuestionGroup g;
    g.name = r.readText();
    g.id = r.readI32();
    g.blocks = readList<QuestionBlock>(r, readBlock);
    return g;
}

void writeAccount(ByteWriter &w, const Account &a)
{
    w.writeI32(a.id);
    w.writeText(a.name);
    w.writePassword(a.password);
    w.writeI32(a.kindCode);
    w.writeBool(a.active);
    w.writeI32(a.reserved);
    w.writeText(a.information);
    w.writeText(a.note);
}

Account readAccount(ByteReader &r)
{
    Account a;
    a.id = r.readI32();
    a.name = r.readText();
    a.password = r.readPassword();
    a.kindCode = r.readI32();
    a.active = r.readBool();
    a.reserved = r.readI32();
    a.information = r.readText();
    a.note = r.readText();
    return a;
}

void writeAnswer(ByteWriter &w, const Answer &a)
{
    w.writeI32(a.questionId);
    w.writeText(a.questionText);
    w.writeI32(a.blockId);
    w.writeI32(a.group);
    w.writeText(a.blockName);
    writeDate(w, a.date);
    w.writeI16(a.value);
    w.writeI16(a.maxValue);
    w.writeI16(a.minValue);
    w.writeI32(a.authorId);
    w.writeI32(a.subjectId);
    w.writeText(a.authorName);
    w.writeText(a.subjectName);
}

Answer readAnswer(ByteReader &r)
{
    Answer a;
    a.questionId = r.readI32();
    a.questionText = r.readText();
    a.blockId = r.readI32();
    a.group = r.readI32();
    a.blockName = r.readText();
    a.date = readDate(r);
    a.value = r.readI16();
    a.maxValue = r.readI16();
    a.minValue = r.readI16();
    a.authorId = r.readI32();
    a.subjectId = r.readI32();
    a.authorName = r.readText();
    a.subjectName = r.readText();
    return a;
}

void writeTeacherEntry(ByteWriter &w, const TeacherEntry &t)
{
    w.writeI32(t.id);
    w.writeText(t.name);
    w.writeText(t.extra);
    w.writeCount(t.answeredBlocks.size());
    for (qint32 id : t.answeredBlocks)
        w.writeI32(id);
    w.writeU8(t.group);
}

TeacherEntry readTeacherEntry(ByteReader &r)
{
    TeacherEntry t;
    t.id = r.readI32();
    t.name = r.readText();
    t.extra = r.readText();
    const int count = r.readU16();
    if (count > r.remaining() / 4) {
        r.fail();
        return t;
    }
    t.answeredBlocks.reserve(count);
    for (int i = 0; i < count; ++i)
        t.answeredBlocks.append(r.readI32());
    const int group = r.peekU8();
    if (group >= 0 && group <= 4)
        t.group = r.readU8();
    return t;
}

std::optional<QByteArray> encodeQuestion(const Question &q)
{
    return encodeWith(q, encodedSize(q), writeQuestion);
}

std::optional<QByteArray> encodeBlock(const QuestionBlock &b)
{
    return encodeWith(b, encodedSize(b), writeBlock);
}

std::optional<QByteArray> encodeGroup(const QuestionGroup &g)
{
    return encodeWith(g, encodedSize(g), writeGroup);
}

std::optional<QByteArray> encodeAccount(const Account &a)
{
    return encodeWith(a, encodedSize(a), writeAccount);
}

std::optional<QByteArray> encodeAnswer(const Answer &a)
{
    return encodeWith(a, encodedSize(a), writeAnswer);
}

std::optional<QByteArray> encodeTeacherEntry(const TeacherEntry &t)
{
    return encodeWith(t, encodedSize(t), writeTeacherEntry);
}

std::optional<Decoded<Question>> decodeQuestion(const QByteArray &bytes)
{
    return decodeOne<Question>(bytes, readQuestion);
}

std::optional<Decoded<QuestionBlock>> decodeBlock(const QByteArray &bytes)
{
    return decodeOne<QuestionBlock>(bytes, readBlock);
}

std::optional<Decoded<QuestionGroup>> decodeGroup(const QByteArray &bytes)
{
    return decodeOne<QuestionGroup>(bytes, readGroup);
}

std::optional<Decoded<Account>> decodeAccount(const QByteArray &bytes)
{
    return decodeOne<Account>(bytes, readAccount);
}

std::optional<Decoded<Answer>> decodeAnswer(const QByteArray &bytes)
{
    return decodeOne<Answer>(bytes, readAnswer);
}

std::optional<Decoded<TeacherEntry>> decodeTeacherEntry(const QByteArray &bytes)
{
    return decodeOne<TeacherEntry>(bytes, readTeacherEntry);
}

std::optional<QByteArray> encodeAnswerList(const QVector<Answer> &answers)
{
    return encodeList(answers, writeAnswer);
}

std::optional<QByteArray> encodeBlockList(const QVector<QuestionBlock> &blocks)
{
    return encodeList(blocks, writeBlock);
}

std::optional<QByteArray> encodeGroupList(const QVector<QuestionGroup> &groups)
{
    return encodeList(groups, writeGroup);
}

std::optional<QByteArray> encodeTeacherList(const QVector<TeacherEntry> &teachers)
{
    return encodeList(teachers, writeTeacherEntry);
}

std::optional<QByteArray> encodeAccountTable(const AccountStore &accounts)
{
    int size = 2;
    for (const QVector<Account> &kind : accounts) {
        size += 2;
        for (const Account &a : kind)
            size += encodedSize(a);
    }
    ByteWriter w(size);
    w.writeCount(accounts.size());
    for (const QVector<Account> &kind : accounts) {
        w.writeCount(kind.size());
        for (const Account &a : kind)
            writeAccount(w, a);
    }
    if (!w.ok())
        return std::nullopt;
    return w.data();
}

QByteArray encodeSeasonStart(const QDate &date)
{
    ByteWriter w(8);
    writeDate(w, date);
    return w.data();
}

std::optional<QVector<Answer>> decodeAnswerList(const QByteArray &bytes)
{
    if (bytes.size() < 3)
        return QVector<Answer>();
    TextPool pool;
    ByteReader r(bytes);
    r.setTextPool(&pool);
    QVector<Answer> answers = readList<Answer>(r, readAnswer);
    if (!r.ok())
        return std::nullopt;
    return answers;
}

std::optional<QVector<QuestionBlock>> decodeBlockList(const QByteArray &bytes)
{
    return decodeList<QuestionBlock>(bytes, readBlock);
}

std::optional<QVector<QuestionGroup>> decodeGroupList(const QByteArray &bytes)
{
    return decodeList<QuestionGroup>(bytes, readGroup);
}

std::optional<QVector<TeacherEntry>> decodeTeacherList(const QByteArray &bytes)
{
    return decodeList<TeacherEntry>(bytes, readTeacherEntry);
}

std::optional<AccountStore> decodeAccountTable(const QByteArray &bytes)
{
    ByteReader r(bytes);
    const int kinds = r.readU16();
    AccountStore store;
    for (int k = 0; k < kinds && r.ok(); ++k)
        store.append(readList<Account>(r, readAccount));
    if (!r.ok())
        return std::nullopt;
    return store;
}

std::optional<QDate> decodeSeasonStart(const QByteArray &bytes)
{
    ByteReader r(bytes);
    const QDate date = readDate(r);
    if (!r.ok())
        return std::nullopt;
    return date;
}
