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
    SeasonRemovals, // Будут удалены ответы, полученные сегодня: %1. Ответы прошлых дней останутся.
    DeleteAnswer, // Удалить этот ответ?  Педагог: %1 Блок: %2 Вопрос: %3 Дата: %4 Оценка: %5
    UnsavedEdits, // Изменения вопросов блока не сохранены. Сохранить их?
    DismissButton, // Отмена
    ArchiveQuestion, // Перенести в архив ответы прошлых сезонов (полученные до %1): %2? Они будут удалены из хранилища и сохранены в папке %3
    ArchiveNothing, // Ответов прошлых сезонов в хранилище нет.
    ArchiveDone, // В архив перенесено ответов: %1. Файлы архива: %2 %3
};

QString adminText(AdminText text);

#endif // ADMINTEXTS_H
