#ifndef CLIENTTEXTS_H
#define CLIENTTEXTS_H

#include <QString>

// Texts of the client that are kept as Windows-1251 byte strings and
// converted when shown or written: those of the windows and the header of
// the CSV export.
enum class ClientText {
    User, // пользователь
    NoConnection, // Нет соединения с сервером.
    AttemptsLeft, // Попыток осталось:
    AnswersAccepted, // Ваши ответы приняты.\nСпасибо!
    ExportTitle, // Сохраните экспортный файл
    ExportFolder, // C:/
    CsvQuestionNumber, // номер вопроса
    CsvQuestionsExperts, // вопросы/эксперты
    CsvAnswerDate, // Дата ответа
};

QString clientText(ClientText text);

#endif // CLIENTTEXTS_H
