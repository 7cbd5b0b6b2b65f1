#pragma once
#include "common/TestSupport.h"
#include "engine/RecordEngine.h"
#include "engine/RecordScreen.h"
#include "base/ProgramState.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QtTest>

// A record module opened by the engine on a fresh database, with messages scripted.
struct EngineFixture {
    explicit EngineFixture(TestDataFolder::Options options = {}) : folder(options) {}
    ~EngineFixture()
    {
        if (RecordScreen* s = Engine::activeScreen())
            s->close();
        QCoreApplication::processEvents();
    }

    RecordScreen* open(const QString& screenName)
    {
        RecordScreen* s = engine.open(screenName);
        if (!s)
            qFatal("module %s did not open", qPrintable(screenName));
        return s;
    }
    void run(Operation n) { Engine::RunOperation(n); }
    RecordScreen* screen() const { return Engine::activeScreen(); }
    QString text(int i) const { return screen()->text(i); }
    void set(int i, const QString& v) const { screen()->setText(i, v); }
    void click(int i) const { screen()->listButton(i)->click(); }
    bool editing() const { return screen()->frame()->isEnabled(); }

    // Inserts a customer type and returns its id.
    QString addType(const QString& name) const
    {
        folder.exec(QStringLiteral("INSERT INTO kmCustType (EDate, CCategory, CRemarks) VALUES ('2024-01-01', '%1', 'r')").arg(name));
        return folder.scalar(QStringLiteral("Select Max(EId) From kmCustType"));
    }

    TestDataFolder folder;
    ScriptedMessages messages;
    RecordEngine engine;
};
