#pragma once

#include <QString>

// The window's own texts, exactly as the user sees them.
namespace zort::ui_text {

inline QString applicationTitle()
{
    return QStringLiteral("Модуль проверки по ЗОРТ");
}
inline QString windowCaption()
{
    return QStringLiteral("Программный модуль \"ЗОРТ\"");
}

inline QString fillFormCaption()
{
    return QStringLiteral("Заполнить форму");
}
inline QString choiceFileCaption()
{
    return QStringLiteral("Выбор файлов");
}
inline QString verificationCaption()
{
    return QStringLiteral("Проверка по ЗОРТ");
}
inline QString quitCaption()
{
    return QStringLiteral("Завершить работу");
}

inline QString checkAllTip()
{
    return QStringLiteral("Выбрать все");
}
inline QString uncheckAllTip()
{
    return QStringLiteral("Отменить все");
}
inline QString invertCheckTip()
{
    return QStringLiteral("Инвертировать выбранное");
}
inline QString cleanListTip()
{
    return QStringLiteral("Удалить выделенные файлы из списка");
}
inline QString helpTip()
{
    return QStringLiteral("Руководство пользователя");
}

inline QString quitQuestionCaption()
{
    return QStringLiteral("Сообщение");
}
inline QString quitQuestion()
{
    return QStringLiteral("Вы действительно хотите выйти из программы?");
}

// The two questions that choose between actions end in a line naming the button to press,
// joined by a line feed and a carriage return, in that order.
inline QString addOrReplaceCaption()
{
    return QStringLiteral("Добавить/Заменить файлы");
}
inline QString addOrReplaceQuestion()
{
    return QStringLiteral("Вы хотите добавить файлы к уже выбранным или произвести замену?\n\r"
                          "Для замены нажмите кнопку Нет");
}
inline QString removeCaption()
{
    return QStringLiteral("Удалить файлы из списка");
}
inline QString removeQuestion()
{
    return QStringLiteral("Удалить выделенные файлы из списка?\n\rДля удаления нажмите кнопку Да");
}
inline QString nothingHighlightedCaption()
{
    return QStringLiteral("Файлы не выбраны");
}
inline QString nothingHighlighted()
{
    return QStringLiteral("Файлы для удаления не выбраны.");
}

inline QString excelFileFilter()
{
    return QStringLiteral("Файл MS Excel (*.xls)");
}
inline QString excelTemplateFilter()
{
    return QStringLiteral("Шаблон MS Excel (*.xlt)");
}

inline QString manualFileName()
{
    return QStringLiteral("Руководство пользователя.doc");
}

// The message boxes' buttons read the same whatever language the desktop speaks: the questions
// name them.
inline QString yesButton()
{
    return QStringLiteral("Да");
}
inline QString noButton()
{
    return QStringLiteral("Нет");
}
inline QString okButton()
{
    return QStringLiteral("OK");
}

inline QString unknownError()
{
    return QStringLiteral("Неизвестная ошибка");
}

} // namespace zort::ui_text
