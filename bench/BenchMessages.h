#pragma once
#include "base/Messages.h"

#include <QString>
#include <cstdio>

// The messages of an unattended run: every question is answered Yes, what went wrong is
// counted, and with Print::Everything each message is written to the terminal as well.
class BenchMessages : public Messages {
public:
    enum class Print { Nothing, Errors, Everything };
    // Counted as failures: "Error!" and validation errors, or every notice with countEveryNotice.
    explicit BenchMessages(Print print = Print::Nothing, bool countEveryNotice = false)
        : m_print(print), m_countEveryNotice(countEveryNotice)
    {
    }

    void notice(const QString& text) override
    {
        const bool failure = m_countEveryNotice || text == QLatin1String("Error!");
        errors += failure;
        if (m_print == Print::Everything || (failure && m_print == Print::Errors))
            std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool question(const QString& text) override
    {
        if (m_print == Print::Everything)
            std::fprintf(stderr, "question: %s\n", qPrintable(text));
        return true;
    }
    void error(const QString& text, const QString&) override
    {
        ++errors;
        if (m_print != Print::Nothing)
            std::fprintf(stderr, "error: %s\n", qPrintable(text));
    }

    int errors = 0;

private:
    Print m_print;
    bool m_countEveryNotice;
};
