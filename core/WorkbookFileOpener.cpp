#include "SqliteWorkbookSource.h"
#include "xls/FormatError.h"
#include "xls/Workbook.h"

#include <QFile>

namespace zort {

namespace {

DataSourceError fromFormatError(const xls::FormatError &error)
{
    return DataSourceError(QString::fromUtf8(error.what()));
}

class WorkbookFileTables : public TableProvider
{
public:
    explicit WorkbookFileTables(xls::Workbook workbook)
        : m_workbook(std::move(workbook))
    { }

    std::optional<xls::Table> table(std::string_view name) override
    {
        try {
            const xls::DefinedName *defined = m_workbook.findName(name);
            if (!defined)
                return std::nullopt;
            return m_workbook.readTable(*defined);
        } catch (const xls::FormatError &error) {
            throw fromFormatError(error);
        }
    }

private:
    xls::Workbook m_workbook;
};

} // namespace

WorkbookOpener workbookFileOpener()
{
    return [](const QString &path) -> std::unique_ptr<TableProvider> {
        try {
            return std::make_unique<WorkbookFileTables>(
                    xls::Workbook::open(QFile::encodeName(path).toStdString()));
        } catch (const xls::FormatError &error) {
            throw fromFormatError(error);
        }
    };
}

// Kept beside the file opener so that code constructing the source with its own opener does
// not pull in the file reader.
SqliteWorkbookSource::SqliteWorkbookSource()
    : SqliteWorkbookSource(workbookFileOpener())
{ }

} // namespace zort
