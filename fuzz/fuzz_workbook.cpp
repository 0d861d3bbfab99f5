// Opens a workbook from memory and reads the table of every defined name. Only FormatError may
// leave the reader; anything else escapes and is a finding.
#include "FuzzInput.h"
#include "xls/FormatError.h"
#include "xls/Workbook.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > kMaxInputSize)
        return 0;
    const auto input = asBytes(data, size);
    try {
        const auto book = zort::xls::Workbook::fromBytes({input.begin(), input.end()});
        (void)book.sheetNames();
        for (const auto &name : book.names()) {
            try {
                const auto table = book.readTable(name);
                for (const auto &row : table.rows) {
                    if (row.size() != table.columns.size())
                        finding("a table row has not as many cells as the table has columns");
                }
                if (!name.area)
                    finding("a name without an area read as a table");
            } catch (const zort::xls::FormatError &) { }
            if (book.findName(name.name) == nullptr)
                finding("a listed name cannot be found by its name");
        }
    } catch (const zort::xls::FormatError &) { }
    return 0;
}
