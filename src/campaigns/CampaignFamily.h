#pragma once
#include "platform/MailMessage.h"

#include <QString>

// The three campaign screens are one family; this is what sets them apart.
enum class CampaignKind { News, Lead, Survey };

struct CampaignFamily {
    CampaignKind kind;
    QString screen;        // "KKSNews"
    QString contentTable;  // "ktNews"
    QString subjectColumn; // "NSubject"
    QString bodyColumn;    // "NMessage"
    QString footerPrefix;  // "MgNews:"
    QString sendCaption;   // "Send News >"
    BodyKind bodyKind;
    bool mergesTags;       // customer columns replace their MergeTags
    bool addsSurveyLink;   // the survey page's address follows the body

    static const CampaignFamily& of(CampaignKind kind);
};
