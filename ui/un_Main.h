#pragma once

#include "MainWindowServices.h"

#include <QCloseEvent>
#include <QWidget>

class QPushButton;

namespace zort {

class CheckListBox;
class DocumentList;

// The program's one window: the command buttons on the left, the document list in the middle,
// the list's buttons on the right. Every handler runs inside guarded(): whatever error ends it
// is shown in the default error display and the window goes on.
class TfrmMain : public QWidget
{
    Q_OBJECT

    // Declared first so that it exists before the fields that point into it.
    MainWindowServices m_services;
    DocumentList *m_documents;

public:
    explicit TfrmMain(MainWindowServices services, QWidget *parent = nullptr);
    ~TfrmMain() override;

    QPushButton *btnQuit;
    FileChooser *OpenDialog1;
    Connection *FormConnection;
    Query *qwData;
    QPushButton *btnVerificationData;
    QPushButton *btnChoiceFile;
    CheckListBox *CheckListBox1;
    QPushButton *btnFillForm;
    QPushButton *btnCheckAll;
    QPushButton *btnUncheckAll;
    QPushButton *btnInvertCheck;
    QPushButton *btnCleanList;
    QPushButton *btnHelp;

    DocumentList &documents() { return *m_documents; }
    FormChecker &checker() { return *m_services.checker; }

public slots:
    bool Form_ID_Check(const QString &code) const;
    void FormClose(QCloseEvent *event);
    void btnChoiceFileClick();
    void btnVerificationDataClick();
    bool ConnectToForm(const QString &path);
    void btnFillFormClick();
    void btnQuitClick();
    void CheckListBox1DblClick();
    void Verification(bool first, const QString &code);
    void btnCheckAllClick();
    void btnUncheckAllClick();
    void btnInvertCheckClick();
    void btnCleanListClick();
    void FormCreate();
    void btnHelpClick();

    // Files dropped onto the list join it as if the dialog had returned them.
    void appendDroppedFiles(const QStringList &paths);
    // The desktop session is ending: the program closes without asking.
    void endSession();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildLayout();
    void applyRegionalSettings();
    void appendFiles(const QStringList &paths);
    void closeOpenConnection();

    bool m_sessionEnding = false;
    bool m_centred = false;
};

} // namespace zort
