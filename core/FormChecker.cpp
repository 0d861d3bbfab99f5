#include "FormChecker.h"

#include "PathRules.h"
#include "Platform.h"
#include "ReportFile.h"

namespace zort {

namespace {

const QString acceptedFormCodes =
        QStringLiteral("#0606024#0606021#0606020#0606026#0000001#0000002#");

const QString identificationStatement =
        QStringLiteral("Select Val from Data_Adr Where ID_Element = 'P_OKUD'");
const QString captionStatement =
        QStringLiteral("Select (Name &  Val) as CaptionInForm, ID_Element from Data_Adr");
const QString failedChecksStatement = QStringLiteral(
        "Select ID_Form, ID_Section, ID_Rule, ID_Check, Name, Result from T_Check where "
        "Result>0 Order by ID_Form, ID_Section, ID_Rule, ID_Check");
const QString formNameFilter = QStringLiteral(" ID_Element = 'P_FormName'");
const QString nameFilter = QStringLiteral(" ID_Element = 'P_Name'");

// "Greater than "0"" as the report writer decides it: byte by byte on the Windows-1251 text.
// Every character outside ASCII encodes to a byte above "0" (or to "?", also above it), so
// comparing UTF-16 code units gives the same answer.
bool isRecognisedCode(const QString &code)
{
    return QString::compare(code, QStringLiteral("0"), Qt::CaseSensitive) > 0;
}

// Leaves the query's filtering off however the caption steps end: a filter left on would hide
// the identification row of every later workbook.
class FilterOffGuard
{
public:
    explicit FilterOffGuard(Query &query)
        : m_query(query)
    { }
    FilterOffGuard(const FilterOffGuard &) = delete;
    FilterOffGuard &operator=(const FilterOffGuard &) = delete;
    ~FilterOffGuard()
    {
        try {
            if (m_query.Filtered())
                m_query.setFiltered(false);
            m_query.setFilterText(QString());
        } catch (...) {
            // The error that brought us here is the one the user needs to see.
        }
    }

private:
    Query &m_query;
};

QString filteredCaption(Query &query, const QString &filter)
{
    query.setFiltered(false);
    query.setFilterText(filter);
    query.setFiltered(true);
    return query.fieldText(QStringLiteral("CaptionInForm"));
}

} // namespace

FormChecker::FormChecker(std::unique_ptr<WorkbookSource> source, QString reportPath)
    : m_source(std::move(source))
    , m_reportPath(std::move(reportPath))
    , m_clock([] { return QDateTime::currentDateTime(); })
{
    m_source->setRegionalSettings(m_settings);
}

FormChecker::~FormChecker() = default;

void FormChecker::setRegionalSettings(const RegionalSettings &settings)
{
    m_settings = settings;
    m_source->setRegionalSettings(settings);
}

bool FormChecker::ConnectToForm(const QString &path)
{
    try {
        FormLocation location = locateForm(path, nativePathStyle(), platform::shortFolder);
        m_state.FormFileName = std::move(location.fileName);
        m_state.FormShortDir = std::move(location.shortDir);
        m_state.FormConnectString = std::move(location.connectString);
        Connection &connection = m_source->FormConnection();
        if (connection.Connected())
            connection.close();
        connection.setConnectionString(m_state.FormConnectString);
        connection.open();
        return connection.Connected();
    } catch (...) {
        m_state.FormConnectString.clear();
        m_state.FormFileName.clear();
        m_state.FormShortDir.clear();
        return false;
    }
}

bool FormChecker::Form_ID_Check(const QString &code)
{
    // "#" + code + "#" found in the list, and the code one whole entry of it: a text that
    // holds "#" itself ("0606024#0606021") spans two entries and is no form code.
    return !code.isEmpty() && !code.contains(u'#')
           && acceptedFormCodes.contains(u'#' + code + u'#', Qt::CaseSensitive);
}

QString FormChecker::identifyForm()
{
    Query &query = m_source->qwData();
    query.replaceStatement(identificationStatement);
    query.open();
    const QString code = query.value(QStringLiteral("Val")).toText();
    if (Form_ID_Check(code))
        return query.fieldText(0);
    return QStringLiteral("0");
}

ReportBlock FormChecker::Verification(bool first, const QString &code)
{
    ReportBlock block;
    block.path = m_state.FormPath;
    block.code = code;

    ReportFile file(m_reportPath,
                    first ? platform::OpenMode::StartAfresh : platform::OpenMode::Append);
    const QDateTime started = m_clock();
    block.date = m_settings.formatDate(started.date());
    block.startTime = m_settings.formatTime(started.time());
    file.writeLine(block.fileLine());
    file.writeLine(block.dateLine());

    if (isRecognisedCode(code)) {
        block.recognised = true;
        Query &query = m_source->qwData();
        query.replaceStatement(captionStatement);
        query.open();
        if (!query.isEmpty()) {
            FilterOffGuard guard(query);
            block.hasCaptions = true;
            block.formNameCaption = filteredCaption(query, formNameFilter);
            file.writeLine(block.formNameCaption);
            block.nameCaption = filteredCaption(query, nameFilter);
            file.writeLine(block.nameCaption);
            query.setFiltered(false);
            query.setFilterText(QString());
        }

        query.replaceStatement(failedChecksStatement);
        query.open();
        if (query.isEmpty()) {
            file.writeLine(ReportBlock::noErrorsLine());
        } else {
            for (; !query.eof(); query.next()) {
                FailedCheck check;
                if (m_recordPositions) {
                    check.idForm = query.fieldText(QStringLiteral("ID_Form"));
                    check.idSection = query.fieldText(QStringLiteral("ID_Section"));
                    check.idRule = query.fieldText(QStringLiteral("ID_Rule"));
                    check.idCheck = query.fieldText(QStringLiteral("ID_Check"));
                }
                check.name = query.fieldText(QStringLiteral("Name"));
                file.writeLine(check.name);
                block.failedChecks.push_back(std::move(check));
            }
        }
        query.close();
        query.replaceStatement(QString());
    } else {
        for (const QString &line : ReportBlock::notRecognisedLines())
            file.writeLine(line);
    }

    block.finishTime = m_settings.formatTime(m_clock().time());
    file.writeLine(block.closingLine());
    for (int i = 0; i < 3; ++i)
        file.writeLine(QString());
    file.close();
    return block;
}

} // namespace zort
