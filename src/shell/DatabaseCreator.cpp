#include "shell/DatabaseCreator.h"

#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/Connection.h"
#include "platform/DateText.h"
#include "shell/InstallPaths.h"
#include "shell/ProgramState.h"
#include "shell/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {
// Copies the manual, the report layouts and the lead templates into a new DataFolder.
void installResources(const QString& resources, const QString& folder)
{
    for (const char* sub : {"Bin", "Docs"}) {
        const QString root = resources + QLatin1Char('/') + QLatin1String(sub);
        QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString from = it.next();
            const QString to = folder + QLatin1Char('/') + QLatin1String(sub) + from.mid(root.size());
            QDir().mkpath(QFileInfo(to).absolutePath());
            if (QFileInfo::exists(to))
                continue;
            if (!QFile::copy(from, to))
                throw AppError(DbErrors::General, QStringLiteral("Install"), QStringLiteral("Cannot write ") + to);
            QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        }
    }
}

QString today() { return DateText::toIso(Clock::today()); }
}

namespace DatabaseCreator {

void createInstallation(const QString& folder, bool demo)
{
    ProgramState& s = state();
    const QString database = folder + QLatin1Char('/') + s.DatabaseFile;
    if (s.DatabaseUrl.isEmpty() && QFileInfo::exists(database))
        throw AppError(DbErrors::FileExists, QStringLiteral("Install"),
                       QStringLiteral("A database already exists at %1; it was left unchanged.").arg(database));
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString resources = InstallPaths::resourceFolder(programFolder);
    if (resources.isEmpty())
        throw AppError(DbErrors::General, QStringLiteral("Install"),
                       QStringLiteral("The program's manual, report layouts and templates are missing: "
                                      "they belong in %1.")
                           .arg(QDir::cleanPath(programFolder + QStringLiteral("/../share/korvina"))));
    for (const char* sub : {"Bin", "Docs", "Arch"})
        if (!QDir().mkpath(folder + QLatin1Char('/') + QLatin1String(sub)))
            throw AppError(DbErrors::General, QStringLiteral("Install"),
                           QStringLiteral("Cannot create the folder %1/%2").arg(folder, QLatin1String(sub)));
    installResources(resources, folder);

    Connection& c = *s.connection;
    c.open();
    try {
        c.beginTrans();
        createTables(c);
        insertRequiredRows(c);
        if (demo)
            DemoData::fill(c);
        c.commitTrans();
    } catch (...) {
        c.close();
        if (s.DatabaseUrl.isEmpty())
            QFile::remove(database);
        throw;
    }
    c.close();
}

void createTables(Connection& c)
{
    for (const SchemaTable& t : Schema::tables())
        c.execute(Schema::createStatement(t));
}

void insertRequiredRows(Connection& c)
{
    const QString d = today();
    c.execute(QStringLiteral("INSERT INTO kaEnterprise (EDate, EName, EShort, EDesc, EAddr1, EAddr2, EAddr3, ECity, "
                             "EState, ECountry, ETelephone, EEmail, EWebsite, EPasscd, ERemarks) VALUES ('%1', "
                             "'Korvina Trading Company', 'Korvina', 'Customer marketing', '1 Harbour Street', "
                             "'Suite 4', 'Dock Lane', 'Bristol', 'Avon', 'United Kingdom', '+44 117 496 0000', "
                             "'office@example.com', 'www.example.com', 'Access', 'Installed')")
                  .arg(d));
    c.execute(QStringLiteral("INSERT INTO kaUser (EDate, ULogin, UPasscd, UHint, UMode, URemarks) VALUES "
                             "('%1', 'Chief', 'korvina', 'product', 'A', 'Administrator')")
                  .arg(d));
    c.execute(QStringLiteral("INSERT INTO kaPreference (EDate, PMailFoot, PMailType, PSmtpSrvr, PSmtpPort, PSmtpFrom, "
                             "PSmtpUser, PPasscd, PRemarks) VALUES ('%1', 'Y', 'S', 'localhost', '25', "
                             "'office@example.com', 'office', 'secret', 'Mail settings')")
                  .arg(d));
    c.execute(QStringLiteral("INSERT INTO kaCustomize (EDate, CBackColor, CTexTure, CTextFont, CTextSize, CTextColor, "
                             "CDefaScrn, CAdminDisp, CModiPass, CAllowDele, CDelePass, CShowDash, CRemarks) VALUES "
                             "('%1', '16777215', '12632256', 'Arial', '10', '8388608', 'N', 'N', 'N', 'Y', 'N', 'Y', "
                             "'Look and behaviour')")
                  .arg(d));
}

}
