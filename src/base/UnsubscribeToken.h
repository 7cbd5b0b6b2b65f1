#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

// The token of a campaign message's unsubscribe request ("unsubscribe-TOKEN" in the subject
// of the mail its List-Unsubscribe asks for). It names one recipient of one campaign and
// carries a keyed hash of both, made with the database's own secret key (kaPreference's
// PTokenPasscd), so that a request can unsubscribe only the one who received it and no token
// can be made up or altered: "M12-345-<24 hex digits>" for customer 345 of Market Lead 12.
namespace UnsubscribeToken {

struct Recipient {
    QString campaignTable; // "ktSNews", "ktMLead" or "ktESurvey"
    qint64 campaignId = 0;
    qint64 customerId = 0;
    bool operator==(const Recipient&) const = default;
};

// A new secret key, as the hex text that PTokenPasscd stores.
QByteArray newKey();

// The token for one recipient; key is PTokenPasscd's text. Empty for an unknown campaign table.
QString make(const QString& key, const Recipient& recipient);

// The recipient a token names, when the token is whole and was made with this key;
// letter case and blanks around it do not matter.
std::optional<Recipient> verify(const QString& key, const QString& token);

// How a campaign is named where the suppression list says where an entry came from
// ("ktMLead 12").
QString campaignName(const QString& campaignTable, qint64 campaignId);
}
