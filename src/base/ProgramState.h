#pragma once
#include "base/Clock.h"
#include "base/Messages.h"
#include "platform/Connection.h"
#include "platform/Recordset.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

class MainView;
class ModuleHost;

// The built-in administrator's log-in name (user 1); it logs in whatever the letter case.
inline constexpr QLatin1String AdministratorLogin("Chief");
inline bool isAdministratorLogin(const QString& login)
{
    return login.toUpper() == QString(AdministratorLogin).toUpper();
}

// The program-wide values: one instance, created and owned by the application (in tests, by
// the test's data folder), living from start-up to the end of the program, and reached
// everywhere through state(), as Qt's application object is through qApp. Names follow the
// program's own vocabulary.
//
// While an instance lives it is the program's state; an instance created while another lives
// takes over until it is destroyed, and the earlier one is the state again.
class ProgramState {
public:
    ProgramState();
    ~ProgramState();
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    // The living instance, or nullptr.
    static ProgramState* current();

    // The message seam: message boxes unless another implementation is installed (not
    // owned; nullptr restores the message boxes).
    Messages& messages() { return m_messages ? *m_messages : m_boxes; }
    void setMessages(Messages* messages) { m_messages = messages; }

    // The calendar the program reads "now" from.
    Clock clock;

    // Files and tables (set by InitProgramState)
    QString DataFolder;          // without trailing separator
    QString DatabaseFile;        // "Korvina.Kys"
    QString BinFolder;           // DataFolder + "/Bin/"
    QString HelpFile;            // DataFolder + "/Bin/KVKorvina.html"
    QString ErrorListing;        // DataFolder + "/Docs/Korvina.Err"
    QString DatabaseUrl;         // a postgresql:// URL when the server backend is chosen
    QStringList ContentTables;   // the dashboard's: ktCustomer, ktNews, ktLead, ktSurvey
    QStringList CustomerTables;  // ktCustomer

    // Shared objects
    std::unique_ptr<Connection> connection;
    Recordset settingsReader;    // LoadMailPreferences, LoadCustomization, RefreshDashboard, specifics

    // Logged-in user
    QString LoginId, EShort, EPasscd;

    // Look and behaviour
    QString CBackColor, CTexTure, CTextFont, CTextSize, CTextColor, CDefaScrn, CAdminDisp,
        CModiPass, CAllowDele, CDelePass, CShowDash;

    // Mail preferences
    QString PMailFoot, PMailType, PSmtpSrvr, PSmtpPort, PSmtpFrom, PSmtpUser, PPasscd;
    // Bulk mail: unsubscribe address, Reply-To, messages per minute ("0": no limit), the office
    // mailbox (server, port, folder for handled mail) and the key of the unsubscribe tokens.
    QString PUnsubAddr, PReplyTo, PRateLimit, PImapSrvr, PImapPort, PImapFolder, PTokenPasscd;

    // Active module
    QPointer<QWidget> ActiveForm;
    QString ModuleTable;
    int ModuleFieldCount = 0;
    int ReportNumber = 0;
    Recordset ListRecordset;
    Recordset RecordRecordset;
    QVector<QVariant> LoadedRecord; // the row LoadRecord last showed, as it was read
    bool NewRecordFlag = false;
    bool CommandsOn = false;

    // The main window and the record engine, as the rest of the program sees them.
    MainView* mainView = nullptr;
    ModuleHost* moduleHost = nullptr;

    // The database password, built at run time (never stored in one piece).
    QString databasePassword() const;

    // True when LoginId is the administrator's, whatever the letter case.
    bool isAdministrator() const { return isAdministratorLogin(LoginId); }

private:
    ProgramState* m_previous = nullptr;
    Messages* m_messages = nullptr;
    BoxMessages m_boxes;
};

// The program's state (there must be one).
ProgramState& state();
