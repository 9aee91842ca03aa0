#ifndef ENCODING_H
#define ENCODING_H

#include "records.h"

#include <optional>

class ByteReader;

// Byte encodings of the records: little-endian, unaligned, texts as a 16-bit
// count of UTF-16 units followed by the units, lists as a 16-bit count
// followed by the records, dates as a 64-bit Julian day.
//
// Encoders return std::nullopt when a text or list is longer than its 16-bit
// count can say. Decoders return std::nullopt when the input ends inside a
// record; they never read past the end of their input.

// Reads one Question, QuestionBlock, QuestionGroup, Account, Answer or
// TeacherEntry into `record`, which starts blank, for use inside larger
// encodings. The group byte after a TeacherEntry's block ids is taken only
// when it is at most 4; otherwise (or at the end of the input) the group
// stays 0 and the byte is left for the next entry. When the input ends
// inside the record, `r` fails and `record` keeps what was read before.
template<typename Record>
void readRecord(ByteReader &r, Record &record);

// Single records.
std::optional<QByteArray> encodeQuestion(const Question &q);
std::optional<QByteArray> encodeBlock(const QuestionBlock &b);
std::optional<QByteArray> encodeGroup(const QuestionGroup &g);
std::optional<QByteArray> encodeAccount(const Account &a);
std::optional<QByteArray> encodeAnswer(const Answer &a);
std::optional<QByteArray> encodeTeacherEntry(const TeacherEntry &t);

template<typename T>
struct Decoded
{
    T value;
    int consumed = 0;
};

std::optional<Decoded<Question>> decodeQuestion(const QByteArray &bytes);
std::optional<Decoded<QuestionBlock>> decodeBlock(const QByteArray &bytes);
std::optional<Decoded<QuestionGroup>> decodeGroup(const QByteArray &bytes);
std::optional<Decoded<Account>> decodeAccount(const QByteArray &bytes);
std::optional<Decoded<Answer>> decodeAnswer(const QByteArray &bytes);
std::optional<Decoded<TeacherEntry>> decodeTeacherEntry(const QByteArray &bytes);

// Composite encodings.
std::optional<QByteArray> encodeAnswerList(const QVector<Answer> &answers);
std::optional<QByteArray> encodeBlockList(const QVector<QuestionBlock> &blocks);
std::optional<QByteArray> encodeGroupList(const QVector<QuestionGroup> &groups);
std::optional<QByteArray> encodeTeacherList(const QVector<TeacherEntry> &teachers);
// A 16-bit number of kinds, then one account list per kind.
std::optional<QByteArray> encodeAccountTable(const AccountStore &accounts);
QByteArray encodeSeasonStart(const QDate &date);

// An input of fewer than 3 bytes is an empty answer list.
std::optional<QVector<Answer>> decodeAnswerList(const QByteArray &bytes);
std::optional<QVector<QuestionBlock>> decodeBlockList(const QByteArray &bytes);
std::optional<QVector<QuestionGroup>> decodeGroupList(const QByteArray &bytes);
std::optional<QVector<TeacherEntry>> decodeTeacherList(const QByteArray &bytes);
std::optional<AccountStore> decodeAccountTable(const QByteArray &bytes);
// Takes the first 8 bytes; fewer than 8 is invalid.
std::optional<QDate> decodeSeasonStart(const QByteArray &bytes);

#endif // ENCODING_H
