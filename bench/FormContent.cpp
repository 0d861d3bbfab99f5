#include "FormContent.h"

#include <algorithm>
#include <array>
#include <random>

namespace zort::bench {

namespace {

// Pieces of the messages real forms show for a failed check.
constexpr std::array subjects = {
        "значение графы",
        "сумма строк",
        "итог по разделу",
        "численность работников",
        "фонд начисленной заработной платы",
        "среднесписочная численность",
        "выплаты социального характера",
        "количество отработанных часов",
};

constexpr std::array conditions = {
        "должно быть равно сумме строк",         "не может превышать значение строки",
        "должно быть не меньше значения строки", "должно совпадать с данными раздела",
        "не заполнено, хотя заполнена строка",   "должно быть больше нуля при заполненной строке",
};

constexpr std::array notes = {
        "проверьте правильность заполнения",
        "уточните данные у ответственного лица",
        "исправьте ошибку перед отправкой отчёта",
        "сверьте с итогами предыдущего периода",
};

std::string message(std::mt19937 &random, int section, int check)
{
    const auto pick = [&random](const auto &list) {
        return std::string(list[random() % list.size()]);
    };
    const auto row = [&random] { return std::to_string(100 + random() % 900); };
    std::string text = "Раздел " + std::to_string(section) + ", строка " + row() + ", графа "
                       + std::to_string(1 + check % 12) + ": " + pick(subjects) + " "
                       + pick(conditions) + " " + row();
    // Some messages tell the user what to do.
    if (random() % 3 == 0)
        text += ", " + pick(notes);
    return text + ".";
}

} // namespace

FormContent makeFormContent(const FormShape &shape)
{
    std::mt19937 random(shape.seed);
    FormContent form;
    form.elements = {
            {"P_OKUD", "Код формы по ОКУД: ", shape.code},
            {"P_FormName", "Форма № ",
             "П-4 «Сведения о численности, заработной плате и движении работников»"},
            {"P_Name", "Наименование организации: ",
             "ООО «Северная промышленная компания» № " + std::to_string(shape.seed)},
            {"P_OKPO", "Код по ОКПО: ", std::to_string(10000000 + shape.seed * 7919 % 89999999)},
            {"P_Period", "Отчётный период: ", "январь - декабрь 2024 г."},
            {"P_Address", "Почтовый адрес: ", "г. Архангельск, ул. Ломоносова, д. 12"},
            {"P_Chief", "Руководитель: ", "Иванов Иван Иванович"},
            {"P_Phone", "Телефон: ", "(8182) 65-43-21"},
    };

    // Checks come section by section and rule by rule, a few rules per section.
    form.sections = std::max<std::size_t>(1, std::min<std::size_t>(12, shape.checks / 40 + 1));
    const std::size_t perSection = (shape.checks + form.sections - 1) / form.sections;
    std::bernoulli_distribution fails(shape.failingShare);
    for (std::size_t i = 0; i < shape.checks; ++i) {
        Check c;
        c.section = static_cast<int>(i / perSection) + 1;
        const auto inSection = static_cast<int>(i % perSection);
        c.rule = inSection / 20 + 1;
        c.check = inSection % 20 + 1;
        // A rule checked over several columns repeats its message, so about half of the
        // texts are shared, as the shared string table of a real form shows.
        const bool repeat = !form.checks.empty() && form.checks.back().section == c.section
                            && random() % 2 == 0;
        c.name = repeat ? form.checks.back().name : message(random, c.section, c.check);
        c.result = fails(random) ? 1 + static_cast<double>(random() % 3) : 0;
        form.failing += c.result > 0;
        form.checks.push_back(std::move(c));
    }
    // Real workbooks are not always kept in order: swap a few neighbours.
    for (std::size_t i = 1; i + 1 < form.checks.size(); i += 37)
        std::swap(form.checks[i], form.checks[i + 1]);

    form.dataRows = shape.dataRows;
    return form;
}

FormShape smallForm()
{
    return {.checks = 200, .failingShare = 0.05, .seed = 1, .code = "0606024", .dataRows = 60};
}

FormShape mediumForm()
{
    return {.checks = 5000, .failingShare = 0.05, .seed = 2, .code = "0606024", .dataRows = 600};
}

FormShape largeForm()
{
    return {.checks = 60000, .failingShare = 0.05, .seed = 3, .code = "0606024", .dataRows = 14000};
}

FormShape batchForm(unsigned index)
{
    FormShape shape;
    shape.seed = 1000 + index;
    shape.checks = 50 + (index * 7919) % 451;
    shape.failingShare = index % 10 == 0 ? 0.0 : 0.05;
    shape.code = index % 25 == 7 ? "0609999" : "0606024";
    shape.dataRows = shape.checks / 4;
    return shape;
}

} // namespace zort::bench
