#ifndef ADMINTEXTS_H
#define ADMINTEXTS_H

#include <QString>

// Message box texts of the server window. They are kept as Windows-1251
// byte strings and converted when shown.
enum class AdminText {
    DuplicateBlock, // Имя такого блока уже существует. Пожалуйста, введите новое.
    ConfirmTitle, // Ожидание подтверждения
    DeleteBlock, // С удалением данного блока вопросов удалятся и связанные с ним ответы Продолжить?
    DeleteTeacher, // С удалением данного педагога удалятся и его ответы на вопросы. Продолжить?
    DeleteExpert, // С удалением данного эксперта удалятся и его ответы на вопросы. Продолжить?
    SeasonTitle, // Ожидание ответа
    SeasonQuestion, // Вы уверены что хотите начать тестирование заново?
    DeleteButton, // Удалить
    CancelButton, // Отменить
    YesButton, // Да
    NoButton, // Нет
};

QString adminText(AdminText text);

#endif // ADMINTEXTS_H
