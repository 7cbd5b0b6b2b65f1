#pragma once
#include <QDialog>

class QLineEdit;

// The access-code prompt asked before Modify and Delete (and by find and replace). Enter or
// Esc compares the typed code with the enterprise's EPasscd (letter case counts) and grants
// access when it matches; either way the prompt closes. Close grants nothing.
class KKAccess : public QDialog {
    Q_OBJECT
public:
    explicit KKAccess(QWidget* parent = nullptr);

    // Shows the prompt modally; true when the right code was typed.
    static bool ask(QWidget* parent);

    QLineEdit* codeBox() const { return m_code; }
    // Enter or Esc in the code box.
    void submit();
    bool granted() const { return m_granted; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* m_code;
    bool m_granted = false;
};
