#pragma once
#include <QString>
#include <QVariant>
#include <QWebEngineView>

// htmLead: the lead as an HTML document in a web engine view. The body is editable while
// editing is on; the editing commands and the document's text go through the page's own
// script (LeadEditor.js), which runs apart from the lead's scripts (those never run here).
// Links in the letter are not followed: the view shows only the document it was given.
class LeadView : public QWebEngineView {
    Q_OBJECT
public:
    explicit LeadView(QWidget* parent = nullptr);
    ~LeadView() override;

    // Shows the text as a new document (read-only until setEditable(true)); relative
    // addresses in it are taken from base.
    void setDocument(const QString& html, const QUrl& base);
    void setEditable(bool editable);
    bool isEditable() const { return m_editable; }
    // True once the document last given has finished loading.
    bool isLoaded() const { return m_loaded; }

    // Runs a script in the page's script world and waits for its result (the page is loaded
    // first). Throws AppError when the engine does not answer in time.
    QVariant evaluate(const QString& script);
    // Runs a script without waiting; scripts run in the order they are given.
    void post(const QString& script);

    // Waits until the document has loaded; false when it does not within the time limit.
    bool waitForLoad();

signals:
    void loaded();

private:
    bool m_loaded = false;
    bool m_editable = false;
};
