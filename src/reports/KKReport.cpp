#include "reports/KKReport.h"

#include "base/Clock.h"
#include "base/Look.h"
#include "base/Messages.h"
#include "base/Program.h"
#include "base/ProgramState.h"
#include "engine/KKList.h"
#include "platform/DateText.h"
#include "reports/ReportCriterion.h"
#include "reports/ReportDocument.h"
#include "reports/ReportRun.h"
#include "reports/ReportViewer.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

namespace {
constexpr int kRetryMs = 20;

// The text a control of another screen shows (a text box or a label).
QString shownText(QWidget* screen, const QString& name)
{
    QWidget* w = screen ? screen->findChild<QWidget*>(name) : nullptr;
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    return w ? w->property("plainText").toString() : QString();
}
}

KKReport::KKReport(const QString& caption, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("KKReport"));
    setWindowTitle(caption);
    setModal(true);

    auto* layout = new QGridLayout(this);
    m_field = new QComboBox(this);
    m_field->setObjectName(QStringLiteral("cmbField"));
    m_field->setAccessibleName(QStringLiteral("Field"));
    m_operator = new QComboBox(this);
    m_operator->setObjectName(QStringLiteral("cmbOperator"));
    m_operator->setAccessibleName(QStringLiteral("Operator"));
    m_operator->addItem(QStringLiteral("="));
    m_listLabel = new QLabel(this);
    m_listLabel->setObjectName(QStringLiteral("lblList"));
    m_listLabel->setMinimumWidth(160);
    for (int i = 0; i < 2; ++i) {
        m_text[i] = new QLineEdit(this);
        m_text[i]->setObjectName(QStringLiteral("txtReport%1").arg(i + 1));
        m_text[i]->setAccessibleName(i == 0 ? QStringLiteral("Criterion") : QStringLiteral("To Date"));
        m_text[i]->setMaxLength(15);
        m_list[i] = new QToolButton(this);
        m_list[i]->setObjectName(QStringLiteral("cmdList%1").arg(i + 1));
        m_list[i]->setText(QStringLiteral("+"));
        m_list[i]->setToolTip(QStringLiteral("Listing"));
        m_list[i]->setAccessibleName(QStringLiteral("Listing"));
        m_list[i]->hide();
        connect(m_list[i], &QToolButton::clicked, this, [this, i] { openList(i); });
        // The calendars float above the screen beside their buttons.
        m_calendar[i] = new QCalendarWidget(this);
        m_calendar[i]->setObjectName(QStringLiteral("monSel%1").arg(i + 1));
        m_calendar[i]->setWindowFlags(Qt::Widget);
        m_calendar[i]->setAutoFillBackground(true);
        m_calendar[i]->hide();
        m_calendar[i]->installEventFilter(this);
        connect(m_calendar[i], &QCalendarWidget::clicked, this, [this, i](QDate d) { takeDate(i, d); });
        connect(m_calendar[i], &QCalendarWidget::activated, this, [this, i](QDate d) { takeDate(i, d); });
    }
    m_text[1]->hide();
    m_listLabel->hide();
    m_view = new QPushButton(QStringLiteral("<View"), this);
    m_view->setObjectName(QStringLiteral("cmdView"));
    m_view->setAutoDefault(false);
    QToolButton* close = MakeCloseCross(this);
    m_viewer = new ReportViewer(this);
    m_viewer->setErrorHandler([](const AppError& e) { LogError(e); });

    layout->addWidget(m_field, 0, 0);
    layout->addWidget(m_operator, 0, 1);
    layout->addWidget(m_text[0], 0, 2);
    layout->addWidget(m_list[0], 0, 3);
    layout->addWidget(m_listLabel, 0, 4);
    layout->addWidget(m_text[1], 0, 5);
    layout->addWidget(m_list[1], 0, 6);
    layout->addWidget(m_view, 0, 8);
    layout->addWidget(close, 0, 9);
    layout->setColumnStretch(7, 1);
    layout->addWidget(m_viewer, 1, 0, 1, 10);
    layout->setRowStretch(1, 1);
    connect(m_view, &QPushButton::clicked, this, &KKReport::view);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        for (int i = 0; i < 2; ++i)
            if (m_calendar[i]->isVisible() && !(now && (now == m_calendar[i] || m_calendar[i]->isAncestorOf(now))))
                hideCalendar(i);
    });

    // The viewer fills the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        resize(screen->availableGeometry().size());
    setWindowState(windowState() | Qt::WindowMaximized);

    ApplyLook(this); // L1
    load();
}

KKReport::~KKReport()
{
    m_viewer->setReport(nullptr);
}

void KKReport::load()
{
    ProgramState& s = state();
    m_number = s.ReportNumber;
    m_def = ReportCatalogue::find(m_number);
    if (!m_def)
        return;
    m_field->addItem(m_def->field);
    switch (m_def->kind) {
    case CriterionKind::PickedNumber:
        m_listLabel->show();
        m_text[0]->setReadOnly(true);
        m_list[0]->show();
        break;
    case CriterionKind::TypedNumber:
        break;
    case CriterionKind::DateRange:
        for (int i = 0; i < 2; ++i) {
            m_list[i]->show();
            m_text[i]->show();
            m_text[i]->setReadOnly(true);
            m_text[i]->setText(DateText::format(state().clock.today()));
            m_calendar[i]->setSelectedDate(state().clock.today());
        }
        m_listLabel->show();
        break;
    case CriterionKind::TextPrefix:
        m_operator->clear();
        m_operator->addItem(m_def->op());
        break;
    }
    m_field->setCurrentIndex(0); // L3
    m_operator->setCurrentIndex(0);
    if (s.ActiveForm)
        prefill(s.ActiveForm);
}

void KKReport::prefill(QWidget* screen)
{
    if (m_def->prefillField >= 0) {
        m_text[0]->setText(shownText(screen, QStringLiteral("txtField_%1").arg(m_def->prefillField)));
        if (m_def->prefillsTypeName())
            m_listLabel->setText(shownText(screen, QStringLiteral("lblList_%1").arg(ReportCatalogue::kTypeField)));
    }
    if (m_def->kind != CriterionKind::TextPrefix)
        setWindowTitle(m_def->caption);
}

void KKReport::setPicked(const QString& name, const QString& id)
{
    m_listLabel->setText(name);
    m_text[0]->setText(id);
}

void KKReport::openList(int which)
{
    if (m_text[1]->isHidden()) {
        KKList list(ReportCatalogue::typePickListSource(), this);
        list.exec();
        if (list.hasChoice())
            setPicked(list.chosenName(), list.chosenId());
        return;
    }
    QCalendarWidget* calendar = m_calendar[which];
    calendar->adjustSize();
    const QRect button = m_list[which]->geometry();
    calendar->move(std::min(button.right() + 4, width() - calendar->width()), button.top());
    calendar->raise();
    calendar->show();
    calendar->setFocus();
}

void KKReport::takeDate(int which, const QDate& date)
{
    m_calendar[which]->hide();
    m_text[which]->setText(DateText::format(date));
}

void KKReport::hideCalendar(int which) { m_calendar[which]->hide(); }

bool KKReport::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        for (int i = 0; i < 2; ++i) {
            if (watched == m_calendar[i] && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                hideCalendar(i);
                m_list[i]->setFocus();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void KKReport::reject()
{
    // The pages being laid out belong to the report shown: stop, then close.
    if (m_viewer->isBusy()) {
        m_viewer->stop();
        QTimer::singleShot(kRetryMs, this, &KKReport::reject);
        return;
    }
    QDialog::reject();
}

void KKReport::view()
{
    if (!m_def || m_viewer->isBusy()) // a number without a report, or a view still being laid out
        return;
    // V1, V2
    CriterionInput input{m_text[0]->text(), m_listLabel->text(), m_text[1]->text(), {}, {}};
    if (m_def->kind == CriterionKind::DateRange) {
        input.from = m_calendar[0]->selectedDate();
        input.to = m_calendar[1]->selectedDate();
    }
    const ReportCriterion criterion = ReportCriterion::build(*m_def, input);
    if (criterion.check != ReportCriterion::Check::Ok) {
        Messages::current().notice(ReportCriterion::message(criterion.check));
        return;
    }
    // V3 to V6
    ReportRun run(*m_def, criterion);
    std::unique_ptr<ReportDocument> report = run.run();
    if (run.refused()) { // the preview shown before stays
        m_text[0]->setFocus();
        return;
    }
    // V7: the preview replaces the report shown before; wait until every page is laid out.
    m_view->setEnabled(false);
    m_viewer->setReport(report.get());
    m_report = std::move(report);
    while (m_viewer->isBusy())
        EventPause();
    m_view->setEnabled(true);
    // V8
    m_text[0]->setFocus();
}
