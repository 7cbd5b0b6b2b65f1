#include "shell/KKFirstStart.h"

#include "base/Messages.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "platform/AppError.h"
#include "shell/DatabaseCreator.h"

#include <QCommandLinkButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
bool holdsDatabase(const QString& folder) { return QFileInfo::exists(folder + QStringLiteral("/Korvina.Kys")); }
}

KKFirstStart::KKFirstStart(const QString& dataFolder, QWidget* parent)
    : QDialog(parent)
    , m_folder(dataFolder)
    , m_chooser([](QWidget* owner, const QString& current) {
        return QFileDialog::getExistingDirectory(owner, QStringLiteral("Choose the Data Folder"), current);
    })
{
    setObjectName(QStringLiteral("KKFirstStart"));
    setWindowTitle(QStringLiteral("Korvina"));
    setMinimumWidth(480);

    auto* heading = new QLabel(QStringLiteral("Welcome to Korvina"), this);
    QFont font = heading->font();
    font.setPointSizeF(font.pointSizeF() * 1.4);
    font.setBold(true);
    heading->setFont(font);

    auto* where = new QLabel(QStringLiteral("There is no database yet. Your customers, letters, settings and the daily "
                                            "archive copies will live in this folder:"),
                             this);
    where->setWordWrap(true);
    m_folderLabel = new QLabel(this);
    m_folderLabel->setObjectName(QStringLiteral("lblFolder"));
    m_folderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_folderLabel->setAccessibleDescription(QStringLiteral("Data folder"));
    QFont strong = m_folderLabel->font();
    strong.setBold(true);
    m_folderLabel->setFont(strong);
    auto* admin = new QLabel(QStringLiteral("The administrator is %1, with the initial password korvina. "
                                            "Change it under Admin, Users after the first log-in.")
                                 .arg(AdministratorLogin),
                             this);
    admin->setObjectName(QStringLiteral("lblAdmin"));
    admin->setWordWrap(true);

    m_empty = new QCommandLinkButton(QStringLiteral("Create an Empty Database"),
                                     QStringLiteral("Start your own customer file."), this);
    m_demo = new QCommandLinkButton(QStringLiteral("Create with Demo Content"),
                                    QStringLiteral("Sixty customers, newsletters, leads, surveys and campaigns "
                                                   "to try Korvina with."),
                                    this);
    m_choose = new QCommandLinkButton(QStringLiteral("Choose Another Folder..."),
                                      QStringLiteral("Start on a database kept elsewhere, or create one there."), this);
    auto* quit = new QDialogButtonBox(this);
    quit->addButton(QStringLiteral("Quit"), QDialogButtonBox::RejectRole);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(where);
    layout->addWidget(m_folderLabel);
    layout->addWidget(admin);
    layout->addSpacing(8);
    layout->addWidget(m_empty);
    layout->addWidget(m_demo);
    layout->addWidget(m_choose);
    layout->addWidget(quit);

    connect(m_empty, &QCommandLinkButton::clicked, this, &KKFirstStart::createEmpty);
    connect(m_demo, &QCommandLinkButton::clicked, this, &KKFirstStart::createDemo);
    connect(m_choose, &QCommandLinkButton::clicked, this, &KKFirstStart::chooseFolder);
    connect(quit, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showFolder();
}

void KKFirstStart::create(bool demo)
{
    ProgramState& s = state();
    s.DataFolder = m_folder;
    InitProgramState();
    try {
        DatabaseCreator::createInstallation(m_folder, demo);
    } catch (const AppError& e) {
        s.messages().notice(e.description());
        return;
    }
    accept();
}

void KKFirstStart::chooseFolder()
{
    const QString chosen = m_chooser(this, m_folder);
    if (chosen.isEmpty())
        return;
    m_folder = QDir::cleanPath(QDir(chosen).absolutePath());
    showFolder();
    // A folder that already holds a database is simply where the program starts.
    if (holdsDatabase(m_folder))
        accept();
}

void KKFirstStart::showFolder() { m_folderLabel->setText(QDir::toNativeSeparators(m_folder)); }
