#pragma once
#include <QObject>

class QWebEnginePage;
class QWebEngineProfile;

// The web engine's share of the lead screens, made when a lead screen first opens and owned
// by the application from then on: the profile (off the record, with the editor's script and
// the letters' pictures at cid: addresses).
// Each lead screen makes its own page with it; a page never outlives its screen (one handed
// on to the next screen crashes the accessibility bridge). Released before the web engine
// itself shuts down.
class LeadProfile : public QObject {
    Q_OBJECT
public:
    // The application's lead profile, made on first use.
    static LeadProfile& current();
    ~LeadProfile() override;

    // A new page for a lead, owned by parent.
    QWebEnginePage* newPage(QObject* parent);

private:
    LeadProfile();
    QWebEngineProfile* m_profile = nullptr;
};
