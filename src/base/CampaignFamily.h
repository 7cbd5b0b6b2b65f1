#pragma once
#include "base/ModuleCatalogue.h"
#include "platform/MailMessage.h"

#include <QString>
#include <array>

// The three campaign screens are one family; this is what sets them apart. The screens and
// their tables are the catalogue's: a kind names its campaign module and the module it mails.
enum class CampaignKind { News, Lead, Survey };

struct CampaignFamily {
    CampaignKind kind;
    ModuleId module;       // the campaign screen: SendNews
    ModuleId content;      // what it mails: News
    QString subjectColumn; // "NSubject"
    QString bodyColumn;    // "NMessage"
    QString footerPrefix;  // "MgNews:"
    QString sendCaption;   // "Send News >"
    BodyKind bodyKind;
    bool mergesTags;       // customer columns replace their MergeTags
    bool addsSurveyLink;   // the survey page's address follows the body

    QString screen() const;       // "KKSNews"
    QString table() const;        // "ktSNews"
    QString contentTable() const; // "ktNews"

    static const CampaignFamily& of(CampaignKind kind);
    // Every kind's family, in the order of the kinds.
    static const std::array<CampaignFamily, 3>& all();
};
