#pragma once
#include <QElapsedTimer>

class QLabel;
class QWidget;

// A run over many rows (export, import): the screen's frame is disabled, the progress label
// shows the count followed by "..", and window events are let through after the first row and
// then every few milliseconds, so the screen stays live while the rows go at the speed of the
// file and the database. The count is painted at most every tenth of a second and at the end.
// While it runs the screen refuses to close and to start it again.
class LongRun {
public:
    LongRun(QWidget* frame, QLabel* progress) : m_frame(frame), m_progress(progress) {}

    void start();
    // After each row: count is the number of rows done so far.
    void step(int count);
    void finish(int count);
    bool isRunning() const { return m_running; }
    // Asked while running: the run ends after the current row, without a question.
    void requestStop();
    bool stopRequested() const { return m_stopRequested; }

private:
    void show(int count);

    QWidget* m_frame;
    QLabel* m_progress;
    QElapsedTimer m_sinceShown;
    QElapsedTimer m_sincePause;
    bool m_running = false;
    bool m_stopRequested = false;
};
