#pragma once
#include <QListWidget>
#include <QPointer>

#include <QPlainTextEdit>

// lstMerge: the names of every ktCustomer column, each with a check box. Enter, Ctrl+Z
// (character 26) or ticking an item inserts the MergeTag "<<" + name + ">>" into the message box
// at the insertion point the box had when it last had the focus.
class MergeList : public QListWidget {
    Q_OBJECT
public:
    explicit MergeList(QWidget* parent = nullptr);

    // The message box the tags go into. Its focus-in marks the insertion point for re-reading.
    void setMessageBox(QPlainTextEdit* box);

    // Fills the list with the column names of ktCustomer, in table order, none selected.
    void fill();

    // The insertion for a key typed in the list (13 Enter and 26 insert; others only consume
    // the insertion point).
    void keyInsert(int keyAscii);

    // Back colours for focus and no focus (decimal texts, red in the low byte).
    static constexpr int FocusColour = 12632319;
    static constexpr int PlainColour = 16777215;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void itemTicked(QListWidgetItem* item);
    void setBackColour(int colour);

    QPointer<QPlainTextEdit> m_box;
    bool m_unticking = false;
    // The insertion point is read again from the box: it had the focus since the last insertion.
    bool m_rereadPosition = true;
};
