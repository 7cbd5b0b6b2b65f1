#pragma once
#include <QObject>

class QWebEnginePage;
class QWebEngineProfile;

// The web engine's share of the lead screens, made when a lead screen first opens and owned
// by the application from then on: the profile (off the record, with the editor's script)
// and the page of the last lead screen closed, kept so that the next lead screen need not
// start a page process of its own. Released before the web engine itself shuts down.
class LeadPages : public QObject {
    Q_OBJECT
public:
    // The application's lead pages, made on first use.
    static LeadPages& current();
    ~LeadPages() override;

    // A page ready for a lead: the kept one, or a new one.
    QWebEnginePage* take();
    // A page whose view closes: kept for the next lead screen (the one kept before goes).
    void keep(QWebEnginePage* page);

private:
    LeadPages();
    QWebEngineProfile* m_profile = nullptr;
    QWebEnginePage* m_kept = nullptr;
};
