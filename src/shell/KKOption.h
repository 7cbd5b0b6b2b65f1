#pragma once
#include <QDialog>

class QCheckBox;

// The options screen, caption "Options": two housekeeping actions, each started by ticking its
// box and confirming "Confirm Operation?":
//  chkField_0 "Clear Old Backup Files" deletes the archive copies named for the days 7 to 13
//             before today (state().clock.today()); the others stay;
//  chkField_1 "Clear Error Listing" replaces the error listing with an empty file.
// "Done!" follows and the box is cleared. Answering No leaves the box ticked and does nothing;
// a click that clears the box does nothing either. File errors go to the shared handler.
class KKOption : public QDialog {
    Q_OBJECT
public:
    explicit KKOption(QWidget* parent = nullptr);

    QCheckBox* checkBox(int index) const { return m_check[index]; }

private slots:
    void onCheckClicked(int index);

private:
    QCheckBox* m_check[2] = {};
};
