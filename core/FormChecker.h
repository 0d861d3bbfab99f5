#pragma once

#include "RegionalSettings.h"
#include "ReportBlock.h"
#include "WorkbookSource.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

namespace zort {

// The texts the checking core reads and writes while it checks one document.
struct MainWindowState
{
    QString FormPath;
    QString FormFileName;
    QString FormShortDir;
    QString FormConnectString;
};

class ReportFile;

// The checking core's operations on one workbook at a time: connect, identify, write its
// report block. The main window owns one; zort-check owns one per run.
class FormChecker
{
public:
    using Clock = std::function<QDateTime()>;

    // source: the data source to read workbooks through; reportPath: the report file.
    FormChecker(std::unique_ptr<WorkbookSource> source, QString reportPath);
    ~FormChecker();

    MainWindowState &state() { return m_state; }
    const MainWindowState &state() const { return m_state; }
    WorkbookSource &source() { return *m_source; }
    QString reportPath() const { return m_reportPath; }

    // Also hands them to the source, which writes date cells in the short date format.
    void setRegionalSettings(const RegionalSettings &settings);
    const RegionalSettings &regionalSettings() const { return m_settings; }
    // The local date and time; QDateTime::currentDateTime unless a test fixes it.
    void setClock(Clock clock) { m_clock = std::move(clock); }
    // Whether the returned block carries each failed check's ID_Form .. ID_Check (on by
    // default). The report itself needs only the names; turning this off spares reading four
    // fields per failed check when nobody looks at them.
    void setRecordCheckPositions(bool on) { m_recordPositions = on; }

    // Points the source at the workbook and opens it; never throws.
    bool ConnectToForm(const QString &path);
    // Exactly one of the accepted form codes.
    static bool Form_ID_Check(const QString &code);
    // On an open connection: the accepted code, or "0". Throws the source's errors.
    QString identifyForm();
    // Writes one block for state().FormPath; first starts the file afresh. Throws
    // ReportIoError and, for a recognised code, DataSourceError. Returns what it wrote.
    // After an error the report file is closed, holding the block's lines written before it,
    // and the query's filtering is off.
    ReportBlock Verification(bool first, const QString &code);

private:
    MainWindowState m_state;
    std::unique_ptr<WorkbookSource> m_source;
    QString m_reportPath;
    RegionalSettings m_settings;
    Clock m_clock;
    bool m_recordPositions = true;
};

} // namespace zort
