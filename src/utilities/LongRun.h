#pragma once
#include <QElapsedTimer>

class QLabel;
class QWidget;

// A run over many rows (export, import): the screen's frame is disabled, the progress label
// shows the count followed by "..", and window events keep being handled between rows so
// the screen stays live. The count is painted at most every tenth of a second and at the
// end, so that painting does not set the pace. A run cannot start while one is going on.
class LongRun {
public:
    LongRun(QWidget* frame, QLabel* progress) : m_frame(frame), m_progress(progress) {}

    void start();
    // After each row: count is the number of rows done so far.
    void step(int count);
    void finish(int count);
    bool isRunning() const { return m_running; }

private:
    void show(int count);

    QWidget* m_frame;
    QLabel* m_progress;
    QElapsedTimer m_sinceShown;
    bool m_running = false;
};
