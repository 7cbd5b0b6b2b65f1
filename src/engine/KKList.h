#pragma once
#include "platform/PadText.h"
#include "platform/Recordset.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QListWidgetItem;

// The pick list: the rows of a master or content table, one line each: the name cut or padded
// to 30 characters, a blank, the id cut or padded to 15. Choosing a row closes the list; the
// caller reads the choice after exec().
class KKList : public QDialog {
    Q_OBJECT
public:
    // source: the tail of the list's statement, "name column, id column From table".
    explicit KKList(const QString& source, QWidget* parent = nullptr);
    ~KKList() override;

    QListWidget* list() const { return m_list; }
    // Chooses the selected item, as Enter, Space, Tab, a double click or a tick do.
    void choose();

    // Whether a row was chosen, and its name and id without surrounding blanks.
    bool hasChoice() const { return m_chosen; }
    QString chosenName() const { return m_name; }
    QString chosenId() const { return m_id; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load(const QString& source);
    void release();

    Recordset m_rows;
    bool m_chosen = false;
    QString m_name;
    QString m_id;
    QListWidget* m_list;
    QLabel* m_header0;
    QLabel* m_header1;
};
