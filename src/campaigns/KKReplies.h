#pragma once
#include "campaigns/ReplyRun.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// "Process Replies": starts reading the office mailbox as soon as it is shown, counts the
// messages read, can be stopped, and ends with the summary of what it did.
class KKReplies : public QDialog {
    Q_OBJECT
public:
    explicit KKReplies(QWidget* parent = nullptr);

    // Runs to the end and returns after the summary was shown: Accepted when the whole
    // mailbox was read, Rejected when the run could not start or ended early.
    int exec() override;

protected:
    void reject() override; // Esc and the close box stop the run; the summary closes the screen

private:
    void showProgress(int done, int total);
    void conclude();

    ReplyRun m_run;
    QLabel* m_status;
    QProgressBar* m_progress;
    QPushButton* m_stop;
};
