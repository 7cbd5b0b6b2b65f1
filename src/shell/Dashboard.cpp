#include "shell/Dashboard.h"

#include "platform/AppError.h"
#include "platform/Recordset.h"
#include "base/ProgramState.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
// Twips to pixels at 96 dpi.
constexpr int px(int twips) { return twips / 15; }

const QStyle::StandardPixmap PaneIcons[] = {QStyle::SP_DirHomeIcon, QStyle::SP_FileDialogDetailedView,
                                           QStyle::SP_FileIcon, QStyle::SP_FileDialogInfoView};

void fill(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

// Pane and row of a label number 10 * pane + 10 + k (k = 1..4); false for other numbers.
bool split(int n, int panes, int& pane, int& row)
{
    pane = n / 10 - 1;
    row = n % 10 - 1;
    return pane >= 0 && pane < panes && row >= 0 && row < 4;
}
}

Dashboard::Dashboard(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pctDash"));
    setAccessibleName(QStringLiteral("DashBoard"));

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(px(125), 2, px(125), 6);
    outer->setSpacing(2);

    m_head = new QLabel(QStringLiteral("DashBoard"), this);
    m_head->setObjectName(QStringLiteral("lblHead"));
    // Impact where the machine has it; otherwise a bold, condensed sans serif of the same spirit.
    QFont headFont(QFontDatabase::hasFamily(QStringLiteral("Impact")) ? QStringLiteral("Impact")
                                                                       : QStringLiteral("DejaVu Sans Condensed"));
    headFont.setStyleHint(QFont::SansSerif);
    if (headFont.family() != QLatin1String("Impact"))
        headFont.setBold(true);
    headFont.setPointSize(16);
    m_head->setFont(headFont);
    m_head->setAlignment(Qt::AlignCenter);
    outer->addWidget(m_head);

    // shpDash: the rule under the title, as wide as the dashboard less its margins.
    m_rule = new QFrame(this);
    m_rule->setObjectName(QStringLiteral("shpDash"));
    m_rule->setFrameShape(QFrame::HLine);
    m_rule->setFrameShadow(QFrame::Sunken);
    outer->addWidget(m_rule);

    // Each 3250-twip pane sits centred in its quarter of the width.
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    const QVector<const ModuleDef*> modules = ModuleCatalogue::dashboardModules();
    for (int i = 0; i < modules.size(); ++i) {
        auto* quarter = new QHBoxLayout;
        quarter->addStretch(1);
        quarter->addWidget(buildPane(i, *modules.at(i)));
        quarter->addStretch(1);
        row->addLayout(quarter, 1);
    }
    outer->addLayout(row);
}

QWidget* Dashboard::buildPane(int i, const ModuleDef& module)
{
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("frmDash_%1").arg(i));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    frame->setFixedWidth(px(3250));
    frame->setAccessibleName(module.caption);
    m_panes << frame;

    auto* box = new QVBoxLayout(frame);
    box->setContentsMargins(6, 4, 6, 4);
    box->setSpacing(2);

    auto* top = new QHBoxLayout;
    auto* image = new QLabel(frame);
    image->setObjectName(QStringLiteral("imgFrame_%1").arg(i));
    image->setPixmap(style()->standardIcon(PaneIcons[size_t(i) % std::size(PaneIcons)]).pixmap(16, 16));
    top->addWidget(image);
    auto* title = new QLabel(module.caption, frame);
    title->setObjectName(QStringLiteral("lblFrame_%1").arg(i));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    top->addWidget(title, 1);
    auto* button = new QPushButton(QStringLiteral("+"), frame);
    button->setObjectName(QStringLiteral("cmdDash_%1").arg(i));
    const QString tip = QStringLiteral("Open ") + module.caption;
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setFixedSize(22, 22);
    connect(button, &QPushButton::clicked, this, [this, id = module.id] { emit moduleChosen(id); });
    m_buttons << button;
    top->addWidget(button);
    box->addLayout(top);

    auto* line = new QFrame(frame);
    line->setObjectName(QStringLiteral("linFrame_%1").arg(i));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    box->addWidget(line);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(1);
    std::array<QLabel*, 4> details{};
    for (int k = 0; k < 4; ++k) {
        const int n = 10 * i + 11 + k;
        const QString fieldTitle = module.paneTitles.value(k);
        auto* name = new QLabel(fieldTitle, frame);
        name->setObjectName(QStringLiteral("lblTitl_%1").arg(n));
        auto* value = new QLabel(QStringLiteral("."), frame);
        value->setObjectName(QStringLiteral("lblDetl_%1").arg(n));
        // Long values are cut at the pane's edge rather than widening it.
        value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        value->setTextFormat(Qt::PlainText);
        name->setBuddy(value);
        value->setAccessibleName(module.caption + QLatin1Char(' ') + fieldTitle.chopped(1));
        grid->addWidget(name, k, 0);
        grid->addWidget(value, k, 1);
        details[size_t(k)] = value;
    }
    m_details << details;
    grid->setColumnStretch(1, 1);
    box->addLayout(grid);
    return frame;
}

QLabel* Dashboard::detailLabel(int n) const
{
    int pane, row;
    return split(n, int(m_details.size()), pane, row) ? m_details.at(pane)[size_t(row)] : nullptr;
}

QPushButton* Dashboard::paneButton(int pane) const { return m_buttons.value(pane); }

QFrame* Dashboard::pane(int pane) const { return m_panes.value(pane); }

void Dashboard::setBackColour(const QColor& colour)
{
    fill(this, colour);
    for (QFrame* frame : std::as_const(m_panes))
        fill(frame, colour);
}

void Dashboard::readNewestRecords()
{
    ProgramState& s = state();
    Recordset& reader = s.settingsReader;
    if (!s.connection)
        throw AppError(DbErrors::NotOpen, QStringLiteral("RefreshDashboard"), QStringLiteral("No connection"));
    const int panes = std::min<int>(int(s.ContentTables.size()), int(m_details.size()));
    for (int i = 0; i < panes; ++i) {
        if (reader.isOpen())
            reader.close();
        const QString sql = QStringLiteral("Select Top 1 * From ") + s.ContentTables.at(i) + QStringLiteral(" Order By EId Desc");
        reader.open(sql, *s.connection, CursorType::Static, LockType::ReadOnly);
        if (!reader.eof()) {
            const int columns = std::min(4, reader.fieldCount());
            for (int k = 0; k < columns; ++k)
                m_details[i][k]->setText(reader.field(k).text());
        }
    }
}
