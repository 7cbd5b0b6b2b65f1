#pragma once
#include <QDialog>

class QLabel;
class QTimer;

// The splash screen, caption "Korvina!". Shown modally at start-up: Timer1 fires once after
// 5000 ms, runs the start-up maintenance (Maintenance) with its progress on Label5 (step) and
// Label4 (dots), then closes. exec() returns Accepted when the maintenance ran to the end, and
// Rejected after a failure (its notice shown; the program then ends). Esc and the close box are
// ignored while the timer is enabled or the maintenance runs.
//
// The same screen is the About box: setAboutMode() disables the timer, shows the enterprise's
// short name in Label5 and gives Label6 the revision tool tip; Esc then closes it.
class KKStart : public QDialog {
    Q_OBJECT
public:
    explicit KKStart(QWidget* parent = nullptr);

    // About box use; no maintenance runs.
    void setAboutMode(const QString& shortName, const QString& revision);

    // Timer1's interval (5000 ms); tests shorten it.
    void setTimerInterval(int milliseconds);
    bool isTimerEnabled() const;

    // True once the maintenance has run to the end.
    bool maintenanceSucceeded() const { return m_succeeded; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

public slots:
    void reject() override;

private slots:
    void onTimer1();

private:
    bool mayClose() const;

    QTimer* m_timer1 = nullptr;
    QLabel* m_label4 = nullptr;
    QLabel* m_label5 = nullptr;
    QLabel* m_label6 = nullptr;
    bool m_running = false;
    bool m_succeeded = false;
};
