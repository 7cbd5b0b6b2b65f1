#pragma once
#include <QDialog>

class QLineEdit;

// The access-code prompt asked before Modify and Delete (and by find and replace). Enter or
// Esc compares the typed code with the enterprise's EPasscd (letter case counts) and sets
// AccessReply to "Y" when it matches; either way the prompt closes. Close leaves AccessReply.
class KKAccess : public QDialog {
    Q_OBJECT
public:
    explicit KKAccess(QWidget* parent = nullptr);
    QLineEdit* codeBox() const { return m_code; }
    // Enter or Esc in the code box.
    void submit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* m_code;
};
