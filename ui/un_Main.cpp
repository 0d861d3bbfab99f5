#include "un_Main.h"

#include "CheckListBox.h"
#include "DocumentList.h"
#include "Guarded.h"
#include "Images.h"
#include "UiTexts.h"
#include "WindowFrame.h"

#include <QDir>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSessionManager>

#include <algorithm>

namespace zort {

namespace {

const QSize clientSize(662, 187);
const QSize buttonImageSize(24, 24);

QPushButton *makeButton(QWidget *parent, const QString &objectName, const QRect &geometry,
                        const QString &image)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(objectName);
    button->setGeometry(geometry);
    button->setIcon(buttonImage(image));
    button->setIconSize(buttonImageSize);
    // The window has neither a default nor a cancel button: Enter and Escape press nothing.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// Hands the checking run's two requests to the window's message boxes and shell.
class WindowRunHost : public CheckRunHost
{
public:
    WindowRunHost(Prompter &prompter, Shell &shell)
        : m_prompter(prompter)
        , m_shell(shell)
    { }
    void showMessage(const QString &text) override { m_prompter.showMessage(text); }
    void openReport(const QString &reportPath) override
    {
        m_shell.open(reportPath, ShowMode::Normal);
    }

private:
    Prompter &m_prompter;
    Shell &m_shell;
};

} // namespace

TfrmMain::TfrmMain(MainWindowServices services, QWidget *parent)
    : QWidget(parent, mainWindowFlags())
    , m_services(std::move(services))
    , m_documents(new DocumentList(this))
    , btnQuit(nullptr)
    , OpenDialog1(m_services.fileChooser.get())
    , FormConnection(&m_services.checker->source().FormConnection())
    , qwData(&m_services.checker->source().qwData())
    , btnVerificationData(nullptr)
    , btnChoiceFile(nullptr)
    , CheckListBox1(nullptr)
    , btnFillForm(nullptr)
    , btnCheckAll(nullptr)
    , btnUncheckAll(nullptr)
    , btnInvertCheck(nullptr)
    , btnCleanList(nullptr)
    , btnHelp(nullptr)
{
    setObjectName(QStringLiteral("frmMain"));
    buildLayout();

    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager &) { endSession(); });
    }
    applyRegionalSettings();
    FormCreate();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::buildLayout()
{
    setWindowTitle(ui_text::windowCaption());
    setFixedSize(clientSize);

    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);

    btnFillForm = makeButton(this, QStringLiteral("btnFillForm"), QRect(8, 8, 145, 33),
                             QStringLiteral("fill_form"));
    btnFillForm->setText(ui_text::fillFormCaption());
    btnChoiceFile = makeButton(this, QStringLiteral("btnChoiceFile"), QRect(8, 48, 145, 33),
                               QStringLiteral("choice_file"));
    btnChoiceFile->setText(ui_text::choiceFileCaption());
    btnVerificationData = makeButton(this, QStringLiteral("btnVerificationData"),
                                     QRect(8, 88, 145, 33), QStringLiteral("verification"));
    btnVerificationData->setText(ui_text::verificationCaption());
    btnQuit = makeButton(this, QStringLiteral("btnQuit"), QRect(8, 128, 145, 33),
                         QStringLiteral("quit"));
    btnQuit->setText(ui_text::quitCaption());

    CheckListBox1 = new CheckListBox(this);
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    CheckListBox1->setGeometry(160, 9, 447, 169);
    CheckListBox1->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    CheckListBox1->setModel(m_documents);

    btnCheckAll = makeButton(this, QStringLiteral("btnCheckAll"), QRect(616, 8, 38, 33),
                             QStringLiteral("check_all"));
    btnCheckAll->setToolTip(ui_text::checkAllTip());
    btnUncheckAll = makeButton(this, QStringLiteral("btnUncheckAll"), QRect(616, 41, 38, 36),
                               QStringLiteral("uncheck_all"));
    btnUncheckAll->setToolTip(ui_text::uncheckAllTip());
    btnInvertCheck = makeButton(this, QStringLiteral("btnInvertCheck"), QRect(616, 77, 38, 33),
                                QStringLiteral("invert_check"));
    btnInvertCheck->setToolTip(ui_text::invertCheckTip());
    btnCleanList = makeButton(this, QStringLiteral("btnCleanList"), QRect(616, 111, 38, 33),
                              QStringLiteral("clean_list"));
    btnCleanList->setToolTip(ui_text::cleanListTip());
    btnHelp = makeButton(this, QStringLiteral("btnHelp"), QRect(616, 144, 38, 33),
                         QStringLiteral("help"));
    btnHelp->setToolTip(ui_text::helpTip());

    const QList<QWidget *> tabOrder {
            btnFillForm, btnChoiceFile, btnVerificationData, btnQuit,      CheckListBox1,
            btnCheckAll, btnUncheckAll, btnInvertCheck,      btnCleanList, btnHelp};
    for (QWidget *control : tabOrder)
        control->setFocusPolicy(Qt::StrongFocus);
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(btnFillForm, &QPushButton::clicked, this, &TfrmMain::btnFillFormClick);
    connect(btnChoiceFile, &QPushButton::clicked, this, &TfrmMain::btnChoiceFileClick);
    connect(btnVerificationData, &QPushButton::clicked, this, &TfrmMain::btnVerificationDataClick);
    connect(btnQuit, &QPushButton::clicked, this, &TfrmMain::btnQuitClick);
    connect(btnCheckAll, &QPushButton::clicked, this, &TfrmMain::btnCheckAllClick);
    connect(btnUncheckAll, &QPushButton::clicked, this, &TfrmMain::btnUncheckAllClick);
    connect(btnInvertCheck, &QPushButton::clicked, this, &TfrmMain::btnInvertCheckClick);
    connect(btnCleanList, &QPushButton::clicked, this, &TfrmMain::btnCleanListClick);
    connect(btnHelp, &QPushButton::clicked, this, &TfrmMain::btnHelpClick);
    connect(CheckListBox1, &CheckListBox::listDoubleClicked, this,
            &TfrmMain::CheckListBox1DblClick);
    connect(CheckListBox1, &CheckListBox::filesDropped, this, &TfrmMain::appendDroppedFiles);
}

bool TfrmMain::Form_ID_Check(const QString &code) const
{
    return FormChecker::Form_ID_Check(code);
}

void TfrmMain::FormClose(QCloseEvent *event)
{
    if (m_sessionEnding) {
        event->accept();
        guarded(*m_services.prompter, [this] { closeOpenConnection(); });
        return;
    }
    event->ignore();
    bool confirmed = false;
    guarded(*m_services.prompter, [&] {
        confirmed = m_services.prompter->askYesNo(ui_text::quitQuestionCaption(),
                                                  ui_text::quitQuestion());
    });
    if (!confirmed)
        return;
    // The window goes even when the connection fails to close: the user asked to leave.
    event->accept();
    guarded(*m_services.prompter, [this] { closeOpenConnection(); });
}

void TfrmMain::btnChoiceFileClick()
{
    guarded(*m_services.prompter, [this] {
        if (m_documents->ListFilled()) {
            const bool add = m_services.prompter->askYesNo(ui_text::addOrReplaceCaption(),
                                                           ui_text::addOrReplaceQuestion());
            if (!add) {
                m_documents->setListFilled(false);
                m_documents->clear();
            }
        }
        const QStringList files = OpenDialog1->choose();
        if (files.isEmpty())
            return;
        appendFiles(files);
    });
}

void TfrmMain::btnVerificationDataClick()
{
    guarded(*m_services.prompter, [this] {
        WindowRunHost host(*m_services.prompter, *m_services.shell);
        runChecks(*m_services.checker, m_documents->entries(), host);
    });
}

bool TfrmMain::ConnectToForm(const QString &path)
{
    return m_services.checker->ConnectToForm(path);
}

void TfrmMain::btnFillFormClick()
{
    guarded(*m_services.prompter, [this] {
        const QStringList files = OpenDialog1->choose();
        if (!files.isEmpty())
            m_services.shell->open(files.front(), ShowMode::Normal);
    });
}

void TfrmMain::btnQuitClick()
{
    close();
}

void TfrmMain::CheckListBox1DblClick()
{
    guarded(*m_services.prompter, [this] {
        // The entry with the focus, wherever the list was clicked; an empty list has none.
        const QModelIndex focus = CheckListBox1->currentIndex();
        if (!focus.isValid() || focus.row() >= m_documents->rowCount())
            return;
        m_services.shell->open(m_documents->paths().at(focus.row()), ShowMode::Normal);
    });
}

void TfrmMain::Verification(bool first, const QString &code)
{
    m_services.checker->Verification(first, code);
}

void TfrmMain::btnCheckAllClick()
{
    guarded(*m_services.prompter, [this] { m_documents->setAllTicked(true); });
}

void TfrmMain::btnUncheckAllClick()
{
    guarded(*m_services.prompter, [this] { m_documents->setAllTicked(false); });
}

void TfrmMain::btnInvertCheckClick()
{
    guarded(*m_services.prompter, [this] { m_documents->invertTicks(); });
}

void TfrmMain::btnCleanListClick()
{
    guarded(*m_services.prompter, [this] {
        QList<int> highlighted;
        const QModelIndexList selected = CheckListBox1->selectionModel()->selectedIndexes();
        for (const QModelIndex &index : selected)
            highlighted.append(index.row());
        if (highlighted.isEmpty()) {
            m_services.prompter->tell(ui_text::nothingHighlightedCaption(),
                                      ui_text::nothingHighlighted());
        } else if (m_services.prompter->askYesNo(ui_text::removeCaption(),
                                                 ui_text::removeQuestion())) {
            m_documents->removeEntries(highlighted);
        }
        m_documents->setListFilled(m_documents->rowCount() > 0);
    });
}

void TfrmMain::FormCreate()
{
    guarded(*m_services.prompter,
            [this] { CheckListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection); });
}

void TfrmMain::btnHelpClick()
{
    guarded(*m_services.prompter, [this] {
        const QString manual = QDir(m_services.programFolder).filePath(ui_text::manualFileName());
        m_services.shell->open(QDir::toNativeSeparators(manual), ShowMode::Restore);
    });
}

void TfrmMain::appendDroppedFiles(const QStringList &paths)
{
    guarded(*m_services.prompter, [&] {
        QStringList files;
        for (const QString &path : paths)
            files.append(QDir::toNativeSeparators(path));
        appendFiles(files);
    });
}

void TfrmMain::endSession()
{
    m_sessionEnding = true;
    close();
}

void TfrmMain::appendFiles(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    m_documents->setListFilled(true);
    m_documents->append(paths);
    // The widest entry's text decides how far the list scrolls sideways.
    const QFontMetrics metrics(CheckListBox1->font());
    int widest = 0;
    for (const QString &path : m_documents->paths())
        widest = std::max(widest, metrics.horizontalAdvance(path));
    CheckListBox1->setHorizontalExtent(widest + 2);
}

void TfrmMain::closeOpenConnection()
{
    if (FormConnection->Connected())
        FormConnection->close();
}

void TfrmMain::applyRegionalSettings()
{
    if (!m_services.regionalSettings)
        return;
    guarded(*m_services.prompter,
            [this] { m_services.checker->setRegionalSettings(m_services.regionalSettings()); });
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    FormClose(event);
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_centred || !isWindow())
        return;
    m_centred = true;
    if (QScreen *desktop = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(desktop->geometry().center());
        move(frame.topLeft());
    }
}

void TfrmMain::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LocaleChange)
        applyRegionalSettings();
}

} // namespace zort
