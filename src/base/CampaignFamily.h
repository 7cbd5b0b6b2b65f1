#pragma once
#include "base/ModuleCatalogue.h"
#include "platform/MailMessage.h"

#include <QString>
#include <array>

// The three campaign screens are one family; this is the one description of each kind: its
// screen, table and report, what it mails and how. The module catalogue, the schema and the
// report catalogue make their campaign entries from it.
enum class CampaignKind { News, Lead, Survey };

struct CampaignFamily {
    CampaignKind kind;
    ModuleId module;       // the campaign screen: SendNews
    ModuleId content;      // what it mails: News
    QString name;          // "SNews": screen KKSNews, table ktSNews, key "SNews Id"; its columns start "S"
    QString contentName;   // "News": table ktNews, column SNewsId
    QString caption;       // the module's: "Send News"
    QString menuCaption;   // "Send News"
    QString pickColumn;    // the content's column a campaign picks it by: "NReference"
    QString subjectColumn; // "NSubject"
    QString bodyColumn;    // "NMessage"
    QString footerPrefix;  // "MgNews:"
    QString sendCaption;   // "Send News >"
    BodyKind bodyKind;
    bool mergesTags;       // customer columns replace their MergeTags
    bool addsSurveyLink;   // the survey page's address follows the body
    int reportNumber;      // the list of the campaigns sent: 50
    QString reportCaption; // "SendNews List"
    QString reportLayout;  // "KVSendRepo.Krp"
    int since = 1;         // the schema version that added its table

    QString screen() const { return QStringLiteral("KK") + name; }
    QString table() const { return QStringLiteral("kt") + name; }
    QString contentTable() const { return QStringLiteral("kt") + contentName; }
    // A column of the campaign's table: column("CType") is "SCType".
    QString column(const QString& field) const { return name.left(1) + field; }
    QString contentColumn() const { return column(contentName + QStringLiteral("Id")); }

    static const CampaignFamily& of(CampaignKind kind);
    // Every kind's family, in the order of the kinds.
    static const std::array<CampaignFamily, 3>& all();
};
