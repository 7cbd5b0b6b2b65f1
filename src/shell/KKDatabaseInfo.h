#pragma once
#include <QDialog>

class QLineEdit;
class QTimer;

// The specifics screen, caption "Specifics": the size of the database file and the record
// count of each content table. On opening every box shows "Calc..."; tmrSpecific fires once,
// 3000 ms later, and calculates. A size that cannot be had (no file, or the server backend)
// shows "n/a"; a count that fails shows "n/a" in its box and is reported by the shared
// handler.
class KKSpecific : public QDialog {
    Q_OBJECT
public:
    explicit KKSpecific(QWidget* parent = nullptr);

    // txtField_1 .. txtField_5: size, then the counts of ContentTables in order.
    QLineEdit* field(int index) const;
    bool isTimerEnabled() const;

    // The size text: bytes / 1 000 000 rounded to two decimals (a half to the even neighbour)
    // in the default locale's number format, followed by " MB".
    static QString sizeText(qint64 bytes);

public slots:
    // Stops tmrSpecific and calculates at once (what its tick does).
    void calculate();

private:
    QTimer* m_timer = nullptr;
    QLineEdit* m_fields[6] = {};
    bool m_calculated = false;
};
