#pragma once
#include "CampaignFixture.h"

#include "campaigns/CampaignExtra.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"

#include <QLabel>
#include <QPushButton>

// A campaign screen open on a saved Send News record for the fixture's customer type.
struct ScreenFixture : CampaignFixture {
    explicit ScreenFixture(const QString& criteria = QStringLiteral(" ( 1=1 )"))
    {
        newsId = addNews("Offer", "Hello <<CFirst>>");
        folder.exec("INSERT INTO ktSNews (EDate, SNewsId, SCType, SCriteria, SSentDate, SRemarks) VALUES ('2026-12-01', "
                    + newsId + ", " + type + ", '" + QString(criteria).replace("'", "''") + "', '2026-12-02', 'r')");
        screen = engine.open(QStringLiteral("KKSNews"));
    }
    ~ScreenFixture()
    {
        if (screen)
            screen->close();
        QCoreApplication::processEvents();
    }
    QPushButton* button(const char* name) const { return screen->findChild<QPushButton*>(name); }
    QString status() const { return screen->findChild<QLabel*>("lblField_7")->text(); }
    CampaignExtra* extra() const { return static_cast<CampaignExtra*>(screen->extra()); }
    bool waitUntilIdle(int ms = 60000) const
    {
        return QTest::qWaitFor([this] { return !extra()->isRunning(); }, ms);
    }

    QString newsId;
    RecordEngine engine;
    QPointer<RecordScreen> screen;
};

