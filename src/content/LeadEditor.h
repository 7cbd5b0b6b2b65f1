#pragma once
#include <QColor>
#include <QFont>
#include <QString>
#include <QUrl>
#include <QVector>
#include <QWidget>
#include <functional>

class QAbstractButton;
class QPushButton;
class QTextEdit;

// The lead editor: the rich-text editor htmLead with the edit/preview switch cmdHtml, the
// template loader cmdLoad, ten formatting buttons cmdSel_0..9 and ten insert and tool buttons
// cmdTab_0..9. Preview is read-only with the twenty buttons disabled; editing enables them.
//
// The editor keeps the HTML text it was given: html() returns that text unchanged until the
// document is edited, replaced by a template or loaded from a file; from then on it returns
// the editor's own HTML.
class LeadEditor : public QWidget {
    Q_OBJECT
public:
    explicit LeadEditor(QWidget* parent = nullptr);

    // Shows a stored document in preview (the record being shown).
    void showDocument(const QString& html);
    // A new, empty document (a new record); the mode stays as it is.
    void newDocument();
    // The document as HTML (see above).
    QString html() const;
    // True once the document no longer is the text last given to it.
    bool isReplaced() const { return m_replaced; }

    bool isEditing() const { return m_editing; }
    void setEditing(bool editing);

    QTextEdit* editor() const { return m_editor; }
    QPushButton* switchButton() const { return m_switch; }
    QPushButton* loadButton() const { return m_load; }
    QAbstractButton* selButton(int index) const { return m_sel.value(index); }
    QAbstractButton* tabButton(int index) const { return m_tab.value(index); }

    // The two table templates (index 0: two rows, 1: two columns).
    static QString templateText(int index);

    // Dialogs and the browser, replaceable so that nothing blocks where no one can answer.
    // Each returns an empty text (or false) when cancelled.
    std::function<QString(const QString& title, const QString& folder, const QString& filter)> chooseOpenFile;
    std::function<QString(const QString& title, const QString& folder, const QString& filter)> chooseSaveFile;
    // The colour dialog's current colour when it closes, whether accepted or cancelled.
    std::function<QColor(const QColor& initial)> chooseColor;
    std::function<bool(QFont& font)> chooseFont;
    std::function<bool(QString& url, QString& text)> askLink;
    std::function<bool(const QUrl& url)> openInBrowser;

signals:
    // The document was edited, or replaced by a template or a loaded file.
    void documentEdited();

public slots:
    void switchClick();          // cmdHtml
    void loadClick();            // cmdLoad
    void selClick(int index);    // cmdSel(index)
    void tabClick(int index);    // cmdTab(index)

private:
    void setDocument(const QString& html, bool replaced);
    void setPreview();
    void writeFile(const QString& path) const;
    void toggleList(int style);
    void indent(int delta);
    void insertLink();
    void insertImage();

    QTextEdit* m_editor = nullptr;
    QPushButton* m_switch = nullptr;
    QPushButton* m_load = nullptr;
    QVector<QAbstractButton*> m_sel;
    QVector<QAbstractButton*> m_tab;
    QString m_original;
    bool m_replaced = false;
    bool m_settingDocument = false;
    bool m_editing = false;
    QColor m_lastColour = Qt::white;
};
