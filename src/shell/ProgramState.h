#pragma once
#include "platform/Connection.h"
#include "platform/Recordset.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

class MainView;
class ModuleHost;

// The program-wide values: one instance, owned by the application, living from start-up
// to the end of the program. Names follow the program's own vocabulary.
class ProgramState {
public:
    static ProgramState& instance();
    // Replaces the instance with a fresh one (tests; each starts from empty values).
    static void reset();

    // Files and tables (set by InitProgramState)
    QString DataFolder;          // without trailing separator
    QString DatabaseFile;        // "Korvina.Kys"
    QString BinFolder;           // DataFolder + "/Bin/"
    QString HelpFile;            // DataFolder + "/Bin/KVKorvina.html"
    QString ErrorListing;        // DataFolder + "/Docs/Korvina.Err"
    QString DatabaseUrl;         // a postgresql:// URL when the server backend is chosen
    QStringList ContentTables;   // ktCustomer, ktNews, ktLead, ktSurvey
    QStringList CustomerTables;  // ktCustomer

    // Shared objects
    std::unique_ptr<Connection> connection;
    Recordset settingsReader;    // LoadMailPreferences, LoadCustomization, RefreshDashboard, specifics
    Recordset userRecordset;     // open during the log-in only
    Recordset enterpriseRecordset;
    Recordset pickListRecordset; // KKList, ShowMasterName

    // Logged-in user
    QString LoginId, EShort, EPasscd;

    // Look and behaviour
    QString CBackColor, CTexTure, CTextFont, CTextSize, CTextColor, CDefaScrn, CAdminDisp,
        CModiPass, CAllowDele, CDelePass, CShowDash;

    // Mail preferences
    QString PMailFoot, PMailType, PSmtpSrvr, PSmtpPort, PSmtpFrom, PSmtpUser, PPasscd;

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

    // Working values
    QString SqlText;
    int AttemptCount = 0;
    int PickerIndex = 0;
    int PickerPosition = 0;
    QString AccessReply;
    QString Criterion;
    QString PickListSource;
    int ListTarget = 0;

    // The main window and the record engine, as the rest of the program sees them.
    MainView* mainView = nullptr;
    ModuleHost* moduleHost = nullptr;

    // The database password, built at run time (never stored in one piece).
    QString databasePassword() const;

    // True when LoginId, upper-cased, is "CHIEF".
    bool isAdministrator() const { return LoginId.toUpper() == QLatin1String("CHIEF"); }

private:
    ProgramState();
    friend struct std::default_delete<ProgramState>;
};

// Short name for the one instance.
inline ProgramState& state() { return ProgramState::instance(); }
