#include "base/Program.h"

#include "base/ProgramState.h"
#include "base/Messages.h"
#include "base/MainView.h"
#include "base/ModuleCatalogue.h"
#include "platform/ReadScope.h"
#include "platform/OneLine.h"

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTextStream>
#include <cmath>

void InitProgramState()
{
    ProgramState& s = state();
    s.DatabaseFile = QStringLiteral("Korvina.Kys");
    s.BinFolder = s.DataFolder + QStringLiteral("/Bin/");
    s.HelpFile = s.DataFolder + QStringLiteral("/Bin/KVKorvina.html");
    s.ErrorListing = s.DataFolder + QStringLiteral("/Docs/Korvina.Err");
    s.CustomerTables = {ModuleCatalogue::find(ModuleId::Customer)->table};
    // The tables of the dashboard's panes.
    s.ContentTables.clear();
    for (const ModuleDef* m : ModuleCatalogue::dashboardModules())
        s.ContentTables << m->table;
    if (!s.connection)
        s.connection = std::make_unique<Connection>();
    const QString source = s.DatabaseUrl.isEmpty() ? s.DataFolder + QLatin1Char('/') + s.DatabaseFile : s.DatabaseUrl;
    s.connection->setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + source
                                      + QStringLiteral(";Persist Security Info=False;Jet OLEDB:")
                                      + QStringLiteral("Database Password=") + s.databasePassword());
}

void LogError(const AppError& error)
{
    RecordError(error);
    // A criterion refused for reading beyond its screen says so in words.
    Messages::current().notice(ReadScope::isRefusal(error) ? ReadScope::message() : QStringLiteral("Error!"));
}

namespace {
// A server's message over several lines, read as one: "ERROR: x DETAIL: y".
QString joinedLines(QString text)
{
    static const QRegularExpression breaks(QStringLiteral("\\s*[\\r\\n]+\\s*"));
    return text.replace(breaks, QStringLiteral(" "));
}
}

void RecordError(const AppError& error)
{
    const ProgramState& s = state();
    // A missing Docs folder is created, so that no error goes unrecorded.
    if (!s.ErrorListing.isEmpty()) {
        QDir().mkpath(QFileInfo(s.ErrorListing).absolutePath());
        QFile file(s.ErrorListing);
        const bool isNew = !file.exists();
        if (file.open(QIODevice::Append | QIODevice::Text)) {
            // The listing holds what users typed: only its owner reads it.
            if (isNew || (file.permissions() & (QFile::ReadGroup | QFile::ReadOther)))
                file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
            QTextStream out(&file);
            // One line per entry, whatever the description holds.
            out << QLocale().toString(state().clock.now(), QLocale::ShortFormat) << ',' << error.number() << ','
                << oneLine(error.source()) << ',' << oneLine(joinedLines(error.description())) << '\n';
        }
    }
}

void LogError(const std::exception& error)
{
    LogError(AppError(DbErrors::General, QStringLiteral("Korvina"), QString::fromLocal8Bit(error.what())));
}

void EventPause()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

namespace {
// Opens the settings reader on a table's first row and hands each named column to `copy`.
void readFirstRow(const QString& table, std::initializer_list<std::pair<const char*, QString*>> columns)
{
    ProgramState& s = state();
    Recordset& reader = s.settingsReader;
    if (reader.isOpen())
        reader.close();
    reader.open(table, *s.connection, CursorType::Dynamic, LockType::ReadOnly);
    struct Closer {
        Recordset& r;
        ~Closer() { if (r.isOpen()) r.close(); }
    } closer{reader};
    for (const auto& [name, target] : columns)
        *target = reader.field(QString::fromLatin1(name)).text();
}
}

void LoadMailPreferences()
{
    ProgramState& s = state();
    readFirstRow(QStringLiteral("kaPreference"),
                 {{"PMailFoot", &s.PMailFoot}, {"PMailType", &s.PMailType}, {"PSmtpSrvr", &s.PSmtpSrvr},
                  {"PSmtpPort", &s.PSmtpPort}, {"PSmtpFrom", &s.PSmtpFrom}, {"PSmtpUser", &s.PSmtpUser},
                  {"PPasscd", &s.PPasscd}, {"PUnsubAddr", &s.PUnsubAddr}, {"PReplyTo", &s.PReplyTo},
                  {"PRateLimit", &s.PRateLimit}, {"PImapSrvr", &s.PImapSrvr}, {"PImapPort", &s.PImapPort},
                  {"PImapFolder", &s.PImapFolder}, {"PTokenPasscd", &s.PTokenPasscd}});
}

void LoadCustomization()
{
    ProgramState& s = state();
    Guard([&] {
        readFirstRow(QStringLiteral("kaCustomize"),
                     {{"CBackColor", &s.CBackColor}, {"CTexTure", &s.CTexTure}, {"CTextFont", &s.CTextFont},
                      {"CTextSize", &s.CTextSize}, {"CTextColor", &s.CTextColor}, {"CDefaScrn", &s.CDefaScrn},
                      {"CAdminDisp", &s.CAdminDisp}, {"CModiPass", &s.CModiPass}, {"CAllowDele", &s.CAllowDele},
                      {"CDelePass", &s.CDelePass}, {"CShowDash", &s.CShowDash}});
    });
    if (s.mainView)
        Guard([&] { s.mainView->applyTexture(); });
}

bool IsNumberText(const QString& text, double* value)
{
    const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    const QString t = text.trimmed();
    if (!number.match(t).hasMatch())
        return false;
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    if (value)
        *value = v;
    return true;
}

QColor ColorFromText(const QString& text, bool* ok)
{
    bool good = false;
    const qlonglong v = text.trimmed().toLongLong(&good);
    if (ok)
        *ok = good && v >= 0 && v <= 0xFFFFFF;
    if (!good)
        return {};
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

QString ColorToText(const QColor& c)
{
    return QString::number(c.red() + (c.green() << 8) + (c.blue() << 16));
}
