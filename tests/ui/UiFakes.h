#pragma once

// Stand-ins for what the window talks to: each answers from a script and records what it was
// asked, so a test sees the exact question, not only which branch ran.

#include "FileChooser.h"
#include "FormChecker.h"
#include "MainWindowServices.h"
#include "Prompter.h"
#include "Shell.h"
#include "WorkbookSource.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>

namespace zort::test {

struct PromptCall
{
    enum Kind { YesNo, Tell, Message, Error };
    Kind kind;
    QString caption;
    QString text;
};

class FakePrompter : public Prompter
{
public:
    std::deque<bool> answers; // for askYesNo, in order; running out fails the test
    QList<PromptCall> calls;

    bool askYesNo(const QString &caption, const QString &text) override
    {
        calls.append({PromptCall::YesNo, caption, text});
        if (answers.empty())
            throw std::logic_error("unexpected question");
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void tell(const QString &caption, const QString &text) override
    {
        calls.append({PromptCall::Tell, caption, text});
    }
    void showMessage(const QString &text) override
    {
        calls.append({PromptCall::Message, QString(), text});
    }
    void showError(const QString &message) override
    {
        calls.append({PromptCall::Error, QString(), message});
    }
};

class FakeFileChooser : public FileChooser
{
public:
    // Each use takes the next result; an empty list is a cancel.
    std::deque<QStringList> results;
    std::function<void()> onChoose; // runs first, e.g. to throw
    int uses = 0;

    QStringList choose() override
    {
        ++uses;
        if (onChoose)
            onChoose();
        if (results.empty())
            return {};
        QStringList next = results.front();
        results.pop_front();
        return next;
    }
};

struct ShellCall
{
    QString path;
    ShowMode mode;
};

class FakeShell : public Shell
{
public:
    QList<ShellCall> calls;
    void open(const QString &path, ShowMode mode) override { calls.append({path, mode}); }
};

// A connection whose open fails (no workbook can be read), and a query with no rows: every
// checked document comes out as not recognised.
class FakeConnection : public Connection
{
public:
    bool connected = false;
    int closes = 0;
    QString string;

    void setConnectionString(const QString &s) override { string = s; }
    QString connectionString() const override { return string; }
    void open() override { throw DataSourceError(QStringLiteral("cannot open")); }
    void close() override
    {
        ++closes;
        connected = false;
    }
    bool Connected() const override { return connected; }
};

class FakeQuery : public Query
{
public:
    void replaceStatement(const QString &s) override { m_statement = s; }
    QString statement() const override { return m_statement; }
    void open() override { m_active = true; }
    void close() override { m_active = false; }
    bool Active() const override { return m_active; }
    bool isEmpty() const override { return true; }
    FieldValue value(const QString &) const override { return {}; }
    QString fieldText(int) const override { return {}; }
    QString fieldText(const QString &) const override { return {}; }
    void setFilterText(const QString &f) override { m_filter = f; }
    QString filterText() const override { return m_filter; }
    void setFiltered(bool on) override { m_filtered = on; }
    bool Filtered() const override { return m_filtered; }
    void next() override { }
    bool eof() const override { return true; }

private:
    QString m_statement, m_filter;
    bool m_active = false, m_filtered = false;
};

class FakeSource : public WorkbookSource
{
public:
    FakeConnection connection;
    FakeQuery query;
    RegionalSettings settings;

    Connection &FormConnection() override { return connection; }
    Query &qwData() override { return query; }
    void setRegionalSettings(const RegionalSettings &s) override { settings = s; }
};

// Everything a test window needs, with raw pointers kept for looking inside afterwards.
struct FakeServices
{
    FakePrompter *prompter = nullptr;
    FakeFileChooser *chooser = nullptr;
    FakeShell *shell = nullptr;
    FakeSource *source = nullptr;
    int regionalReads = 0;
    RegionalSettings nextSettings;

    MainWindowServices make(const QString &reportPath, const QString &programFolder)
    {
        MainWindowServices services;
        auto ownSource = std::make_unique<FakeSource>();
        source = ownSource.get();
        services.checker = std::make_unique<FormChecker>(std::move(ownSource), reportPath);
        auto ownPrompter = std::make_unique<FakePrompter>();
        prompter = ownPrompter.get();
        services.prompter = std::move(ownPrompter);
        auto ownChooser = std::make_unique<FakeFileChooser>();
        chooser = ownChooser.get();
        services.fileChooser = std::move(ownChooser);
        auto ownShell = std::make_unique<FakeShell>();
        shell = ownShell.get();
        services.shell = std::move(ownShell);
        services.programFolder = programFolder;
        services.regionalSettings = [this] {
            ++regionalReads;
            return nextSettings;
        };
        return services;
    }
};

} // namespace zort::test
