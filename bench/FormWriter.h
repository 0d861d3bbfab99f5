#pragma once

#include "FormContent.h"

#include <cstddef>
#include <vector>

namespace zort::bench {

// The form as a BIFF8 workbook file: a title sheet "Титульный" holding "Data_Adr", a checks
// sheet "Контроль" holding "T_Check" with each result a formula with its cached value, and one
// data sheet per section. Texts go to the shared string table, as spreadsheet programs write.
std::vector<std::byte> writeForm(const FormContent &form);

} // namespace zort::bench
