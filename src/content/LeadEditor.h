#pragma once
#include <QColor>
#include <QString>
#include <QUrl>
#include <QVector>
#include <QWidget>
#include <functional>

class LeadView;
class QAbstractButton;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

// The lead editor: the HTML view htmLead with the edit/preview switch cmdHtml, the source
// switch cmdSource ("HTML"), the template loader cmdLoad, ten formatting buttons cmdSel_0..9
// and ten insert and tool buttons cmdTab_0..9. Preview is read-only with the twenty buttons
// disabled; editing enables them. The source view shows the document's text in a plain-text
// editor; switching back applies what was typed there.
//
// The editor keeps the text it was given (a stored lead, a template, a loaded page): html()
// returns that text unchanged until the document is edited; from then on it returns the given
// text with the edited part changed (or, where that cannot be done, the document as the web
// engine writes it). Undoing every edit gives the given text again.
class LeadEditor : public QWidget {
    Q_OBJECT
public:
    // The most characters a lead may have (the length of its column).
    static constexpr int MaxLength = 65500;

    explicit LeadEditor(QWidget* parent = nullptr);

    // Shows a stored document in preview (the record being shown).
    void showDocument(const QString& html);
    // A new, empty document (a new record); the mode stays as it is.
    void newDocument();
    // The document as HTML (see above). Throws AppError when the web engine does not answer.
    QString html();
    // False, after saying so, when the text is longer than a lead may be.
    static bool fitsColumn(const QString& html);

    bool isEditing() const { return m_editing; }
    void setEditing(bool editing);
    bool isSourceShown() const { return m_sourceShown; }
    void setSourceShown(bool shown);

    LeadView* view() const { return m_view; }
    QPlainTextEdit* sourceEditor() const { return m_source; }
    QPushButton* switchButton() const { return m_switch; }
    QAbstractButton* selButton(int index) const { return m_sel.value(index); }
    QAbstractButton* tabButton(int index) const { return m_tab.value(index); }
    QPushButton* textColourButton() const { return m_textColour; }

    // A link address as typed, as it must be in a letter read elsewhere: "www.shop.com/x"
    // becomes "http://www.shop.com/x", "someone@shop.com" a mailto: link; "#top" stays.
    static QString linkAddress(const QString& typed);

    // The two table templates (index 0: two rows, 1: two columns).
    static QString templateText(int index);

    // Dialogs and the browser, replaceable so that nothing blocks where no one can answer.
    // Each returns an empty text (or false) when cancelled.
    std::function<QString(const QString& title, const QString& folder, const QString& filter)> chooseOpenFile;
    std::function<QString(const QString& title, const QString& folder, const QString& filter)> chooseSaveFile;
    // The colour dialog's current colour when it closes, whether accepted or cancelled.
    std::function<QColor(const QColor& initial)> chooseColor;
    // A mail font family and a size in pixels, opening at the selection's.
    std::function<bool(QString& family, int& px)> chooseFont;
    std::function<bool(QString& url, QString& text)> askLink;
    // A web address or a local file's path.
    std::function<QString()> askImage;
    std::function<bool(const QUrl& url)> openInBrowser;

public slots:
    void switchClick();          // cmdHtml
    void sourceClick();          // cmdSource
    void loadClick();            // cmdLoad
    void selClick(int index);    // cmdSel(index)
    void tabClick(int index);    // cmdTab(index)
    void textColourClick();      // cmdForeColor

private:
    void setDocument(const QString& html);
    void updateButtons();
    void command(const QString& name, const QString& value = QString());
    void writeFile(const QString& path);
    void insertLink();
    void insertImage();
    void chooseSelectionFont();
    QString sourceText() const;

    LeadView* m_view = nullptr;
    QPlainTextEdit* m_source = nullptr;
    QStackedWidget* m_pages = nullptr;
    QPushButton* m_switch = nullptr;
    QPushButton* m_sourceSwitch = nullptr;
    QPushButton* m_load = nullptr;
    QVector<QAbstractButton*> m_sel;
    QVector<QAbstractButton*> m_tab;
    QPushButton* m_textColour = nullptr;
    QString m_text;          // the text given last
    QString m_sourceBase;    // the text the source view started from
    bool m_touched = false;  // the view has been editable since the text was given
    bool m_editing = false;
    bool m_sourceShown = false;
    QColor m_lastColour = Qt::white;
    QColor m_lastTextColour = Qt::black;
};
