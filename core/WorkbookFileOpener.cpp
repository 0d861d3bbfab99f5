#include "SqliteWorkbookSource.h"
#include "xls/FormatError.h"
#include "xls/Workbook.h"

#include <QFile>

namespace zort {

namespace {

// The reader's message, led by the workbook's path unless it names the file already.
DataSourceError fromFormatError(const xls::FormatError &error, const QString &path)
{
    const QString message = QString::fromUtf8(error.what());
    if (message.contains(path))
        return DataSourceError(message);
    return DataSourceError(
            QStringLiteral("The workbook \"%1\" cannot be read. %2").arg(path, message));
}

class WorkbookFileTables : public TableProvider
{
public:
    WorkbookFileTables(xls::Workbook workbook, QString path)
        : m_workbook(std::move(workbook))
        , m_path(std::move(path))
    { }

    std::optional<xls::Table> table(std::string_view name) override
    {
        try {
            const xls::DefinedName *defined = m_workbook.findName(name);
            if (!defined)
                return std::nullopt;
            // Texts are decoded as statements read them: most rows of a form's checks are
            // never shown.
            return m_workbook.readTable(*defined, xls::TextReading::OnDemand);
        } catch (const xls::FormatError &error) {
            throw fromFormatError(error, m_path);
        }
    }

private:
    xls::Workbook m_workbook;
    QString m_path;
};

} // namespace

WorkbookOpener workbookFileOpener()
{
    return [](const QString &path) -> std::unique_ptr<TableProvider> {
        try {
            return std::make_unique<WorkbookFileTables>(
                    xls::Workbook::open(QFile::encodeName(path).toStdString()), path);
        } catch (const xls::FormatError &error) {
            throw fromFormatError(error, path);
        }
    };
}

// Kept beside the file opener so that code constructing the source with its own opener does
// not pull in the file reader.
SqliteWorkbookSource::SqliteWorkbookSource()
    : SqliteWorkbookSource(workbookFileOpener())
{ }

} // namespace zort
